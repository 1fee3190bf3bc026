#include "TimFromImage.h"

#include "PngCodec.h"
#include "formats/TimEdits.h"
#include "formats/TimImage.h"
#include "platform/ByteReader.h"

#include <libimagequant.h>

#include <memory>

namespace polyvane {

namespace {

constexpr int kMaxTexels = 256;

// The top five bits, so that a channel widened from five bits as (c << 3) | (c >> 2) comes back.
std::uint8_t Channel5(std::uint8_t c) {
    return static_cast<std::uint8_t>(c >> 3);
}

// `clut` holds whole rows of `clutWidth` words.
std::vector<std::uint8_t> TimBytes(std::uint32_t flags, const std::vector<std::uint16_t>& clut,
                                   std::size_t clutWidth, const TimFromImageOptions& options, int widthWords,
                                   int height, const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> out(8 + (clut.empty() ? 0 : 12 + clut.size() * 2) + 12 + words.size() * 2);
    std::uint8_t* at = out.data();
    auto u16 = [&](std::uint16_t v) { StoreU16LE(at, v), at += 2; };
    auto u32 = [&](std::uint32_t v) { StoreU32LE(at, v), at += 4; };
    u32(kTimId);
    u32(flags);
    if (!clut.empty()) {
        u32(static_cast<std::uint32_t>(12 + clut.size() * 2));
        u16(static_cast<std::uint16_t>(options.clutX));
        u16(static_cast<std::uint16_t>(options.clutY));
        u16(static_cast<std::uint16_t>(clutWidth));
        u16(static_cast<std::uint16_t>(clut.size() / clutWidth));
        for (std::uint16_t word : clut)
            u16(word);
    }
    u32(static_cast<std::uint32_t>(12 + words.size() * 2));
    u16(static_cast<std::uint16_t>(options.imageX));
    u16(static_cast<std::uint16_t>(options.imageY));
    u16(static_cast<std::uint16_t>(widthWords));
    u16(static_cast<std::uint16_t>(height));
    for (std::uint16_t word : words)
        u16(word);
    return out;
}

struct LiqDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

// Palette indices and colour words for an indexed picture of at most `colours` entries.
bool Quantise(const RgbaImage& image, int colours, std::vector<std::uint8_t>& indices,
              std::vector<std::uint16_t>& clut) {
    // The quantiser works on what the frame buffer can hold: channels cut to 5 bits first, so that a
    // picture of few colours keeps exactly the colours it shows.
    std::vector<std::uint8_t> reduced(image.rgba.size());
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        const bool clear = image.rgba[i + 3] == 0;
        for (int c = 0; c < 3; ++c) {
            const int five = Channel5(image.rgba[i + std::size_t(c)]);
            reduced[i + std::size_t(c)] = clear ? 0 : static_cast<std::uint8_t>((five << 3) | (five >> 2));
        }
        reduced[i + 3] = clear ? 0 : 255;
    }
    std::unique_ptr<liq_attr, LiqDeleter> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), colours) != LIQ_OK)
        return false;
    std::unique_ptr<liq_image, LiqDeleter> input(
        liq_image_create_rgba(attr.get(), reduced.data(), image.width, image.height, 0));
    if (!input)
        return false;
    liq_result* raw = nullptr;
    if (liq_image_quantize(input.get(), attr.get(), &raw) != LIQ_OK)
        return false;
    std::unique_ptr<liq_result, LiqDeleter> result(raw);
    // No dithering: a texel keeps the palette colour nearest it, as a pixel artist expects.
    liq_set_dithering_level(result.get(), 0.0f);
    indices.resize(std::size_t(image.width) * std::size_t(image.height));
    if (liq_write_remapped_image(result.get(), input.get(), indices.data(), indices.size()) != LIQ_OK)
        return false;
    const liq_palette* palette = liq_get_palette(result.get());
    clut.assign(std::size_t(colours), 0);
    for (unsigned i = 0; i < palette->count && i < clut.size(); ++i) {
        const liq_color& c = palette->entries[i];
        const std::uint8_t rgba[4] = {c.r, c.g, c.b, static_cast<std::uint8_t>(c.a < 128 ? 0 : 255)};
        clut[i] = ColourWordOf(rgba);
    }
    return true;
}

} // namespace

std::uint16_t ColourWordOf(const std::uint8_t* rgba) {
    if (rgba[3] == 0)
        return 0x0000;
    const auto word =
        static_cast<std::uint16_t>(Channel5(rgba[0]) | (Channel5(rgba[1]) << 5) | (Channel5(rgba[2]) << 10));
    return word == 0 ? 0x8000 : word;
}

std::vector<std::uint8_t> EncodeTim(const TimImage& tim) {
    const std::vector<std::uint16_t> words = FrameBufferWords(tim);
    if (words.empty())
        return {};
    std::vector<std::uint16_t> clut;
    std::size_t clutWidth = 1;
    if (tim.hasClut && tim.clutWidth > 0) {
        // Whole rows of the colour words the record keeps.
        clutWidth = tim.clutWidth;
        clut.assign(tim.clutTable.begin(),
                    tim.clutTable.begin() + std::ptrdiff_t(tim.ClutRows() * clutWidth));
    }
    const TimFromImageOptions placement{0, tim.imageX, tim.imageY, tim.clutX, tim.clutY};
    return TimBytes(tim.pixelMode | (clut.empty() ? 0u : 0x08u), clut, clutWidth, placement, tim.imageWidth,
                    tim.imageHeight, words);
}

PaletteFromFile ReadPaletteFile(const std::string& path, std::size_t rowLength) {
    PaletteFromFile result;
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        result.error = "Cannot read " + path;
        return result;
    }
    if (auto image = DecodePng(*bytes)) {
        // One more than the row holds is enough to tell that the picture has too many.
        result.words = DistinctColourWords(image->rgba, rowLength);
        return result;
    }
    auto tim = ReadTim(*bytes);
    if (!tim) {
        result.error = path + ": neither a PNG picture nor a TIM texture (" + TimErrorText(tim.error()) + ")";
        return result;
    }
    const std::size_t length = std::min(tim->ClutRowLength(), tim->clutTable.size());
    result.words.assign(tim->clutTable.begin(), tim->clutTable.begin() + std::ptrdiff_t(length));
    if (result.words.empty())
        result.error = path + ": the texture has no colour table";
    return result;
}

std::vector<std::uint16_t> FrameBufferWords(const TimImage& tim) {
    const std::size_t count = std::size_t(tim.imageWidth) * tim.imageHeight;
    if (!tim.pixels || tim.pixels.size() < count * 2)
        return {};
    std::vector<std::uint16_t> words(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t low = tim.pixels.data()[2 * i], high = tim.pixels.data()[2 * i + 1];
        if (tim.pixelMode == kTimMode4Bit) { // the record keeps 4-bit pixels in display order
            low = static_cast<std::uint8_t>((low >> 4) | (low << 4));
            high = static_cast<std::uint8_t>((high >> 4) | (high << 4));
        }
        words[i] = static_cast<std::uint16_t>(low | (high << 8));
    }
    return words;
}

TimFromImageResult MakeTimFromImage(const RgbaImage& image, const TimFromImageOptions& options) {
    TimFromImageResult result;
    if (options.bpp != 4 && options.bpp != 8 && options.bpp != 15) {
        result.error = "Pixel depth must be 4, 8 or 15 bits";
        return result;
    }
    if (image.width <= 0 || image.height <= 0) {
        result.error = "The image is empty";
        return result;
    }
    if (image.width > kMaxTexels || image.height > kMaxTexels) {
        result.error = "The image is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                       " pixels; a texture page holds at most 256 x 256 texels";
        return result;
    }
    const int perWord = options.bpp == 4 ? 4 : options.bpp == 8 ? 2 : 1;
    const int widthWords = (image.width + perWord - 1) / perWord;
    if (options.imageX < 0 || options.imageY < 0 || options.imageX + widthWords > 1024 ||
        options.imageY + image.height > 512) {
        result.error = "The texture does not fit the frame buffer at (" + std::to_string(options.imageX) +
                       "," + std::to_string(options.imageY) + ")";
        return result;
    }
    std::vector<std::uint16_t> words(std::size_t(widthWords) * std::size_t(image.height), 0);
    if (options.bpp == 15) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                words[std::size_t(y) * std::size_t(widthWords) + std::size_t(x)] =
                    ColourWordOf(image.Pixel(x, y));
        result.bytes = TimBytes(kTimMode15Bit, {}, 1, options, widthWords, image.height, words);
        return result;
    }
    const int colours = options.bpp == 4 ? 16 : 256;
    if (options.clutX < 0 || options.clutY < 0 || options.clutX % 16 != 0 || options.clutX + colours > 1024 ||
        options.clutY >= 512) {
        result.error = "The colour table does not fit the frame buffer at (" + std::to_string(options.clutX) +
                       "," + std::to_string(options.clutY) + "); its x must be a multiple of 16";
        return result;
    }
    std::vector<std::uint8_t> indices;
    std::vector<std::uint16_t> clut;
    if (!Quantise(image, colours, indices, clut)) {
        result.error = "The colour quantiser could not make a palette for the image";
        return result;
    }
    const int bits = options.bpp;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint16_t index = indices[std::size_t(y) * std::size_t(image.width) + std::size_t(x)];
            std::uint16_t& word = words[std::size_t(y) * std::size_t(widthWords) + std::size_t(x / perWord)];
            word = static_cast<std::uint16_t>(word | (index << ((x % perWord) * bits)));
        }
    result.bytes = TimBytes((bits == 4 ? kTimMode4Bit : kTimMode8Bit) | 0x08u, clut, clut.size(), options,
                            widthWords, image.height, words);
    return result;
}

} // namespace polyvane
