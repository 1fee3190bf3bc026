#pragma once
// The steps of a view's projection: the rotation and perspective of one point, the projection of a
// run of records into a projected object of the view's own, and their back-to-front drawing order.
// CPolyvaneDoc::Project fills the records' own screen fields from the same object.
#include "formats/TmdTypes.h"

#include <array>
#include <climits>
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

// Truncates toward zero to 32 bits; values beyond the range saturate and NaN gives 0, so that a
// point projected from just behind the eye stays a defined (far off-window) position.
[[nodiscard]] std::int32_t SaturateToInt32(double value);

class Projector {
  public:
    // The rotation is Rx(angleX) * Ry(angleY) * Rz(angleZ): Z is applied to a point first. The model
    // turns about `pivot`, which lands on the centre (centreX, centreY).
    Projector(double distance, double focal, std::int32_t centreX, std::int32_t centreY, double angleX,
              double angleY, double angleZ, const std::array<double, 3>& pivot = {});

    // Screen position of (x, y, z); `depth` receives trunc(W).
    ScreenPoint Project(double x, double y, double z, std::int32_t& depth) const;
    // How far in front of the eye (x, y, z) lies once turned: W before any rounding.
    [[nodiscard]] double Depth(double x, double y, double z) const;
    [[nodiscard]] const std::array<double, 3>& Pivot() const { return m_pivot; }

  private:
    double m_r[3][3];
    std::array<double, 3> m_pivot;
    double m_distance, m_focal;
    std::int32_t m_centreX, m_centreY;
};

// Projects every record into `screen` (a quad's points in outline order 0, 1, 3, 2), sets `depth`
// to the average vertex depth and clears `pNext`.
void ProjectRecords(std::span<WorkPrimitive> records, const Projector& projector);

// Links the records from the greatest depth to the smallest, lower index first among equal depths,
// and returns the first (null when there are none). Afterwards every `depth` holds
// kDepthTaken, the mark of a record already placed in the order.
WorkPrimitive* LinkByDepth(std::span<WorkPrimitive> records);
// The same order by repeated maximum search: quadratic, kept for when the sort's memory cannot be
// had and as the reference the fast order is checked against. Expects every `pNext` clear, as
// ProjectRecords leaves them.
WorkPrimitive* LinkBySelection(std::span<WorkPrimitive> records);

constexpr std::int32_t kDepthTaken = INT32_MIN;

// What a view draws of one object: each record's screen points (a quad's in outline order 0, 1, 3, 2)
// and average depth, the records' indices from back to front, and the ends of the three axes.
struct ProjectedObject {
    std::vector<std::array<ScreenPoint, 4>> screen;
    std::vector<std::int32_t> depth;
    // How many of each record's screen points it has: 4 for a quad, else 3; a copy of the records'
    // own count, so that drawing in depth order need not visit the large records.
    std::vector<std::uint8_t> corners;
    std::vector<std::uint32_t> order;
    std::array<ScreenPoint, 3> axis{};
};

// The least distance at which every vertex of `records`, turned by the angles about `pivot`, stays
// at least `margin` in front of the eye; minus infinity without records.
[[nodiscard]] double ClosestApproach(std::span<const WorkPrimitive> records, double angleX, double angleY,
                                     double angleZ, const std::array<double, 3>& pivot, double margin);

// Projects `records` into `out`, reusing its storage. The order is that of LinkByDepth.
void ProjectObject(std::span<const WorkPrimitive> records, const Projector& projector, ProjectedObject& out);

} // namespace polyvane
