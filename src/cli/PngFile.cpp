#include "PngFile.h"

#include "exchange/PngCodec.h"

namespace polyvane::cli {

bool WritePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return false;
    RgbaImage rgba;
    rgba.width = image.width;
    rgba.height = image.height;
    rgba.rgba.resize(image.pixels.size() * 4);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        rgba.rgba[i * 4] = GetRValue(image.pixels[i]);
        rgba.rgba[i * 4 + 1] = GetGValue(image.pixels[i]);
        rgba.rgba[i * 4 + 2] = GetBValue(image.pixels[i]);
        rgba.rgba[i * 4 + 3] = 255;
    }
    const std::vector<std::uint8_t> png = EncodePng(rgba, false);
    return !png.empty() && WriteWholeFile(path, png);
}

std::optional<RgbImage> ReadPng(const std::string& path) {
    const auto rgba = ReadPngFile(path);
    if (!rgba)
        return std::nullopt;
    RgbImage out;
    out.width = rgba->width;
    out.height = rgba->height;
    out.pixels.resize(static_cast<std::size_t>(rgba->width) * static_cast<std::size_t>(rgba->height));
    for (std::size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = RGB(rgba->rgba[i * 4], rgba->rgba[i * 4 + 1], rgba->rgba[i * 4 + 2]);
    return out;
}

} // namespace polyvane::cli
