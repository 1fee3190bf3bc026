#pragma once
// Cutting a polygon of more than four points into triangles, for importers whose files have them.
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

// Triangles of a simple polygon given as 3-D points, as index triples in the polygon's own turning
// order: ears are cut off in the plane the polygon lies nearest to; a fan where no ear is found.
// Always n - 2 triangles for n >= 3 points.
[[nodiscard]] std::vector<std::uint32_t> TriangulatePolygon(std::span<const double> xyz);

} // namespace polyvane
