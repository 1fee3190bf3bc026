// Loads arbitrary bytes as a TMD file; whatever loads must save, load again and hold what was saved.
#include "../tests/support/RoundTrip.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    polyvane::HeadlessMessageBox box;
    polyvane::ScopedMessageBox scoped(box);
    polyvane::CPolyvaneDoc doc;
    polyvane::CArchive in = polyvane::CArchive::FromMemory({data, size}, "fuzz.tmd");
    doc.Serialize(in);
    if (!doc.LoadSucceeded())
        return 0;
    bool saved = false;
    const auto bytes = polyvane::test::SaveToMemory(doc, &saved);
    // A model read from a TMD file always fits the format it came from.
    if (!saved)
        std::abort();
    polyvane::CPolyvaneDoc again;
    polyvane::CArchive reread = polyvane::CArchive::FromMemory(bytes, "fuzz.tmd");
    again.Serialize(reread);
    if (!again.LoadSucceeded())
        std::abort();
    const std::string difference = polyvane::test::SavedDifference(doc, again);
    if (!difference.empty()) {
        std::fprintf(stderr, "read back differs: %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
