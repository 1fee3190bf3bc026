// Imports arbitrary bytes as a LightWave LWOB object, then saves what was imported and reads it back.
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    polyvane::HeadlessMessageBox box;
    polyvane::ScopedMessageBox scoped(box);
    polyvane::CPolyvaneDoc doc;
    polyvane::CArchive ar = polyvane::CArchive::FromMemory({data, size}, "fuzz.lwo");
    doc.Serialize(ar);
    if (!doc.LoadSucceeded())
        return 0;
    // An import leaves one object selected with as many records as its entry says.
    if (doc.ObjectCount() != 1 || !doc.m_pWork || doc.m_nCurObject != 0)
        std::abort();
    doc.OnNextPrim();
    doc.OnFlipX();
    polyvane::CArchive out = polyvane::CArchive::ToMemory("fuzz.tmd");
    doc.Serialize(out);
    if (doc.StoreSucceeded()) {
        polyvane::CPolyvaneDoc again;
        polyvane::CArchive in = polyvane::CArchive::FromMemory(out.StoredBytes(), "fuzz.tmd");
        again.Serialize(in);
        if (!again.LoadSucceeded())
            std::abort();
    }
    return 0;
}
