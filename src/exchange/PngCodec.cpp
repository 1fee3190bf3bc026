#include "PngCodec.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace polyvane {

std::optional<RgbaImage> DecodePng(std::span<const std::uint8_t> bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    // A header that claims more than 64 megapixels is refused before anything is allocated.
    if (image.width == 0 || image.height == 0 || std::uint64_t{image.width} * image.height > (64u << 20)) {
        png_image_free(&image);
        return std::nullopt;
    }
    RgbaImage out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return out;
}

std::optional<RgbaImage> ReadPngFile(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes)
        return std::nullopt;
    return DecodePng(*bytes);
}

std::vector<std::uint8_t> EncodePng(const RgbaImage& image, bool withAlpha) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
        return {};
    png_image info{};
    info.version = PNG_IMAGE_VERSION;
    info.width = static_cast<png_uint_32>(image.width);
    info.height = static_cast<png_uint_32>(image.height);
    info.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const std::uint8_t* pixels = image.rgba.data();
    std::vector<std::uint8_t> rgb;
    if (!withAlpha) {
        rgb.resize(image.rgba.size() / 4 * 3);
        for (std::size_t i = 0, n = image.rgba.size() / 4; i < n; ++i)
            std::copy_n(image.rgba.data() + 4 * i, 3, rgb.data() + 3 * i);
        pixels = rgb.data();
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&info, nullptr, &size, 0, pixels, 0, nullptr))
        return {};
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&info, out.data(), &size, 0, pixels, 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace polyvane
