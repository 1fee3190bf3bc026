#pragma once
// Saving a document into memory, and the comparison of a saved document with the same file loaded
// again. Shared by the writer's tests.
#include "RecordRoundTrip.h"
#include "model/CPolyvaneDoc.h"

#include <string>
#include <vector>

namespace polyvane::test {

// Saves the document as its Serialize would, into memory. `ok` tells whether the writer succeeded.
inline std::vector<std::uint8_t> SaveToMemory(CPolyvaneDoc& doc, bool* ok = nullptr,
                                              const std::string& fileName = "saved.tmd") {
    CArchive ar = CArchive::ToMemory(fileName);
    doc.Serialize(ar);
    if (ok)
        *ok = doc.StoreSucceeded();
    return ar.StoredBytes();
}

// Compares a document just saved with its file loaded again; empty when the file holds exactly what
// was saved, else where it differs.
inline std::string SavedDifference(const CPolyvaneDoc& saved, const CPolyvaneDoc& loaded) {
    return SavedDifference(saved.Model(), loaded.Model());
}

} // namespace polyvane::test
