#include "CRasterDC.h"

#include "BitmapFont.h"
#include "Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace polyvane {

CRasterDC::CRasterDC(std::int32_t width, std::int32_t height, COLORREF background)
    : CDC(CRect{0, 0, std::max(width, 0), std::max(height, 0)}), m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), background & 0xFFFFFF),
      m_raster(m_pixels.data(), m_width, m_height, m_width) {}

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

void CRasterDC::RenderLine(CPoint from, CPoint to, const Pen& pen) {
    std::int64_t dash = 0;
    m_raster.StrokeLine(from, to, pen.colour, pen.width, pen.style == PS_DASH, false, dash);
}

namespace {
// A polygon filled with the brush, then outlined with the pen.
void DrawPolygon(PixelRaster& raster, std::span<const CPoint> points, const Pen& pen, const Brush& brush) {
    if (!brush.hollow)
        raster.FillPolygon(points, brush.colour);
    raster.StrokePolygon(points, pen.colour, pen.width, pen.style == PS_DASH);
}
} // namespace

void CRasterDC::RenderPolygon(std::span<const CPoint> points, const Pen& pen, const Brush& brush) {
    DrawPolygon(m_raster, points, pen, brush);
}

void CRasterDC::RenderPolygons(std::span<const std::array<CPoint, 4>> outlines,
                               std::span<const std::uint8_t> counts, const Pen& pen, const Brush& brush) {
    const unsigned parts = WorkerCountFor(outlines.size());
    if (parts <= 1 || m_height < std::int32_t(parts)) {
        CDC::RenderPolygons(outlines, counts, pen, brush);
        return;
    }
    // Each thread draws every outline on its own run of rows, in the same order, so the surface ends
    // as drawing them one by one leaves it.
    RunParts(parts, [&](unsigned part) {
        PixelRaster raster(m_pixels.data(), m_width, m_height, m_width);
        const auto top = static_cast<std::int32_t>(std::int64_t(m_height) * part / parts);
        const auto bottom = static_cast<std::int32_t>(std::int64_t(m_height) * (part + 1) / parts);
        raster.SetRows(top, bottom);
        // A wide pen reaches its width beyond the points.
        const std::int64_t reach = std::max(pen.width, 1);
        for (std::size_t i = 0; i < outlines.size() && i < counts.size(); ++i) {
            const std::size_t count = std::min<std::size_t>(counts[i], 4);
            if (count < 2)
                continue;
            const std::span<const CPoint> points(outlines[i].data(), count);
            std::int64_t minY = points[0].y, maxY = points[0].y;
            for (const CPoint& p : points) {
                minY = std::min<std::int64_t>(minY, p.y);
                maxY = std::max<std::int64_t>(maxY, p.y);
            }
            if (maxY + reach < top || minY - reach >= bottom)
                continue;
            DrawPolygon(raster, points, pen, brush);
        }
    });
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
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::int64_t cellX = topLeft.x + static_cast<std::int64_t>(i) * BitmapFont::kCellWidth;
        if (cellX >= m_width)
            break;
        if (cellX + BitmapFont::kCellWidth < 0)
            continue;
        for (int row = 0; row < BitmapFont::kGlyphRows; ++row)
            for (int column = 0; column < BitmapFont::kGlyphColumns; ++column)
                if (BitmapFont::Ink(static_cast<unsigned char>(text[i]), column, row))
                    m_raster.Plot(cellX + column,
                                  static_cast<std::int64_t>(topLeft.y) + BitmapFont::kTopMargin + row,
                                  style.colour);
    }
}

void CRasterDC::RenderFill(CRect rect, COLORREF colour) {
    m_raster.FillRect(rect, colour);
}

void CRasterDC::RenderBitmap(const StretchedBitmap& bitmap) {
    const CRect r = Clip(bitmap.Dest());
    if (r.bottom <= r.top || r.right <= r.left)
        return;
    // A window's worth of pixels is shared among the processors, each a run of rows.
    constexpr std::int64_t kThreadedPixels = std::int64_t{1} << 18;
    const std::int32_t rows = r.bottom - r.top;
    const unsigned parts = std::int64_t{rows} * (r.right - r.left) >= kThreadedPixels ? WorkerCount() : 1u;
    RunParts(parts, [&](unsigned part) {
        for (std::int32_t y = r.top + rows * std::int32_t(part) / std::int32_t(parts);
             y < r.top + rows * std::int32_t(part + 1) / std::int32_t(parts); ++y)
            bitmap.SampleRow(y, r.left, r.right,
                             m_pixels.data() +
                                 static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                                 static_cast<std::size_t>(r.left));
    });
}

} // namespace polyvane
