#pragma once
// TIM textures made from ordinary pictures: 4- and 8-bit pixels through a palette made by a colour
// quantiser, or 15-bit colour words.
#include "RgbaImage.h"
#include "formats/TimImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace polyvane {

struct TimFromImageOptions {
    int bpp = 8;      // 4, 8 or 15
    int imageX = 640; // frame-buffer word column of the pixels
    int imageY = 0;
    int clutX = 0; // of the colour table, a multiple of 16
    int clutY = 480;
};

struct TimFromImageResult {
    std::vector<std::uint8_t> bytes; // the TIM file; empty on failure
    std::string error;
};

// The colour word of an RGBA pixel: none (0x0000) for a fully transparent one; black that is shown
// becomes 0x8000, black with the semi-transparency bit, because 0x0000 would not be drawn.
[[nodiscard]] std::uint16_t ColourWordOf(const std::uint8_t* rgba);

// A loaded texture's pixels as the frame-buffer words they fill, row after row; empty without pixels.
[[nodiscard]] std::vector<std::uint16_t> FrameBufferWords(const TimImage& tim);
// A loaded texture as a TIM file again (4-, 8- and 15-bit; the colour words the record keeps).
[[nodiscard]] std::vector<std::uint8_t> EncodeTim(const TimImage& tim);

// The colour words a palette row is replaced with from a file: a PNG's distinct colours (nearest
// 15-bit words, first seen first), or a TIM's first colour-table row. Empty words and an error text
// when the file cannot be read or holds no colours.
struct PaletteFromFile {
    std::vector<std::uint16_t> words;
    std::string error;
};
[[nodiscard]] PaletteFromFile ReadPaletteFile(const std::string& path, std::size_t rowLength);

[[nodiscard]] TimFromImageResult MakeTimFromImage(const RgbaImage& image, const TimFromImageOptions& options);

} // namespace polyvane
