#pragma once
// PNG reading and writing: exchanged textures and the command line's pictures.
#include "RgbaImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

// Any PNG as 8-bit RGBA; none when the bytes are not a PNG it can read.
[[nodiscard]] std::optional<RgbaImage> DecodePng(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::optional<RgbaImage> ReadPngFile(const std::string& path);
// A PNG of the picture, RGBA or (`withAlpha` false) RGB without its alpha; empty when it could not
// be encoded.
[[nodiscard]] std::vector<std::uint8_t> EncodePng(const RgbaImage& image, bool withAlpha = true);

// Whole-file helpers shared by the exchange formats.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);
// Writes beside `path` and renames over it, so a failed write leaves no half file.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace polyvane
