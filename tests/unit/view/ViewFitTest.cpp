// View, Fit to Window: the selected object drawn whole and filling the window, whatever its size and
// place; and the fit a model larger than the window gets as it opens, which smaller ones do not.
#include "CommandIds.h"
#include "WorkDocBuilder.h"
#include "platform/CRasterDC.h"
#include "view/CPolyvaneView.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// Two faces spanning a box of half-size `half` about (cx, cy, cz), twice as wide in x as in y and z.
std::vector<WorkPrimitive> Box(double cx, double cy, double cz, double half) {
    auto at = [&](double x, double y, double z) {
        return Vertex{cx + x * half, cy + y * half, cz + z * half};
    };
    return {Record({at(-1, -0.5, -0.5), at(1, -0.5, -0.5), at(-1, 0.5, 0.5), at(1, 0.5, 0.5)}, PA_DOUBLE),
            Record({at(-1, 0.5, -0.5), at(1, -0.5, 0.5), at(0, 0.5, -0.5)}, PA_DOUBLE)};
}

// What a solid paint of width x height covers: the box around every pixel it changed.
struct Covered {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Covered PaintSolid(CPolyvaneView& view, int width, int height) {
    view.m_viewMode = VM_SOLID;
    CRasterDC dc(width, height);
    view.OnDraw(&dc);
    Covered c;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (dc.GetPixel(x, y) != RGB(255, 255, 255)) {
                c.left = std::min(c.left, x);
                c.right = std::max(c.right, x);
                c.top = std::min(c.top, y);
                c.bottom = std::max(c.bottom, y);
            }
    return c;
}

// Whole, about the window's centre, and filling a good part of its smaller side.
void ExpectFitted(const Covered& c, int width, int height) {
    EXPECT_GT(c.left, 0);
    EXPECT_GT(c.top, 0);
    EXPECT_LT(c.right, width - 1);
    EXPECT_LT(c.bottom, height - 1);
    const int side = std::min(width, height);
    EXPECT_NEAR((c.left + c.right) / 2.0, width / 2.0, side * 0.1);
    EXPECT_NEAR((c.top + c.bottom) / 2.0, height / 2.0, side * 0.1);
    EXPECT_GT(std::max(c.right - c.left, c.bottom - c.top), side / 2);
}

TEST(ViewFit, FitToWindowShowsTheWholeObjectFillingTheWindow) {
    const struct {
        const char* name;
        double cx, cy, cz, half;
        double angleX, angleY;
        int width, height;
    } cases[] = {
        {"imported size, far from the origin", 9000, -3000, 500, 4096, 0.3, 0.7, 400, 300},
        {"tiny", 0, 0, 0, 2, 0.0, 0.0, 300, 400},
        {"small, off the origin, turned", -300, 200, 800, 60, 1.2, -0.4, 640, 480},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = MakeDoc(Box(c.cx, c.cy, c.cz, c.half));
        HeadlessViewHost host(CRect{0, 0, c.width, c.height});
        CPolyvaneView view;
        view.SetHost(&host);
        view.SetDocument(doc.get());
        view.m_angleX = c.angleX;
        view.m_angleY = c.angleY;
        EXPECT_TRUE(view.OnCmdMsg(ID_VIEW_FIT_TO_WINDOW, nullptr));
        ExpectFitted(PaintSolid(view, c.width, c.height), c.width, c.height);
        view.SetDocument(nullptr);
    }
}

TEST(ViewFit, OnlyAModelLargerThanTheWindowIsFittedAsItOpens) {
    const struct {
        double half;
        bool fitted;
    } cases[] = {{4096, true}, {100, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.half);
        auto doc = MakeDoc(Box(0, 0, 0, c.half));
        HeadlessViewHost host(CRect{0, 0, 400, 300});
        CPolyvaneView view;
        view.SetHost(&host);
        view.SetDocument(doc.get());
        view.OnInitialUpdate();
        const Covered covered = PaintSolid(view, 400, 300);
        if (c.fitted) {
            ExpectFitted(covered, 400, 300);
        } else {
            EXPECT_EQ(view.m_distance, 1000.0);
            EXPECT_EQ(view.m_centre, (std::array<double, 3>{}));
        }
        // Once: moving nearer afterwards is the user's choice.
        view.m_distance = 10.0;
        PaintSolid(view, 400, 300);
        EXPECT_EQ(view.m_distance, 10.0);
        view.SetDocument(nullptr);
    }
}

} // namespace
