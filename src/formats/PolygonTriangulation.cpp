#include "PolygonTriangulation.h"

#include <cmath>
#include <cstddef>

namespace polyvane {

std::vector<std::uint32_t> TriangulatePolygon(std::span<const double> xyz) {
    const std::size_t n = xyz.size() / 3;
    std::vector<std::uint32_t> out;
    if (n < 3)
        return out;
    // Newell's normal picks the plane to work in; its sign gives the polygon's turning.
    double normal[3] = {0, 0, 0};
    for (std::size_t i = 0; i < n; ++i) {
        const double* a = &xyz[3 * i];
        const double* b = &xyz[3 * ((i + 1) % n)];
        normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
        normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
        normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    int drop = 0;
    for (int axis = 1; axis < 3; ++axis)
        if (std::fabs(normal[axis]) > std::fabs(normal[drop]))
            drop = axis;
    const int ua = (drop + 1) % 3, va = (drop + 2) % 3;
    const double turning = normal[drop] >= 0 ? 1.0 : -1.0;
    auto px = [&](std::uint32_t i) { return xyz[3 * i + std::size_t(ua)]; };
    auto py = [&](std::uint32_t i) { return xyz[3 * i + std::size_t(va)]; };
    auto cross = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        return ((px(b) - px(a)) * (py(c) - py(a)) - (py(b) - py(a)) * (px(c) - px(a))) * turning;
    };
    std::vector<std::uint32_t> left(n);
    for (std::size_t i = 0; i < n; ++i)
        left[i] = static_cast<std::uint32_t>(i);
    while (left.size() > 3) {
        bool cut = false;
        for (std::size_t i = 0; i < left.size() && !cut; ++i) {
            const std::uint32_t a = left[(i + left.size() - 1) % left.size()], b = left[i],
                                c = left[(i + 1) % left.size()];
            if (cross(a, b, c) <= 0)
                continue; // a reflex or flat corner is no ear
            bool inside = false;
            for (std::uint32_t other : left)
                if (other != a && other != b && other != c && cross(a, b, other) >= 0 &&
                    cross(b, c, other) >= 0 && cross(c, a, other) >= 0)
                    inside = true;
            if (inside)
                continue;
            out.insert(out.end(), {a, b, c});
            left.erase(left.begin() + std::ptrdiff_t(i));
            cut = true;
        }
        if (!cut) { // no ear: a self-crossing outline, given as a fan
            for (std::size_t i = 1; i + 1 < left.size(); ++i)
                out.insert(out.end(), {left[0], left[i], left[i + 1]});
            return out;
        }
    }
    out.insert(out.end(), {left[0], left[1], left[2]});
    return out;
}

} // namespace polyvane
