#include "Clip.h"

#include <algorithm>
#include <cmath>

namespace polyvane {

bool ReachesFarOutside(std::span<const CPoint> points, CRect box, std::int32_t margin) {
    const std::int64_t l = static_cast<std::int64_t>(box.left) - margin,
                       t = static_cast<std::int64_t>(box.top) - margin;
    const std::int64_t r = static_cast<std::int64_t>(box.right) + margin;
    const std::int64_t b = static_cast<std::int64_t>(box.bottom) + margin;
    return std::any_of(points.begin(), points.end(),
                       [&](const CPoint& p) { return p.x < l || p.x > r || p.y < t || p.y > b; });
}

bool ClipSegment(PointF& a, PointF& b, double left, double top, double right, double bottom) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const PointF start{a.x + t0 * dx, a.y + t0 * dy};
    b = PointF{a.x + t1 * dx, a.y + t1 * dy};
    a = start;
    return true;
}

std::vector<CPoint> ClipPolygon(std::span<const CPoint> points, CRect box) {
    std::vector<PointF> poly;
    for (const CPoint& p : points)
        poly.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    // One pass per edge of the box: keep what lies inside, add the crossing points.
    const auto pass = [&](auto inside, auto cross) {
        std::vector<PointF> out;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const PointF& a = poly[i];
            const PointF& b = poly[(i + 1) % poly.size()];
            const bool ina = inside(a), inb = inside(b);
            if (ina)
                out.push_back(a);
            if (ina != inb)
                out.push_back(cross(a, b));
        }
        poly = std::move(out);
    };
    const auto atX = [](const PointF& a, const PointF& b, double x) {
        return PointF{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
    };
    const auto atY = [](const PointF& a, const PointF& b, double y) {
        return PointF{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y};
    };
    const double l = box.left, t = box.top, r = box.right, btm = box.bottom;
    pass([&](const PointF& p) { return p.x >= l; },
         [&](const PointF& a, const PointF& b) { return atX(a, b, l); });
    pass([&](const PointF& p) { return p.x <= r; },
         [&](const PointF& a, const PointF& b) { return atX(a, b, r); });
    pass([&](const PointF& p) { return p.y >= t; },
         [&](const PointF& a, const PointF& b) { return atY(a, b, t); });
    pass([&](const PointF& p) { return p.y <= btm; },
         [&](const PointF& a, const PointF& b) { return atY(a, b, btm); });
    std::vector<CPoint> out;
    for (const PointF& p : poly)
        out.push_back(
            CPoint{static_cast<std::int32_t>(std::lround(p.x)), static_cast<std::int32_t>(std::lround(p.y))});
    return out;
}

} // namespace polyvane
