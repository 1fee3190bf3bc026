#pragma once
// TIM textures made from ordinary pictures: 4- and 8-bit pixels through a palette made by a colour
// quantiser, or 15-bit colour words.
#include "RgbaImage.h"

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

[[nodiscard]] TimFromImageResult MakeTimFromImage(const RgbaImage& image, const TimFromImageOptions& options);

} // namespace polyvane
