#pragma once
// The scan of game data for models and textures: every file of an image's file system as its own
// data, then the sectors that belong to no file, skipping sectors without user data (Form 2 streams,
// garbage headers). The work is cut into chunks shared among the cores; the input is read where it is
// mapped, a chunk at a time for raw sectors, so memory stays bounded whatever the image's size.
#include "Address.h"
#include "Detect.h"
#include "DiscImage.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane::gamedata {

struct ScanHit {
    std::optional<std::string> file; // the path in the image's file system; none outside any file
    std::uint64_t offset = 0;        // in that file's data (or the image's user data)
    DetectedItem item;
};

struct ScanOptions {
    FormatMask formats = kAllFormats;
    bool aligned = false; // only offsets that are multiples of 4
    unsigned threads = 0; // 0: one per processor
    // Bytes scanned so far of the total; called from the scanning threads, one call at a time.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

struct ScanReport {
    std::vector<ScanHit> hits; // by file (none first), then offset
    std::uint64_t bytesScanned = 0;
    std::uint64_t bytesTotal = 0;
    std::uint32_t skippedSectors = 0; // sectors without user data
    bool cancelled = false;
};

[[nodiscard]] ScanReport Scan(const DiscImage& image, const ScanOptions& options);

// The scan of one run of bytes that ends where its file ends; hits in it by offset. What the scan does
// for every chunk, for the fuzzer and for callers holding bytes already.
[[nodiscard]] std::vector<ScanHit> ScanBytes(std::span<const std::uint8_t> bytes, const ScanOptions& options,
                                             const ScanTable& table = ScanFormats());

// The address of a hit in `image`.
[[nodiscard]] Address HitAddress(const DiscImage& image, const ScanHit& hit);
// The relative file name an extracted hit is written to: its file's path (the image's file name outside
// every file), "@0x" and the offset, and the format's extension. No two hits share one.
[[nodiscard]] std::string ExtractName(const DiscImage& image, const ScanHit& hit);

} // namespace polyvane::gamedata
