// The model view's state: start values, mode commands and their check marks, presets, the
// vertex-number switch and the mouse drags with capture.
#include "CommandIds.h"
#include "WorkDocBuilder.h"
#include "view/CPolyvaneView.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace polyvane;

namespace {

// A window that counts what the view asks of it.
class CountingHost final : public IViewHost {
  public:
    [[nodiscard]] CRect GetClientRect() const override { return CRect{0, 0, 400, 300}; }
    void Invalidate(bool erase) override {
        ++invalidations;
        erasedEvery = erasedEvery && erase;
    }
    void SetCapture() override {
        ++captures;
        capture = true;
    }
    void ReleaseCapture() override {
        ++releases;
        capture = false;
    }
    [[nodiscard]] bool HasCapture() const override { return capture; }
    void SetWindowText(const std::string&) override {}

    int invalidations = 0;
    bool erasedEvery = true;
    int captures = 0;
    int releases = 0;
    bool capture = false;
};

struct ViewFixture : ::testing::Test {
    ViewFixture() { view.SetHost(&host); }
    int Check(unsigned id) {
        CCmdUI ui(id);
        EXPECT_TRUE(view.OnCmdMsg(id, &ui)) << id;
        return ui.m_nCheck;
    }
    void Command(unsigned id) { EXPECT_TRUE(view.OnCmdMsg(id, nullptr)) << id; }
    CountingHost host;
    CPolyvaneView view;
};

constexpr unsigned kModeIds[] = {ID_VIEW_WIREFRAME, ID_VIEW_SOLID, ID_VIEW_VRAM, ID_VIEW_OBJECT_TABLE,
                                 ID_VIEW_BLANK};
constexpr std::int32_t kModes[] = {VM_WIREFRAME, VM_SOLID, VM_VRAM, VM_OBJECT_TABLE, VM_BLANK};

TEST_F(ViewFixture, StartsInWireframeWithVertexNumbersAtDistance1000) {
    EXPECT_EQ(view.m_distance, 1000.0);
    EXPECT_EQ(view.m_focal, 1000.0);
    EXPECT_EQ(view.m_viewMode, VM_WIREFRAME);
    EXPECT_EQ(view.m_dragMode, 0);
    EXPECT_EQ(view.m_angleX, 0.0);
    EXPECT_EQ(view.m_angleY, 0.0);
    EXPECT_EQ(view.m_angleZ, 0.0);
    EXPECT_EQ(view.m_bShowVertexNumbers, 1);
    EXPECT_EQ(Check(ID_VIEW_WIREFRAME), 1);
    EXPECT_EQ(Check(ID_VIEW_SHOW_VERTEX_NUMBERS), 1);
    for (unsigned id : {ID_VIEW_SOLID, ID_VIEW_VRAM, ID_VIEW_OBJECT_TABLE, ID_VIEW_BLANK})
        EXPECT_EQ(Check(id), 0) << id;
}

TEST_F(ViewFixture, ModeCommandsSetTheModeAndMoveTheCheckMark) {
    for (std::size_t i = 0; i < std::size(kModeIds); ++i) {
        SCOPED_TRACE(kModeIds[i]);
        const int before = host.invalidations;
        Command(kModeIds[i]);
        EXPECT_EQ(view.m_viewMode, kModes[i]);
        EXPECT_EQ(host.invalidations, before + 1);
        for (std::size_t j = 0; j < std::size(kModeIds); ++j)
            EXPECT_EQ(Check(kModeIds[j]), i == j ? 1 : 0) << kModeIds[j];
    }
    EXPECT_TRUE(host.erasedEvery);
}

TEST_F(ViewFixture, VertexNumberSwitchTogglesAndTwiceReturns) {
    Command(ID_VIEW_SHOW_VERTEX_NUMBERS);
    EXPECT_EQ(view.m_bShowVertexNumbers, 0);
    EXPECT_EQ(Check(ID_VIEW_SHOW_VERTEX_NUMBERS), 0);
    Command(ID_VIEW_SHOW_VERTEX_NUMBERS);
    EXPECT_EQ(view.m_bShowVertexNumbers, 1);
    EXPECT_EQ(Check(ID_VIEW_SHOW_VERTEX_NUMBERS), 1);
    EXPECT_EQ(host.invalidations, 2);
}

TEST_F(ViewFixture, PresetsSetExactAnglesAndKeepTheDistance) {
    view.m_distance = 360.0;
    const struct {
        unsigned id;
        double x, y, z;
    } presets[] = {{ID_VIEW_SIDE, 0.0, 1.57079632679, 0.0},
                   {ID_VIEW_FRONT, 0.0, 0.0, 0.0},
                   {ID_VIEW_TOP, -1.57079632679, 0.0, 0.0},
                   {ID_VIEW_FRONT, 0.0, 0.0, 0.0}};
    view.m_angleZ = 0.3;
    for (const auto& p : presets) {
        SCOPED_TRACE(p.id);
        Command(p.id);
        EXPECT_EQ(view.m_angleX, p.x);
        EXPECT_EQ(view.m_angleY, p.y);
        EXPECT_EQ(view.m_angleZ, p.z);
        EXPECT_EQ(view.m_distance, 360.0);
        // The presets carry no check mark: they have no update handler.
        CCmdUI ui(p.id);
        view.OnCmdMsg(p.id, &ui);
        EXPECT_EQ(ui.m_nCheck, 0);
    }
    EXPECT_EQ(host.invalidations, 4);
}

TEST_F(ViewFixture, CommandsOfOthersAreNotAnswered) {
    EXPECT_FALSE(view.OnCmdMsg(ID_OBJECT_NEXT_PRIM, nullptr));
    EXPECT_FALSE(view.OnCmdMsg(ID_FILE_SAVE, nullptr));
}

struct DragCase {
    const char* name;
    bool rightButton;
    unsigned flags;
    CPoint from, to;
    double angleX, angleY, angleZ, distance;
};

TEST_F(ViewFixture, DragsTurnAndMoveTheModel) {
    const DragCase cases[] = {
        {"left 100 right", false, 0, {10, 10}, {110, 10}, 0.0, -1.0, 0.0, 1000.0},
        {"left 100 right with Control", false, MK_CONTROL, {10, 10}, {110, 10}, 0.0, 0.0, 1.0, 1000.0},
        {"left 50 down", false, 0, {10, 10}, {10, 60}, 0.5, 0.0, 0.0, 1000.0},
        {"left diagonal turns about Y and X in one step",
         false,
         0,
         {10, 10},
         {40, -10},
         -0.2,
         -0.3,
         0.0,
         1000.0},
        {"right 10 up", true, 0, {10, 20}, {10, 10}, 0.0, 0.0, 0.0, 360.0},
        {"right 10 down", true, 0, {10, 10}, {10, 20}, 0.0, 0.0, 0.0, 1640.0},
        {"right ignores horizontal motion and Control",
         true,
         MK_CONTROL,
         {10, 10},
         {300, 10},
         0,
         0,
         0,
         1000.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPolyvaneView v;
        CountingHost h;
        v.SetHost(&h);
        if (c.rightButton)
            v.OnRButtonDown(c.flags | MK_RBUTTON, c.from);
        else
            v.OnLButtonDown(c.flags | MK_LBUTTON, c.from);
        EXPECT_EQ(v.m_dragMode, c.rightButton ? 1 : 2);
        EXPECT_EQ(h.captures, 1);
        v.OnMouseMove(c.flags, c.to);
        EXPECT_NEAR(v.m_angleX, c.angleX, 1e-12);
        EXPECT_NEAR(v.m_angleY, c.angleY, 1e-12);
        EXPECT_NEAR(v.m_angleZ, c.angleZ, 1e-12);
        EXPECT_EQ(v.m_distance, c.distance);
        EXPECT_EQ(v.m_lastX, c.to.x);
        EXPECT_EQ(v.m_lastY, c.to.y);
        EXPECT_EQ(h.invalidations, 1);
        EXPECT_TRUE(h.erasedEvery);
        if (c.rightButton)
            v.OnRButtonUp(0, c.to);
        else
            v.OnLButtonUp(0, c.to);
        EXPECT_EQ(v.m_dragMode, 0);
        EXPECT_EQ(h.releases, 1);
        EXPECT_FALSE(h.capture);
    }
}

TEST_F(ViewFixture, RotationDragWrapsAnglesAtTheBound) {
    const struct {
        const char* name;
        double start;
        int dy;
        double expected;
    } cases[] = {
        {"above the bound", 6.2, 10, 6.2 + 0.1 - 6.28318530716},
        {"below the bound", -6.2, -10, -6.2 - 0.1 + 6.28318530716},
        {"exactly at the bound stays", 6.28318530716, 0, 6.28318530716},
        {"exactly at the negative bound stays", -6.28318530716, 0, -6.28318530716},
        {"inside the range unchanged", 3.0, 0, 3.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPolyvaneView v;
        CountingHost h;
        v.SetHost(&h);
        v.m_angleX = c.start;
        v.OnLButtonDown(MK_LBUTTON, {0, 100});
        v.OnMouseMove(MK_LBUTTON, {0, 100 + c.dy});
        EXPECT_DOUBLE_EQ(v.m_angleX, c.expected);
    }
}

TEST_F(ViewFixture, RotationDragWrapsYAndZToo) {
    view.m_angleY = -6.2;
    view.m_angleZ = 6.2;
    view.OnLButtonDown(MK_LBUTTON, {0, 0});
    view.OnMouseMove(MK_LBUTTON, {10, 0}); // Y decreases by 0.1
    EXPECT_DOUBLE_EQ(view.m_angleY, -6.3 + 6.28318530716);
    view.OnMouseMove(MK_LBUTTON | MK_CONTROL, {20, 0}); // Z increases by 0.1
    EXPECT_DOUBLE_EQ(view.m_angleZ, 6.3 - 6.28318530716);
}

TEST_F(ViewFixture, SecondButtonDuringADragTakesOverFromItsPress) {
    view.OnLButtonDown(MK_LBUTTON, {10, 10});
    view.OnRButtonDown(MK_LBUTTON | MK_RBUTTON, {50, 50});
    EXPECT_EQ(view.m_dragMode, 1);
    EXPECT_EQ(view.m_lastX, 50);
    EXPECT_EQ(view.m_lastY, 50);
    view.OnMouseMove(MK_LBUTTON | MK_RBUTTON, {70, 40});
    EXPECT_EQ(view.m_distance, 1000.0 - 640.0);
    EXPECT_EQ(view.m_angleX, 0.0);
    EXPECT_EQ(view.m_angleY, 0.0);
    // Releasing either button ends the drag, whichever started it.
    view.OnLButtonUp(MK_RBUTTON, {70, 40});
    EXPECT_EQ(view.m_dragMode, 0);
    EXPECT_FALSE(host.capture);
    view.OnMouseMove(MK_RBUTTON, {70, 90});
    EXPECT_EQ(view.m_distance, 360.0);
}

TEST(ViewDistance, MovingNearerStopsBeforeTheNearestPointReachesTheEye) {
    // One triangle whose nearest corner, unturned, lies 300 units toward the eye (z -300); turned
    // half a turn about Y, the corner at z +200 comes nearest instead.
    const std::unique_ptr<CPolyvaneDoc> doc =
        test::MakeDoc({test::Record({{0, 0, -300}, {50, 0, 200}, {0, 50, 0}})});
    const struct {
        const char* name;
        double angleY, start;
        std::int32_t dy;
        double expected;
    } cases[] = {
        {"a long drag nearer stops 1 unit short of the corner", 0.0, 1000.0, -100, 301.0},
        {"a short drag nearer is not held back", 0.0, 1000.0, -10, 360.0},
        {"turned, another corner sets the stop", 3.14159265358979, 1000.0, -100, 201.0},
        {"moving away from inside the stop is free", 0.0, 100.0, 1, 164.0},
        {"moving nearer from inside the stop stays put", 0.0, 100.0, -1, 100.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPolyvaneView v;
        CountingHost h;
        v.SetHost(&h);
        v.SetDocument(doc.get());
        v.m_angleY = c.angleY;
        v.m_distance = c.start;
        v.OnRButtonDown(MK_RBUTTON, {0, 500});
        v.OnMouseMove(MK_RBUTTON, {0, 500 + c.dy});
        EXPECT_NEAR(v.m_distance, c.expected, 1e-9);
        v.SetDocument(nullptr);
    }
}

TEST_F(ViewFixture, ReleasingTheRightButtonEndsALeftDrag) {
    view.OnLButtonDown(MK_LBUTTON, {10, 10});
    view.OnRButtonUp(MK_LBUTTON, {10, 10});
    EXPECT_EQ(view.m_dragMode, 0);
    EXPECT_EQ(host.releases, 1);
    view.OnMouseMove(MK_LBUTTON, {90, 10});
    EXPECT_EQ(view.m_angleY, 0.0);
}

TEST_F(ViewFixture, MovesWithTheCaptureElsewhereAreIgnored) {
    view.OnLButtonDown(MK_LBUTTON, {10, 10});
    host.capture = false; // another window took the mouse
    view.OnMouseMove(MK_LBUTTON, {110, 60});
    EXPECT_EQ(view.m_angleX, 0.0);
    EXPECT_EQ(view.m_angleY, 0.0);
    EXPECT_EQ(view.m_lastX, 10);
    EXPECT_EQ(host.invalidations, 0);
    // The button release still ends the drag but does not release a capture it does not hold.
    view.OnLButtonUp(0, {110, 60});
    EXPECT_EQ(view.m_dragMode, 0);
    EXPECT_EQ(host.releases, 0);
}

TEST_F(ViewFixture, MovesWithoutADragAreIgnored) {
    host.capture = true;
    view.OnMouseMove(MK_LBUTTON | MK_CONTROL, {300, 300});
    EXPECT_EQ(view.m_angleX, 0.0);
    EXPECT_EQ(view.m_angleZ, 0.0);
    EXPECT_EQ(view.m_distance, 1000.0);
    EXPECT_EQ(host.invalidations, 0);
}

} // namespace
