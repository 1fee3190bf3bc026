// Reads arbitrary bytes as a TMD file; whatever reads must save, read again and hold what was saved.
#include "../tests/support/RecordRoundTrip.h"
#include "formats/TmdCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto read = polyvane::ReadTmd({data, size});
    if (!read)
        return 0;
    read.value() = polyvane::PrepareForSave(std::move(read.value()));
    const polyvane::ModelRef saved = polyvane::RefOf(read.value());
    const auto written = polyvane::WriteTmd(saved);
    // A model read from a TMD file always fits the format it came from.
    if (!written)
        std::abort();
    const auto again = polyvane::ReadTmd(written.value().bytes());
    if (!again)
        std::abort();
    const std::string difference = polyvane::test::SavedDifference(saved, polyvane::RefOf(again.value()));
    if (!difference.empty()) {
        std::fprintf(stderr, "read back differs: %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
