#pragma once
// The steps of a view's projection: the rotation and perspective of one point, the projection of a
// run of records into a projected object of the view's own, and their back-to-front drawing order.
// Where a record lands on the screen is the view's: the records hold only the model.
#include "formats/TmdPackets.h"
#include "formats/TmdTypes.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

struct ScreenPoint {
    std::int32_t x;
    std::int32_t y;
};

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
    // A record's corners in its own order, each exactly as Project places it, and returns how many
    // it has. The corners go two at a time through paired arithmetic that shares each division.
    int ProjectCorners(const WorkPrimitive& p, ScreenPoint (&screen)[4], std::int32_t (&depth)[4]) const;
    // How far in front of the eye (x, y, z) lies once turned: W before any rounding.
    [[nodiscard]] double Depth(double x, double y, double z) const;
    [[nodiscard]] const std::array<double, 3>& Pivot() const { return m_pivot; }

  private:
    double m_r[3][3];
    std::array<double, 3> m_pivot;
    double m_distance, m_focal;
    std::int32_t m_centreX, m_centreY;
};

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

// Projects `records` into `out`, reusing its storage. The order is back to front: from the greatest
// average depth to the smallest, the lower index first among equal depths.
void ProjectObject(std::span<const WorkPrimitive> records, const Projector& projector, ProjectedObject& out);

// A kept packet's vertices on the screen (as many as it names) and their average depth.
struct ProjectedPacket {
    std::array<ScreenPoint, 2> screen{};
    std::int32_t depth = 0;
};
// Projects every kept packet into `out`, one each, reusing its storage.
void ProjectPackets(std::span<const KeptPacket> packets, const Projector& projector,
                    std::vector<ProjectedPacket>& out);

} // namespace polyvane
