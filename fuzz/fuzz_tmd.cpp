// Loads arbitrary bytes as a TMD file, then exercises what a user does next with a loaded model.
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    polyvane::HeadlessMessageBox box;
    polyvane::ScopedMessageBox scoped(box);
    polyvane::CPolyvaneDoc doc;
    polyvane::CArchive ar = polyvane::CArchive::FromMemory({data, size}, "fuzz.tmd");
    doc.Serialize(ar);
    if (doc.LoadSucceeded()) {
        for (std::uint32_t i = 0; i < doc.ObjectCount() && i < 8; ++i) {
            doc.SelectModelObject(i);
            doc.ComputeFaceNormals();
            doc.ConvertToFixed();
            doc.ComputeExtents();
        }
    }
    return 0;
}
