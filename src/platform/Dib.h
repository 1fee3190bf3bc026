#pragma once
// Device-independent bitmaps: a 40-byte header, a 256-entry palette and pixel rows, each row padded
// to a multiple of 4 bytes. Supported: uncompressed 4-bit (left pixel in the high half of a byte)
// and 8-bit palette indices, 16-bit 5-5-5 words (blue in bits 0-4, red in bits 10-14), 24-bit
// blue-green-red triples and 32-bit blue-green-red-unused quads. A positive height stores the rows
// bottom-up (the first row in memory is the bottom row of the picture), a negative one top-down.
#include "Geometry.h"

#include <cstdint>
#include <optional>
#include <span>

namespace polyvane {

struct BITMAPINFOHEADER {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4);

// The header followed at once by the full palette, as a texture record keeps it ready for display.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};
static_assert(sizeof(BITMAPINFO) == 40 + 256 * 4);

constexpr std::uint32_t BI_RGB = 0;
constexpr unsigned DIB_RGB_COLORS = 0;
constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// A header checked against its bits: reads pixels by memory row, never outside `bits`.
class DibPixels {
  public:
    // None when the header is unsupported or `bits` holds fewer bytes than its rows need.
    static std::optional<DibPixels> Make(const BITMAPINFO& info, std::span<const std::uint8_t> bits);

    [[nodiscard]] std::int32_t Width() const { return m_width; }
    [[nodiscard]] std::int32_t Height() const { return m_height; }
    [[nodiscard]] bool BottomUp() const { return m_bottomUp; }
    // Colour of the pixel in column x of memory row `row` (0 is the first row in memory).
    [[nodiscard]] COLORREF Pixel(std::int32_t x, std::int32_t row) const;
    // The colours of `count` pixels from column x of memory row `row`, as Pixel gives them.
    void Pixels(std::int32_t x, std::int32_t row, std::int32_t count, COLORREF* out) const;
    [[nodiscard]] static std::uint64_t RowBytes(std::int32_t width, unsigned bitCount);

  private:
    const BITMAPINFO* m_info = nullptr;
    std::span<const std::uint8_t> m_bits;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint64_t m_stride = 0;
    unsigned m_bitCount = 0;
    bool m_bottomUp = true;
};

// A blit resolved to device pixels: `dest` is the destination rectangle (normalised, in device
// coordinates) and Sample gives the colour of each of its pixels, or none where the source
// rectangle reaches outside the bitmap. A negative source or destination extent mirrors the picture
// along that axis. Source coordinates follow the bitmap's own origin: for a bottom-up bitmap y counts
// up from its bottom edge, for a top-down one down from its top edge.
class StretchedBitmap {
  public:
    StretchedBitmap(const DibPixels& pixels, CRect dest, bool mirrorX, bool mirrorY, std::int32_t xSrc,
                    std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc);
    [[nodiscard]] const CRect& Dest() const { return m_dest; }
    // Colour at device pixel (x, y) inside Dest().
    [[nodiscard]] std::optional<COLORREF> Sample(std::int32_t x, std::int32_t y) const;
    // The samples of device row y over columns x0 <= x < x1 into out[x - x0]; where Sample gives
    // none the pixel is left as it is. A blit of pixel for pixel is copied without the arithmetic.
    void SampleRow(std::int32_t y, std::int32_t x0, std::int32_t x1, COLORREF* out) const;

  private:
    DibPixels m_pixels;
    CRect m_dest;
    bool m_mirrorX, m_mirrorY;
    double m_xSrc, m_ySrc, m_wSrc, m_hSrc;
};

} // namespace polyvane
