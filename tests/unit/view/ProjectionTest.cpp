// Projection of the selected object: the arithmetic of one point, the records' screen points and
// depths, the back-to-front order and the axis ends.
#include "model/Projection.h"
#include "WorkDocBuilder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace polyvane;
using namespace polyvane::test;

namespace {

struct PointCase {
    const char* name;
    double x, y, z;
    double distance;
    std::int32_t centreX, centreY;
    double angleX, angleY, angleZ;
    std::int32_t screenX, screenY, depth;
};

const PointCase kPointCases[] = {
    {"worked example vertex", 100, 50, 0, 1000, 200, 150, 0, 0, 0, 300, 100, 1000},
    {"worked example x axis end", 64, 0, 0, 1000, 200, 150, 0, 0, 0, 264, 150, 1000},
    {"worked example y axis end", 0, 64, 0, 1000, 200, 150, 0, 0, 0, 200, 86, 1000},
    {"worked example z axis end lands on the centre", 0, 0, 64, 1000, 200, 150, 0, 0, 0, 200, 150, 1064},
    // W of exactly 0 becomes 0.1: one model unit is 10000 screen units and the depth counts as 0.
    {"W zero becomes 0.1", 1, -2, -1000, 1000, 200, 150, 0, 0, 0, 10200, 20150, 0},
    {"W zero on the axis stays at the centre", 0, 0, -1000, 1000, 200, 150, 0, 0, 0, 200, 150, 0},
    // x: the centre is added before truncation; y: the quotient is truncated before subtraction.
    {"negative half quotient", -0.5, -0.5, 0, 1000, 200, 150, 0, 0, 0, 199, 150, 1000},
    {"positive half quotient", 0.5, 0.5, 0, 1000, 200, 150, 0, 0, 0, 200, 150, 1000},
    {"negative one and a half", -1.5, -1.5, 0, 1000, 200, 150, 0, 0, 0, 198, 151, 1000},
    {"behind the eye is mirrored through the centre", 100, 50, -2000, 1000, 200, 150, 0, 0, 0, 100, 200,
     -1000},
    {"negative depth truncates toward zero", 0, 0, -1000.5, 1000, 0, 0, 0, 0, 0, 0, 0, 0},
    {"depth of -1.5 truncates to -1", 0, 0, -1001.5, 1000, 0, 0, 0, 0, 0, 0, 0, -1},
    // Side View: model Z to the right, Y up. cos(1.57079632679) is a little above 0, so W is a
    // little above 1000 and 300 - epsilon truncates to 299.
    {"side view: +Z goes right", 0, 0, 100, 1000, 200, 150, 0, 1.57079632679, 0, 299, 150, 1000},
    {"side view: +Y goes up", 0, 100, 0, 1000, 200, 150, 0, 1.57079632679, 0, 200, 50, 1000},
    {"side view: +X comes toward the eye", 100, 0, 0, 1000, 200, 150, 0, 1.57079632679, 0, 200, 150, 900},
    // Top View: model X to the right, Z up.
    {"top view: +X goes right", 100, 0, 0, 1000, 200, 150, -1.57079632679, 0, 0, 300, 150, 1000},
    {"top view: +Z goes up", 0, 0, 100, 1000, 200, 150, -1.57079632679, 0, 0, 200, 51, 1000},
    {"top view: +Y comes toward the eye", 0, 100, 0, 1000, 200, 150, -1.57079632679, 0, 0, 200, 150, 900},
    // Z is applied first: a quarter turn about Z then about X takes +X to +Y, then to +Z (depth).
    {"rotation order Z then Y then X", 100, 0, 0, 1000, 200, 150, 1.57079632679, 0, 1.57079632679, 200, 150,
     1100},
    {"+Y turns to -X about Z and stays there about X", 0, 100, 0, 1000, 200, 150, 1.57079632679, 0,
     1.57079632679, 100, 150, 1000},
};

TEST(Projection, ProjectsPointsByTheMatrixAndTruncationRules) {
    for (const auto& c : kPointCases) {
        SCOPED_TRACE(c.name);
        const Projector projector(c.distance, 1000.0, c.centreX, c.centreY, c.angleX, c.angleY, c.angleZ);
        std::int32_t depth = 12345;
        const ScreenPoint p = projector.Project(c.x, c.y, c.z, depth);
        EXPECT_EQ(p.x, c.screenX);
        EXPECT_EQ(p.y, c.screenY);
        EXPECT_EQ(depth, c.depth);
    }
}

TEST(Projection, TruncationSaturatesInsteadOfOverflowing) {
    const struct {
        double value;
        std::int32_t expected;
    } cases[] = {{2.9, 2},         {-2.9, -2},        {-0.5, 0},
                 {3e9, INT32_MAX}, {-3e9, INT32_MIN}, {2147483647.5, INT32_MAX},
                 {std::nan(""), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SaturateToInt32(c.value), c.expected) << c.value;
    // A point just off the eye plane lands far off the window without undefined arithmetic.
    const Projector projector(1000, 1000, 200, 150, 0, 0, 0);
    std::int32_t depth = 0;
    const ScreenPoint p = projector.Project(-5000, 5000, -999.9999999, depth);
    EXPECT_EQ(p.x, INT32_MIN);
    // The quotient saturates first; subtracting it from the centre stays in range.
    EXPECT_EQ(p.y, 150 - INT32_MAX);
}

// The paired corner projection must land every corner where the one-point projection does, also at
// the edges: W of zero, points behind the eye, saturation and NaN.
TEST(Projection, RecordCornersLandWhereEachPointDoes) {
    const double nan = std::nan("");
    std::vector<WorkPrimitive> records = {
        Record({{100, 50, 0}, {-0.5, -1.5, 0}, {0.5, 0.5, 3}}),
        Record({{1, -2, -1000}, {0, 0, -1000}, {100, 50, -2000}, {-5000, 5000, -999.9999999}}),
        Record({{3e12, -3e12, 0}, {nan, 0, 0}, {0, nan, 0}, {0, 0, nan}}),
    };
    std::mt19937 random(99);
    std::uniform_real_distribution<double> coordinate(-3000.0, 3000.0);
    for (int i = 0; i < 200; ++i) {
        auto point = [&] { return Vertex{coordinate(random), coordinate(random), coordinate(random)}; };
        records.push_back(i % 2 ? Record({point(), point(), point()})
                                : Record({point(), point(), point(), point()}));
    }
    const Projector projectors[] = {
        Projector(1000, 1000, 200, 150, 0, 0, 0),
        Projector(1000, 1000, 512, 384, 0.7, -1.2, 2.5, {10.5, -3, 7}),
        Projector(0, 333, -7, 9, 3.1, 0.2, -0.4, {0, 0, 1e6}),
    };
    for (const Projector& projector : projectors) {
        for (std::size_t r = 0; r < records.size(); ++r) {
            const WorkPrimitive& p = records[r];
            ScreenPoint screen[4]{};
            std::int32_t depth[4]{};
            ASSERT_EQ(projector.ProjectCorners(p, screen, depth), VertexCount(p));
            for (int k = 0; k < VertexCount(p); ++k) {
                std::int32_t expectedDepth = 0;
                const ScreenPoint expected = projector.Project(p.x[k], p.y[k], p.z[k], expectedDepth);
                ASSERT_EQ(screen[k].x, expected.x) << r << " corner " << k;
                ASSERT_EQ(screen[k].y, expected.y) << r << " corner " << k;
                ASSERT_EQ(depth[k], expectedDepth) << r << " corner " << k;
            }
        }
    }
}

struct AverageCase {
    const char* name;
    WorkPrimitive record;
    double distance;
    std::int32_t depth;
};

TEST(Projection, AverageDepthTruncatesTowardZero) {
    const AverageCase cases[] = {
        {"1000 1000 1001", Record({{0, 0, 0}, {0, 0, 0}, {0, 0, 1}}), 1000, 1000},
        {"1001 1001 1001 1002", Record({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 2}}), 1000, 1001},
        {"1000 1001 1001 1001", Record({{0, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}}), 1000, 1000},
        {"-1 -1 -2", Record({{0, 0, -1}, {0, 0, -1}, {0, 0, -2}}), 0, -1},
        {"vertex depths truncate before summing", Record({{0, 0, 0.9}, {0, 0, 0.9}, {0, 0, 0.9}}), 1000,
         1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectedObject projected;
        ProjectObject({&c.record, 1}, Projector(c.distance, 1000, 0, 0, 0, 0, 0), projected);
        ASSERT_EQ(projected.depth.size(), 1u);
        EXPECT_EQ(projected.depth[0], c.depth);
    }
}

TEST(Projection, QuadScreenPointsRunAroundTheOutlineAfterEveryProjection) {
    // Strip order: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
    const WorkPrimitive quad = Record({{-10, 10, 0}, {10, 10, 0}, {-10, -10, 0}, {10, -10, 0}});
    ProjectedObject projected;
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        ProjectObject({&quad, 1}, Projector(1000, 1000, 200, 150, 0, 0, 0), projected);
        const ScreenPoint expected[4] = {{190, 140}, {210, 140}, {210, 160}, {190, 160}};
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(projected.screen[0][i].x, expected[i].x) << i;
            EXPECT_EQ(projected.screen[0][i].y, expected[i].y) << i;
        }
        EXPECT_EQ(projected.corners[0], 4);
    }
}

// Depth of a flat record at z, with the view at distance 1000 and no rotation: 1000 + z.
WorkPrimitive AtDepth(double z) {
    return Record({{0, 0, z}, {1, 0, z}, {0, 1, z}});
}

TEST(Projection, OrdersFarthestFirstAndLowerIndexFirstAmongEquals) {
    const struct {
        const char* name;
        std::vector<double> zs;
        std::vector<std::uint32_t> order;
    } cases[] = {
        {"none", {}, {}},
        {"single", {0}, {0}},
        {"already far to near", {30, 20, 10}, {0, 1, 2}},
        {"near to far", {10, 20, 30}, {2, 1, 0}},
        {"equal depths keep index order", {5, 9, 5, 9, 1}, {1, 3, 0, 2, 4}},
        {"all equal", {7, 7, 7, 7}, {0, 1, 2, 3}},
        {"negative depths", {-1500, -1200, 300, -1200}, {2, 1, 3, 0}},
        {"depths across the sign and digit boundaries",
         {-1000, 255, -744, 65535, -1001, 256},
         {3, 5, 1, 2, 0, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<WorkPrimitive> records;
        for (double z : c.zs)
            records.push_back(AtDepth(z));
        ProjectedObject projected;
        ProjectObject(records, Projector(1000, 1000, 200, 150, 0, 0, 0), projected);
        EXPECT_EQ(projected.order, c.order);
    }
}

// On many records with many ties (enough to be shared among threads), every record has its own depth
// and the order is every index once, depths never rising and indices rising among equal depths.
TEST(Projection, LargeOrdersAreBackToFrontAndStable) {
    std::mt19937 random(1234);
    for (const int spread : {3, 40, 100000, 700000000}) {
        SCOPED_TRACE(spread);
        std::uniform_int_distribution<int> z(-spread, spread);
        std::vector<WorkPrimitive> records;
        for (int i = 0; i < 20000; ++i)
            records.push_back(AtDepth(z(random)));
        ProjectedObject projected;
        ProjectObject(records, Projector(1000, 1000, 200, 150, 0, 0, 0), projected);
        ASSERT_EQ(projected.order.size(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            ASSERT_EQ(projected.depth[i], 1000 + std::int32_t(records[i].z[0])) << i;
        std::vector<bool> seen(records.size());
        for (std::size_t k = 0; k < projected.order.size(); ++k) {
            const std::uint32_t i = projected.order[k];
            ASSERT_FALSE(seen[i]) << k;
            seen[i] = true;
            if (k == 0)
                continue;
            const std::uint32_t before = projected.order[k - 1];
            ASSERT_GE(projected.depth[before], projected.depth[i]) << k;
            if (projected.depth[before] == projected.depth[i]) {
                ASSERT_LT(before, i) << k;
            }
        }
    }
}

TEST(Projection, ObjectWithoutPrimitivesGetsAxesAndNoOrder) {
    ProjectedObject projected;
    projected.order = {3};
    ProjectObject({}, Projector(1000, 1000, 200, 150, 0, 0, 0), projected);
    EXPECT_TRUE(projected.order.empty());
    EXPECT_TRUE(projected.screen.empty());
    const ScreenPoint axis[3] = {{264, 150}, {200, 86}, {200, 150}};
    for (std::size_t a = 0; a < 3; ++a) {
        EXPECT_EQ(projected.axis[a].x, axis[a].x) << a;
        EXPECT_EQ(projected.axis[a].y, axis[a].y) << a;
    }
}

} // namespace
