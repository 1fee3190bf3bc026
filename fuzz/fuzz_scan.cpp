// Feeds arbitrary bytes to the scan three times: as a plain file, as a raw CD image whose sectors are
// the input cut into 2352-byte pieces behind a sync pattern (so the sector modes and the scan of
// gathered sectors see them), and as an ISO image whose volume descriptor and directories are the
// input (so the file system's reader sees them). Every hit must lie inside its data.
#include "gamedata/Address.h"
#include "gamedata/Scanner.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const std::string& ScratchPath() {
    static const std::string path = "/tmp/polyvane-fuzz-scan-" + std::to_string(::getpid()) + ".bin";
    return path;
}

void ScanFile(const std::vector<std::uint8_t>& bytes) {
    std::FILE* out = std::fopen(ScratchPath().c_str(), "wb");
    if (!out)
        return;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    auto image = polyvane::gamedata::DiscImage::Open(ScratchPath());
    if (!image)
        return;
    polyvane::gamedata::ScanOptions options;
    options.threads = 1;
    const auto report = polyvane::gamedata::Scan(**image, options);
    for (const auto& hit : report.hits) {
        const auto place = (*image)->Resolve(hit.file);
        if (!place || hit.offset + hit.item.size > place->image->DataSize(place->file))
            __builtin_trap();
        if (hit.item.complete &&
            !polyvane::gamedata::LoadItem(**image, polyvane::gamedata::HitAddress(**image, hit)))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const auto& hit : polyvane::gamedata::ScanBytes({data, size}, {}))
        if (hit.offset + hit.item.size > size)
            __builtin_trap();

    constexpr std::size_t kPayload = 2352 - 12;
    static constexpr std::uint8_t kSync[12] = {0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    std::vector<std::uint8_t> raw;
    for (std::size_t at = 0; at < size; at += kPayload) {
        raw.insert(raw.end(), kSync, kSync + 12);
        raw.insert(raw.end(), data + at, data + std::min(size, at + kPayload));
    }
    ScanFile(raw);

    // And as an ISO image whose volume descriptors and directories are the input, from sector 16 on.
    std::vector<std::uint8_t> iso(16 * 2048, 0);
    iso.insert(iso.end(), data, data + size);
    if (iso.size() >= 16 * 2048 + 6)
        std::copy_n("\x01"
                    "CD001",
                    6, iso.begin() + 16 * 2048);
    ScanFile(iso);
    return 0;
}
