#pragma once
// Cutting far-reaching geometry down to a box before it is rasterised: projected points may lie
// billions of pixels off the window, which no rasteriser walks or fills quickly (or at all).
#include "Geometry.h"

#include <span>
#include <vector>

namespace polyvane {

struct PointF {
    double x;
    double y;
};

// Whether any point lies more than `margin` outside `box`.
[[nodiscard]] bool ReachesFarOutside(std::span<const CPoint> points, CRect box, std::int32_t margin);

// Cuts the segment to the box (Liang-Barsky). False when nothing of it is inside.
bool ClipSegment(PointF& a, PointF& b, double left, double top, double right, double bottom);

// Cuts a polygon to the box (Sutherland-Hodgman); the result fills the same pixels inside the box.
[[nodiscard]] std::vector<CPoint> ClipPolygon(std::span<const CPoint> points, CRect box);

} // namespace polyvane
