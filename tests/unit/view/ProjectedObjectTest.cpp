// A view's own projection gives what the document's projection fields held: the same screen points,
// and an order that is the document's draw order.
#include "RandomModel.h"
#include "model/Projection.h"

#include <gtest/gtest.h>

#include <vector>

namespace polyvane::test {
namespace {

TEST(ProjectedObject, HoldsTheScreenPointsAndOrderOfTheRecordsProjection) {
    struct Case {
        const char* name;
        std::vector<WorkPrimitive> records;
    };
    std::vector<WorkPrimitive> ties = RandomFaces(6, 3);
    for (WorkPrimitive& p : ties)
        for (double& z : p.z)
            z = 5.0; // one depth for all: index order decides
    const Case cases[] = {{"none", {}}, {"random", RandomFaces(500)}, {"equal depths", ties}};
    const Projector projector(800.0, 600.0, 320, 240, 0.4, -1.1, 2.3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectedObject projected;
        ProjectObject(c.records, projector, projected);

        std::vector<WorkPrimitive> linked = c.records;
        ProjectRecords(linked, projector);
        ASSERT_EQ(projected.screen.size(), linked.size());
        for (std::size_t i = 0; i < linked.size(); ++i) {
            EXPECT_EQ(projected.depth[i], linked[i].depth) << i;
            for (int k = 0; k < VertexCount(linked[i]); ++k) {
                EXPECT_EQ(projected.screen[i][static_cast<std::size_t>(k)].x, linked[i].screen[k].x) << i;
                EXPECT_EQ(projected.screen[i][static_cast<std::size_t>(k)].y, linked[i].screen[k].y) << i;
            }
        }
        std::vector<std::uint32_t> chain;
        for (const WorkPrimitive* p = LinkBySelection(linked); p; p = p->pNext)
            chain.push_back(static_cast<std::uint32_t>(p - linked.data()));
        EXPECT_EQ(projected.order, chain);
    }
}

} // namespace
} // namespace polyvane::test
