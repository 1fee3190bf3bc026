// Face and vertex normals, the integer and fixed-point copies, and the extents.
#include "WorkDocBuilder.h"
#include "formats/FixedPoint.h"
#include "formats/RecordGeometry.h"
#include "formats/VertexSharing.h"
#include "model/CPolyvaneDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <new>

using namespace polyvane;

namespace {

WorkPrimitive Triangle(std::initializer_list<std::array<double, 3>> corners, std::uint16_t attr = 0) {
    WorkPrimitive p{};
    int k = 0;
    for (const auto& c : corners) {
        p.x[k] = c[0];
        p.y[k] = c[1];
        p.z[k] = c[2];
        ++k;
    }
    p.attr = attr;
    return p;
}

} // namespace

TEST(DerivedFields, FaceNormalIsUnitLengthOrZeroWhenDegenerate) {
    std::vector<WorkPrimitive> w = {Triangle({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}),
                                    Triangle({{5, 5, 5}, {5, 5, 5}, {5, 5, 5}}),
                                    Triangle({{0, 0, 0}, {0, 0, 3}, {0, 4, 0}})};
    ComputeRecordFaceNormals(w);
    // a = (10,0,0), b = (-10,10,0): N = (0, 0, -100) → (0, 0, -1).
    EXPECT_EQ(w[0].fnx, 0.0);
    EXPECT_EQ(w[0].fny, 0.0);
    EXPECT_EQ(w[0].fnz, -1.0);
    EXPECT_EQ(w[1].fnx, 0.0);
    EXPECT_EQ(w[1].fny, 0.0);
    EXPECT_EQ(w[1].fnz, 0.0);
    // a = (0,0,3), b = (0,4,-3): N = (3*4 - 0, 0, 0) = (12, 0, 0) → (1, 0, 0).
    EXPECT_EQ(w[2].fnx, 1.0);
}

TEST(DerivedFields, SharedVertexGetsTheUnscaledAverageOfItsFaces) {
    // Two triangles meeting at the origin with perpendicular unit normals.
    std::vector<WorkPrimitive> w = {Triangle({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}),
                                    Triangle({{0, 0, 0}, {0, 0, 3}, {0, 4, 0}})};
    ComputeRecordFaceNormals(w);
    AverageVertexNormals(w.data(), static_cast<std::uint32_t>(w.size()));
    const WorkPrimitive& p = w[0];
    EXPECT_DOUBLE_EQ(p.nx[0], 0.5);
    EXPECT_DOUBLE_EQ(p.nz[0], -0.5);
    EXPECT_NEAR(std::sqrt(p.nx[0] * p.nx[0] + p.ny[0] * p.ny[0] + p.nz[0] * p.nz[0]), 0.7071, 1e-4);
    // An unshared vertex keeps its own face normal.
    EXPECT_EQ(p.nz[1], -1.0);
    EXPECT_EQ(p.nx[1], 0.0);
    // The vertex (0, 4, 0) is shared with (0, 10, 0)? No: only exact matches count.
    EXPECT_EQ(w[1].nx[2], 1.0);
}

TEST(DerivedFields, ConvertToFixedTruncatesTowardZero) {
    WorkPrimitive lit = Triangle({{-2.7, 2.7, 40000.9}, {1, 1, 1}, {0, 0, 0}}, PA_LIGHT);
    lit.nx[0] = 0.5;
    lit.ny[0] = -0.25;
    WorkPrimitive unlit = Triangle({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}});
    unlit.nx[0] = 0.9; // not used: an unlit record's entry 0 is its face normal
    lit.fnx = 0.125;
    unlit.fnz = -0.5;
    std::vector<WorkPrimitive> w = {lit, unlit};
    ConvertRecordsToFixed(w);
    EXPECT_EQ(w[0].ix[0], -2);
    EXPECT_EQ(w[0].iy[0], 2);
    EXPECT_EQ(w[0].iz[0], static_cast<std::int16_t>(40000 - 65536)); // low 16 bits
    EXPECT_EQ(w[0].inx[0], 2048);
    EXPECT_EQ(w[0].iny[0], -1024);
    EXPECT_EQ(w[1].inz[0], -2048);
    EXPECT_EQ(w[1].inx[0], 0);
}

TEST(DerivedFields, TruncationIsDefinedForEveryDouble) {
    struct Case {
        double value;
        std::int16_t expected;
    } cases[] = {{-2.7, -2},        {2.7, 2},
                 {-0.9, 0},         {32767.9, 32767},
                 {32768.0, -32768}, {65537.5, 1},
                 {-65537.5, -1},    {1e12, static_cast<std::int16_t>(static_cast<long long>(1e12) & 0xFFFF)},
                 {std::nan(""), 0}, {INFINITY, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TruncToInt16(c.value), c.expected) << c.value;
    EXPECT_EQ(TruncToInt32(-0.5), 0);
    EXPECT_EQ(TruncToInt32(4294967296.0 + 5), 5);
}

TEST(DerivedFields, ExtentsAlwaysContainZero) {
    WorkPrimitive quad = Triangle({{10, 20, -30}, {15, 20, -30}, {10, 21, -30}}, PA_QUAD);
    quad.x[3] = 60.9; // the fourth corner counts only for a quad
    const auto doc = test::MakeDoc({Triangle({{10, 20, -30}, {50, 25, -35}, {30, 22, -31}}), quad});
    EXPECT_EQ(doc->MinExtent().vx, 0);
    EXPECT_EQ(doc->MaxExtent().vx, 60);
    EXPECT_EQ(doc->MinExtent().vy, 0);
    EXPECT_EQ(doc->MaxExtent().vy, 25);
    EXPECT_EQ(doc->MinExtent().vz, -35);
    EXPECT_EQ(doc->MaxExtent().vz, 0);
}
