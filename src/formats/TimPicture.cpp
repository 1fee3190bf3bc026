#include "TimPicture.h"

#include "platform/ByteReader.h"

namespace polyvane {

namespace {
COLORREF PaletteColour(const TimImage& tim, unsigned index) {
    const RGBQUAD& q = tim.bitmapInfo.bmiColors[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}
} // namespace

TimPicture MakeTimPicture(const TimImage& tim) {
    TimPicture picture;
    const std::uint32_t width = tim.DisplayWidth();
    const std::uint32_t height = tim.imageHeight;
    if (!tim.pixels || width == 0 || height == 0 || tim.pixels.size() < tim.ImageBytes())
        return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);

    const std::size_t stride = std::size_t{tim.imageWidth} * 2;
    const std::uint16_t bitCount = tim.DisplayBitCount();
    COLORREF* out = picture.pixels.data();
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = tim.pixels.data() + y * stride;
        for (std::uint32_t x = 0; x < picture.width; ++x, ++out) {
            switch (bitCount) {
            case 4: // held with the left pixel in the high half
                *out = PaletteColour(tim, (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
                break;
            case 8:
                *out = PaletteColour(tim, row[x]);
                break;
            case 24:
                *out = RGB(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
                break;
            default:
                *out = TimWordToColour(LoadU16LE(row + 2 * x));
                break;
            }
        }
    }
    return picture;
}

} // namespace polyvane
