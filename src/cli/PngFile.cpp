#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace polyvane::cli {

bool WritePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return false;
    std::vector<std::uint8_t> rgb(image.pixels.size() * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        rgb[i * 3] = GetRValue(image.pixels[i]);
        rgb[i * 3 + 1] = GetGValue(image.pixels[i]);
        rgb[i * 3 + 2] = GetBValue(image.pixels[i]);
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    // Written beside the target and renamed over it only when complete.
    const std::string temp = path + ".part";
    const bool ok = png_image_write_to_file(&png, temp.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&png);
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::optional<RgbImage> ReadPng(const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return std::nullopt;
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    RgbImage out;
    out.width = static_cast<std::int32_t>(png.width);
    out.height = static_cast<std::int32_t>(png.height);
    out.pixels.resize(static_cast<std::size_t>(png.width) * png.height);
    for (std::size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = RGB(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]);
    return out;
}

} // namespace polyvane::cli
