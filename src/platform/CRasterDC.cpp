#include "CRasterDC.h"

#include "BitmapFont.h"
#include "Clip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace polyvane {

namespace {
// A dashed pen draws this many pixels, then leaves this many out.
constexpr std::int64_t kDashOn = 18;
constexpr std::int64_t kDashOff = 6;
// Beyond this distance from the surface a segment is cut before it is walked pixel by pixel.
constexpr std::int64_t kClipMargin = 4096;

} // namespace

CRasterDC::CRasterDC(std::int32_t width, std::int32_t height, COLORREF background)
    : CDC(CRect{0, 0, std::max(width, 0), std::max(height, 0)}), m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
               background & 0xFFFFFF) {}

COLORREF CRasterDC::GetPixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return RGB(255, 255, 255);
    return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                    static_cast<std::size_t>(x)];
}

CRect CRasterDC::Clip(CRect r) const {
    return CRect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, m_width),
                 std::min(r.bottom, m_height)};
}

void CRasterDC::Plot(std::int64_t x, std::int64_t y, const Pen& pen) {
    const std::int64_t half = (pen.width - 1) / 2;
    for (std::int64_t py = y - half; py < y - half + pen.width; ++py) {
        if (py < 0 || py >= m_height)
            continue;
        for (std::int64_t px = x - half; px < x - half + pen.width; ++px)
            if (px >= 0 && px < m_width)
                m_pixels[static_cast<std::size_t>(py * m_width + px)] = pen.colour;
    }
}

void CRasterDC::Stroke(CPoint from, CPoint to, const Pen& pen, bool last, std::int64_t& dash) {
    std::int64_t x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    const auto far = [&](std::int64_t x, std::int64_t y) {
        return x < -kClipMargin || y < -kClipMargin || x > m_width + kClipMargin ||
               y > m_height + kClipMargin;
    };
    if (far(x0, y0) || far(x1, y1)) {
        PointF a{static_cast<double>(x0), static_cast<double>(y0)};
        PointF b{static_cast<double>(x1), static_cast<double>(y1)};
        if (!ClipSegment(a, b, -2.0, -2.0, m_width + 2.0, m_height + 2.0))
            return;
        x0 = std::llround(a.x);
        y0 = std::llround(a.y);
        x1 = std::llround(b.x);
        y1 = std::llround(b.y);
        last = true;
    }
    // Bresenham's walk.
    const std::int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    std::int64_t err = dx + dy;
    while (true) {
        const bool end = x0 == x1 && y0 == y1;
        if (end && !last)
            break;
        if (pen.style != PS_DASH || dash % (kDashOn + kDashOff) < kDashOn)
            Plot(x0, y0, pen);
        ++dash;
        if (end)
            break;
        const std::int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void CRasterDC::RenderLine(CPoint from, CPoint to, const Pen& pen) {
    std::int64_t dash = 0;
    Stroke(from, to, pen, false, dash);
}

void CRasterDC::RenderPolygon(std::span<const CPoint> points, const Pen& pen, const Brush& brush) {
    const std::size_t n = points.size();
    if (!brush.hollow && m_width > 0) {
        std::int64_t top = INT64_MAX, bottom = INT64_MIN;
        for (const CPoint& p : points) {
            top = std::min<std::int64_t>(top, p.y);
            bottom = std::max<std::int64_t>(bottom, p.y);
        }
        top = std::max<std::int64_t>(top, 0);
        bottom = std::min<std::int64_t>(bottom, m_height - 1);
        std::vector<double> crossings;
        for (std::int64_t y = top; y <= bottom; ++y) {
            // Pixel centres inside the outline by the alternate rule.
            const double cy = static_cast<double>(y) + 0.5;
            crossings.clear();
            for (std::size_t i = 0; i < n; ++i) {
                const CPoint& a = points[i];
                const CPoint& b = points[(i + 1) % n];
                if ((a.y <= cy) == (b.y <= cy))
                    continue;
                const double t = (cy - a.y) / (static_cast<double>(b.y) - a.y);
                crossings.push_back(a.x + t * (static_cast<double>(b.x) - a.x));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
                const double from = std::max(std::ceil(crossings[i] - 0.5), 0.0);
                const double to = std::min(std::ceil(crossings[i + 1] - 0.5), static_cast<double>(m_width));
                for (auto x = static_cast<std::int64_t>(from); x < static_cast<std::int64_t>(to); ++x)
                    m_pixels[static_cast<std::size_t>(y * m_width + x)] = brush.colour;
            }
        }
    }
    std::int64_t dash = 0;
    for (std::size_t i = 0; i < n; ++i)
        Stroke(points[i], points[(i + 1) % n], pen, true, dash);
}

void CRasterDC::RenderText(CPoint topLeft, std::string_view text, const TextStyle& style) {
    const std::int64_t width = static_cast<std::int64_t>(text.size()) * BitmapFont::kCellWidth;
    if (style.bkMode == OPAQUE) {
        const std::int64_t right = std::min<std::int64_t>(topLeft.x + width, INT32_MAX);
        RenderFill(CRect{topLeft.x, topLeft.y, static_cast<std::int32_t>(right),
                         static_cast<std::int32_t>(
                             std::min<std::int64_t>(topLeft.y + BitmapFont::kCellHeight, INT32_MAX))},
                   style.background);
    }
    const Pen ink{PS_SOLID, 1, style.colour};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::int64_t cellX = topLeft.x + static_cast<std::int64_t>(i) * BitmapFont::kCellWidth;
        if (cellX >= m_width)
            break;
        if (cellX + BitmapFont::kCellWidth < 0)
            continue;
        for (int row = 0; row < BitmapFont::kGlyphRows; ++row)
            for (int column = 0; column < BitmapFont::kGlyphColumns; ++column)
                if (BitmapFont::Ink(static_cast<unsigned char>(text[i]), column, row))
                    Plot(cellX + column, static_cast<std::int64_t>(topLeft.y) + BitmapFont::kTopMargin + row,
                         ink);
    }
}

void CRasterDC::RenderFill(CRect rect, COLORREF colour) {
    const CRect r = Clip(rect);
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x)
            m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                     static_cast<std::size_t>(x)] = colour;
}

void CRasterDC::RenderBitmap(const StretchedBitmap& bitmap) {
    const CRect r = Clip(bitmap.Dest());
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x)
            if (const auto colour = bitmap.Sample(x, y))
                m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                         static_cast<std::size_t>(x)] = *colour;
}

} // namespace polyvane
