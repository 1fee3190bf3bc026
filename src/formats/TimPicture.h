#pragma once
// A loaded texture as the texture view and the PNG export show it: one 0x00BBGGRR value per pixel,
// the first row at the top, at scale 1. Both draw from this, so what one shows the other writes.
#include "TimImage.h"
#include "platform/Geometry.h"

#include <cstdint>
#include <vector>

namespace polyvane {

struct TimPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<COLORREF> pixels; // width x height, row after row from the top

    [[nodiscard]] COLORREF At(std::uint32_t x, std::uint32_t y) const {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
};

// Indexed pixels take their colours from the record's palette; 15-bit words convert as palette
// entries do; 24-bit pixels are red, green, blue bytes. Rows are read at the TIM's own stride of
// imageWidth x 2 bytes, so odd widths need no padding. A record without the pixel data its size
// covers gives an empty picture.
TimPicture MakeTimPicture(const TimImage& tim);

} // namespace polyvane
