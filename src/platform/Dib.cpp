#include "Dib.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace polyvane {

namespace {
// Large enough for any texture page layout, small enough that row arithmetic cannot overflow.
constexpr std::int32_t kMaxDimension = 1 << 16;
} // namespace

std::uint64_t DibPixels::RowBytes(std::int32_t width, unsigned bitCount) {
    return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
}

std::optional<DibPixels> DibPixels::Make(const BITMAPINFO& info, std::span<const std::uint8_t> bits) {
    const BITMAPINFOHEADER& h = info.bmiHeader;
    const unsigned bpp = h.biBitCount;
    if (h.biCompression != BI_RGB || h.biPlanes != 1)
        return std::nullopt;
    if (bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    if (h.biWidth <= 0 || h.biWidth > kMaxDimension || h.biHeight == 0 || h.biHeight < -kMaxDimension ||
        h.biHeight > kMaxDimension)
        return std::nullopt;
    DibPixels p;
    p.m_info = &info;
    p.m_width = h.biWidth;
    p.m_height = std::abs(h.biHeight);
    p.m_bottomUp = h.biHeight > 0;
    p.m_bitCount = bpp;
    p.m_stride = RowBytes(h.biWidth, bpp);
    if (p.m_stride * static_cast<std::uint64_t>(p.m_height) > bits.size())
        return std::nullopt;
    p.m_bits = bits;
    return p;
}

COLORREF DibPixels::Pixel(std::int32_t x, std::int32_t row) const {
    const std::uint8_t* line = m_bits.data() + m_stride * static_cast<std::uint64_t>(row);
    const auto ux = static_cast<std::size_t>(x);
    auto fromPalette = [this](unsigned index) {
        const RGBQUAD& q = m_info->bmiColors[index & 0xFF];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    };
    switch (m_bitCount) {
    case 4: {
        const std::uint8_t b = line[ux / 2];
        return fromPalette((ux % 2) == 0 ? (b >> 4) : (b & 0x0F));
    }
    case 8:
        return fromPalette(line[ux]);
    case 16: {
        const unsigned w = line[ux * 2] | (line[ux * 2 + 1] << 8);
        const auto five = [](unsigned v) { return static_cast<std::uint8_t>((v & 31) << 3); };
        return RGB(five(w >> 10), five(w >> 5), five(w));
    }
    case 24:
        return RGB(line[ux * 3 + 2], line[ux * 3 + 1], line[ux * 3]);
    default:
        return RGB(line[ux * 4 + 2], line[ux * 4 + 1], line[ux * 4]);
    }
}

void DibPixels::Pixels(std::int32_t x, std::int32_t row, std::int32_t count, COLORREF* out) const {
    // A 32-bit picture, the one a view blits every paint, without a choice of depth per pixel.
    if (m_bitCount == 32) {
        const std::uint8_t* from =
            m_bits.data() + m_stride * static_cast<std::uint64_t>(row) + static_cast<std::size_t>(x) * 4;
        for (std::int32_t i = 0; i < count; ++i, from += 4)
            out[i] = RGB(from[2], from[1], from[0]);
        return;
    }
    for (std::int32_t i = 0; i < count; ++i)
        out[i] = Pixel(x + i, row);
}

StretchedBitmap::StretchedBitmap(const DibPixels& pixels, CRect dest, bool mirrorX, bool mirrorY,
                                 std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc)
    : m_pixels(pixels), m_dest(dest), m_mirrorX(mirrorX), m_mirrorY(mirrorY), m_xSrc(xSrc), m_ySrc(ySrc),
      m_wSrc(wSrc), m_hSrc(hSrc) {}

std::optional<COLORREF> StretchedBitmap::Sample(std::int32_t x, std::int32_t y) const {
    const double w = m_dest.Width();
    const double h = m_dest.Height();
    double i = x - m_dest.left;
    double j = y - m_dest.top;
    if (m_mirrorX)
        i = w - 1 - i;
    if (m_mirrorY)
        j = h - 1 - j;
    // Sample at the centre of the destination pixel.
    const double u = m_xSrc + (i + 0.5) * m_wSrc / w;
    // Destination rows run down; a bottom-up bitmap's source y runs up from its bottom edge.
    const double v =
        m_pixels.BottomUp() ? m_ySrc + m_hSrc - (j + 0.5) * m_hSrc / h : m_ySrc + (j + 0.5) * m_hSrc / h;
    const double sx = std::floor(u);
    const double sy = std::floor(v);
    if (sx < 0 || sy < 0 || sx >= m_pixels.Width() || sy >= m_pixels.Height())
        return std::nullopt;
    return m_pixels.Pixel(static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy));
}

void StretchedBitmap::SampleRow(std::int32_t y, std::int32_t x0, std::int32_t x1, COLORREF* out) const {
    if (x1 <= x0)
        return;
    const bool oneToOne = !m_mirrorX && !m_mirrorY && m_wSrc == m_dest.Width() && m_hSrc == m_dest.Height();
    if (!oneToOne) {
        for (std::int32_t x = x0; x < x1; ++x)
            if (const auto colour = Sample(x, y))
                out[x - x0] = *colour;
        return;
    }
    // At the same extent the sample point of pixel i is i + 0.5 source pixels in, exactly, so the
    // source pixel is the i-th.
    const double j = double(y) - m_dest.top;
    const double sy = m_pixels.BottomUp() ? m_ySrc + m_hSrc - j - 1.0 : m_ySrc + j;
    if (sy < 0 || sy >= m_pixels.Height())
        return;
    const double shift = m_xSrc - m_dest.left;
    const auto from = static_cast<std::int32_t>(std::clamp(-shift, double(x0), double(x1)));
    const auto to = static_cast<std::int32_t>(std::clamp(m_pixels.Width() - shift, double(x0), double(x1)));
    if (from < to)
        m_pixels.Pixels(static_cast<std::int32_t>(from + shift), static_cast<std::int32_t>(sy), to - from,
                        out + (from - x0));
}

} // namespace polyvane
