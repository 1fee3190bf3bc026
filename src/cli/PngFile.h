#pragma once
// PNG files of the software drawing surface's pixels, through the exchange library's codec.
#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace polyvane::cli {

struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<COLORREF> pixels; // row after row from the top, 0x00BBGGRR
};

// Writes an 8-bit RGB PNG; false (and no file left behind) when it could not be written.
[[nodiscard]] bool WritePng(const std::string& path, const RgbImage& image);
// Reads any PNG as 8-bit RGB; none when it cannot be read.
[[nodiscard]] std::optional<RgbImage> ReadPng(const std::string& path);

} // namespace polyvane::cli
