#include "PixelRaster.h"

#include "Clip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace polyvane {

namespace {
// Beyond this distance from the block a segment is cut before it is walked pixel by pixel.
constexpr std::int64_t kClipMargin = 4096;

// ceil for values already held within the block's range: a plain conversion, not a library call.
inline std::int64_t CeilSmall(double v) {
    const auto i = static_cast<std::int64_t>(v);
    return i < v ? i + 1 : i;
}

struct Edge {
    double x0, y0, slope; // x at row centre cy is x0 + (cy - y0) * slope
    double yMin, yMax;
};
} // namespace

bool IsConvexOutline(std::span<const CPoint> p) {
    const std::size_t n = p.size();
    // Beyond this the cross products below could overflow; such outlines take the general road.
    constexpr std::int32_t kLimit = 1 << 30;
    for (const CPoint& q : p)
        if (q.x > kLimit || q.x < -kLimit || q.y > kLimit || q.y < -kLimit)
            return false;
    if (n == 3)
        return true; // three points turn one way or lie on a line
    int sign = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // Indices wrap by comparison: a division per corner costs more than the test itself.
        const std::size_t j = i + 1 < n ? i + 1 : i + 1 - n;
        const std::size_t k = i + 2 < n ? i + 2 : i + 2 - n;
        const CPoint& a = p[i];
        const CPoint& b = p[j];
        const CPoint& c = p[k];
        const std::int64_t cross =
            (static_cast<std::int64_t>(b.x) - a.x) * (static_cast<std::int64_t>(c.y) - b.y) -
            (static_cast<std::int64_t>(b.y) - a.y) * (static_cast<std::int64_t>(c.x) - b.x);
        if (cross == 0)
            continue;
        const int s = cross > 0 ? 1 : -1;
        if (sign != 0 && s != sign)
            return false;
        sign = s;
    }
    // A turn of one sign all round can still wind twice (a star); three or four points cannot.
    return n <= 4;
}

void PixelRaster::SetRows(std::int32_t top, std::int32_t bottom) {
    m_top = std::clamp(top, 0, std::max(m_height, 0));
    m_bottom = std::clamp(bottom, m_top, std::max(m_height, 0));
}

void PixelRaster::FillPolygon(std::span<const CPoint> points, std::uint32_t value) {
    const std::size_t n = points.size();
    if (n < 3 || m_width <= 0 || m_height <= 0)
        return;
    // Small polygons, the common case, keep their edges and crossings on the stack.
    constexpr std::size_t kSmall = 8;
    Edge smallEdges[kSmall];
    double smallCrossings[kSmall];
    std::vector<Edge> bigEdges;
    std::vector<double> bigCrossings;
    Edge* edges = smallEdges;
    double* crossings = smallCrossings;
    if (n > kSmall) {
        bigEdges.resize(n);
        bigCrossings.resize(n);
        edges = bigEdges.data();
        crossings = bigCrossings.data();
    }
    std::size_t edgeCount = 0;
    double top = INFINITY, bottom = -INFINITY;
    for (std::size_t i = 0; i < n; ++i) {
        const CPoint& a = points[i];
        const CPoint& b = points[i + 1 < n ? i + 1 : 0];
        if (a.y == b.y)
            continue; // a level edge crosses no row centre
        const double ay = a.y, by = b.y;
        edges[edgeCount++] = Edge{static_cast<double>(a.x), ay, (static_cast<double>(b.x) - a.x) / (by - ay),
                                  std::min(ay, by), std::max(ay, by)};
        top = std::min(top, std::min(ay, by));
        bottom = std::max(bottom, std::max(ay, by));
    }
    if (edgeCount == 0)
        return; // every edge level: no area
    // Rows whose centre y + 0.5 lies in [top, bottom).
    const std::int64_t firstRow = CeilSmall(std::max(top - 0.5, -1.0));
    std::int64_t lastRow = CeilSmall(std::min(bottom - 0.5, static_cast<double>(m_height)));
    const double right = static_cast<double>(m_width);
    std::int64_t rowFrom = std::max<std::int64_t>(firstRow, 0);
    constexpr std::int64_t kSpanRows = 64;
    // The way is chosen on the whole block's rows, then the rows are cut to the ones drawn on.
    const bool convex = lastRow - rowFrom <= kSpanRows && IsConvexOutline(points);
    rowFrom = std::max<std::int64_t>(rowFrom, m_top);
    lastRow = std::min<std::int64_t>(lastRow, m_bottom);
    if (rowFrom >= lastRow)
        return;
    if (convex) {
        // A convex outline crosses every row twice: each edge widens its rows' spans, then each row
        // is filled once, without collecting and sorting crossings.
        double left[kSpanRows], rightEnd[kSpanRows];
        const std::int64_t rows = std::max<std::int64_t>(lastRow - rowFrom, 0);
        std::fill(left, left + rows, right + 1.0);
        std::fill(rightEnd, rightEnd + rows, -1.0);
        for (std::size_t e = 0; e < edgeCount; ++e) {
            const Edge& edge = edges[e];
            const std::int64_t r0 = std::max(CeilSmall(std::max(edge.yMin - 0.5, -1.0)), rowFrom);
            const std::int64_t r1 =
                std::min(CeilSmall(std::min(edge.yMax - 0.5, static_cast<double>(m_height))), lastRow);
            for (std::int64_t y = r0; y < r1; ++y) {
                const double x = edge.x0 + (static_cast<double>(y) + 0.5 - edge.y0) * edge.slope;
                const double clamped = x < -1.0 ? -1.0 : x > right + 1.0 ? right + 1.0 : x;
                const std::size_t k = static_cast<std::size_t>(y - rowFrom);
                left[k] = std::min(left[k], clamped);
                rightEnd[k] = std::max(rightEnd[k], clamped);
            }
        }
        for (std::int64_t k = 0; k < rows; ++k) {
            const std::int64_t from = std::max<std::int64_t>(CeilSmall(left[k] - 0.5), 0);
            const std::int64_t to = std::min<std::int64_t>(CeilSmall(rightEnd[k] - 0.5), m_width);
            if (from < to) {
                std::uint32_t* row = m_pixels + (rowFrom + k) * m_stride;
                std::fill(row + from, row + to, value);
            }
        }
        return;
    }
    for (std::int64_t y = rowFrom; y < lastRow; ++y) {
        const double cy = static_cast<double>(y) + 0.5;
        std::size_t count = 0;
        for (std::size_t e = 0; e < edgeCount; ++e) {
            const Edge& edge = edges[e];
            if (cy >= edge.yMin && cy < edge.yMax) {
                // Kept within the row (and off the far ends) so that the conversions below are exact.
                const double x = edge.x0 + (cy - edge.y0) * edge.slope;
                crossings[count++] = x < -1.0 ? -1.0 : x > right + 1.0 ? right + 1.0 : x;
            }
        }
        if (count == 2) {
            if (crossings[1] < crossings[0])
                std::swap(crossings[0], crossings[1]);
        } else {
            std::sort(crossings, crossings + count);
        }
        std::uint32_t* row = m_pixels + static_cast<std::ptrdiff_t>(y) * m_stride;
        for (std::size_t i = 0; i + 1 < count; i += 2) {
            // Pixels whose centre x + 0.5 lies in [left crossing, right crossing).
            const std::int64_t from = std::max<std::int64_t>(CeilSmall(crossings[i] - 0.5), 0);
            const std::int64_t to = std::min<std::int64_t>(CeilSmall(crossings[i + 1] - 0.5), m_width);
            if (from < to)
                std::fill(row + from, row + to, value);
        }
    }
}

void PixelRaster::StrokePolygon(std::span<const CPoint> points, std::uint32_t value, std::int32_t width,
                                bool dashed) {
    std::int64_t dash = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
        StrokeLine(points[i], points[i + 1 < points.size() ? i + 1 : 0], value, width, dashed, true, dash);
}

void PixelRaster::PlotWide(std::int64_t x, std::int64_t y, std::uint32_t value, std::int32_t width) {
    const std::int64_t half = (width - 1) / 2;
    for (std::int64_t py = y - half; py < y - half + width; ++py)
        for (std::int64_t px = x - half; px < x - half + width; ++px)
            Plot(px, py, value);
}

void PixelRaster::StrokeLine(CPoint from, CPoint to, std::uint32_t value, std::int32_t width, bool dashed,
                             bool includeLast, std::int64_t& dashPhase) {
    std::int64_t x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    const auto far = [&](std::int64_t x, std::int64_t y) {
        return x < -kClipMargin || y < -kClipMargin || x > m_width + kClipMargin ||
               y > m_height + kClipMargin;
    };
    const auto within = [&](std::int64_t x, std::int64_t y) {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    };
    if (!(within(x0, y0) && within(x1, y1)) && (far(x0, y0) || far(x1, y1))) {
        PointF a{static_cast<double>(x0), static_cast<double>(y0)};
        PointF b{static_cast<double>(x1), static_cast<double>(y1)};
        if (!ClipSegment(a, b, -2.0, -2.0, m_width + 2.0, m_height + 2.0))
            return;
        x0 = std::llround(a.x);
        y0 = std::llround(a.y);
        x1 = std::llround(b.x);
        y1 = std::llround(b.y);
        includeLast = true;
    }
    const std::int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    std::int64_t err = dx + dy;
    const bool inside = std::min(x0, x1) >= 0 && std::min(y0, y1) >= m_top && std::max(x0, x1) < m_width &&
                        std::max(y0, y1) < m_bottom;
    if (!dashed && width <= 1 && inside) {
        // The common case, the edges of small faces: no dash, no bounds to test per pixel.
        const std::int64_t steps = std::max(dx, -dy) + (includeLast ? 1 : 0);
        dashPhase += steps;
        std::uint32_t* pixel = m_pixels + y0 * m_stride + x0;
        const std::ptrdiff_t stepY = sy * m_stride;
        for (std::int64_t i = 0; i < steps; ++i) {
            *pixel = value;
            // The same steps as below, chosen without branches: the walk turns unpredictably.
            const std::int64_t e2 = 2 * err;
            const bool moveX = e2 >= dy;
            const bool moveY = e2 <= dx;
            err += (moveX ? dy : 0) + (moveY ? dx : 0);
            pixel += (moveX ? sx : 0) + (moveY ? stepY : 0);
        }
        return;
    }
    std::int64_t phase = dashed ? dashPhase % (kDashOn + kDashOff) : 0;
    while (true) {
        const bool end = x0 == x1 && y0 == y1;
        if (end && !includeLast)
            break;
        if (!dashed || phase < kDashOn) {
            if (width <= 1)
                Plot(x0, y0, value);
            else
                PlotWide(x0, y0, value, width);
        }
        if (++phase == kDashOn + kDashOff)
            phase = 0;
        ++dashPhase;
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

void PixelRaster::FillRect(CRect rect, std::uint32_t value) {
    const std::int32_t left = std::max(rect.left, 0), top = std::max(rect.top, m_top);
    const std::int32_t right = std::min(rect.right, m_width), bottom = std::min(rect.bottom, m_bottom);
    for (std::int32_t y = top; y < bottom; ++y) {
        std::uint32_t* row = m_pixels + static_cast<std::ptrdiff_t>(y) * m_stride;
        std::fill(row + left, row + std::max(left, right), value);
    }
}

} // namespace polyvane
