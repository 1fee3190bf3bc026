// The texture view's search, placement, hit test and drag arithmetic, without painting.
#include "texture/TimViewLayout.h"
#include "WorkDocBuilder.h"
#include "model/CPolyvaneDoc.h"

#include <gtest/gtest.h>

#include <memory>

using namespace polyvane;

namespace {

WorkPrimitive Textured(std::uint8_t tpage, std::uint8_t pmode, std::array<std::uint8_t, 4> u,
                       std::array<std::uint8_t, 4> v, bool quad = true) {
    WorkPrimitive p{};
    p.attr = static_cast<std::uint16_t>(PA_TEXTURED | (quad ? PA_QUAD : 0));
    p.tpage = tpage;
    p.pmode = pmode;
    for (int i = 0; i < 4; ++i) {
        p.u[i] = u[static_cast<std::size_t>(i)];
        p.v[i] = v[static_cast<std::size_t>(i)];
    }
    return p;
}

TimImage Tim(const char* name, std::uint8_t mode, std::uint16_t x, std::uint16_t y, std::uint16_t w,
             std::uint16_t h) {
    TimImage t;
    t.fileName = name;
    t.pixelMode = mode;
    t.imageX = x;
    t.imageY = y;
    t.imageWidth = w;
    t.imageHeight = h;
    return t;
}

constexpr int s = 3;

} // namespace

TEST(TimViewLayout, CornerZeroTexelInTheFrameBuffer) {
    const struct {
        std::uint8_t tpage, pmode, u0, v0;
        CPoint expected;
    } cases[] = {
        {5, 0, 40, 10, {330, 10}},                               // 4-bit: four texels a unit
        {5, 1, 40, 10, {340, 10}},                               // 8-bit: two
        {5, 2, 40, 10, {360, 10}},                               // 15-bit: one
        {17, 2, 0, 0, {64, 256}},                                // the second row of pages
        {31, 0, 255, 255, {1023, 511}}, {10, 0, 3, 0, {640, 0}}, // texels within one unit share it
    };
    for (const auto& c : cases)
        EXPECT_EQ(CornerZeroFrameBufferPoint(Textured(c.tpage, c.pmode, {c.u0}, {c.v0})), c.expected)
            << int(c.tpage) << " " << int(c.pmode) << " " << int(c.u0);
    EXPECT_EQ(TexturePageOrigin(17), (CPoint{64, 256}));
}

TEST(TimViewLayout, SearchTakesTheFirstAddedTextureCoveringCornerZeroOnly) {
    const WorkPrimitive p = Textured(5, 0, {40, 255, 255, 255}, {10, 200, 200, 200});
    TimList list;
    list.push_back(Tim("elsewhere", 0, 336, 0, 16, 256)); // would hold the other corners only
    EXPECT_EQ(FindPrimitiveTim(list, p), nullptr);
    list.push_back(Tim("first", 0, 320, 0, 16, 256));
    list.push_back(Tim("second", 0, 320, 0, 64, 256));
    ASSERT_NE(FindPrimitiveTim(list, p), nullptr);
    EXPECT_EQ(FindPrimitiveTim(list, p)->fileName, "first");
    EXPECT_EQ(FindPrimitiveTim(TimList{}, p), nullptr);
}

TEST(TimViewLayout, CoverageIncludesTheFirstAndExcludesThePastTheEndUnitAndLine) {
    TimList list;
    list.push_back(Tim("t", 2, 100, 50, 10, 20));
    const struct {
        CPoint point;
        bool covered;
    } cases[] = {{{100, 50}, true},  {{109, 69}, true}, {{110, 50}, false},
                 {{100, 70}, false}, {{99, 50}, false}, {{100, 49}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(FindTimCovering(list, c.point) != nullptr, c.covered) << c.point.x << "," << c.point.y;
}

TEST(TimViewLayout, ScaledSizeFollowsThePictureWidthOfEachMode) {
    EXPECT_EQ(ScaledTextureSize(Tim("4", 0, 0, 0, 64, 256), s), (CSize{768, 768}));
    EXPECT_EQ(ScaledTextureSize(Tim("8", 1, 0, 0, 64, 256), s), (CSize{384, 768}));
    EXPECT_EQ(ScaledTextureSize(Tim("15", 2, 0, 0, 64, 100), s), (CSize{192, 300}));
    EXPECT_EQ(ScaledTextureSize(Tim("24", 3, 0, 0, 96, 10), s), (CSize{192, 30}));
}

TEST(TimViewLayout, CornersSitAtTheirTexelCentresInOutlineOrder) {
    const WorkPrimitive quad = Textured(0, 0, {10, 20, 30, 40}, {1, 2, 3, 4});
    EXPECT_EQ(CornerViewPoint(quad, 0, s, {}), (CPoint{31, 4}));
    EXPECT_EQ(CornerViewPoint(quad, 3, s, {}), (CPoint{121, 13}));
    const CornerOrder q = OutlineOrder(quad);
    EXPECT_EQ(q.count, 4);
    EXPECT_EQ((std::array<int, 3>{q.corners[1], q.corners[2], q.corners[3]}), (std::array<int, 3>{1, 3, 2}));
    const CornerOrder t = OutlineOrder(Textured(0, 0, {}, {}, false));
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ((std::array<int, 3>{t.corners[0], t.corners[1], t.corners[2]}), (std::array<int, 3>{0, 1, 2}));
}

TEST(TimViewLayout, PressPicksACornerWithinScalePlusOneTexels) {
    const WorkPrimitive p = Textured(0, 0, {10, 100, 100, 100}, {20, 100, 100, 100});
    const struct {
        CPoint point;
        int corner;
    } cases[] = {
        {{31, 61}, 0},  // texel (10, 20)
        {{45, 61}, -1}, // texel 15: |15 - 10| = 5, not below 4
        {{42, 61}, -1}, // texel 14: 4 away, not below 4
        {{39, 69}, 0},  // texel (13, 23): 3 away on both axes
        {{22, 51}, 0},  // texel (7, 17)
        {{0, 0}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitCorner(p, c.point, s, {}), c.corner) << c.point.x << "," << c.point.y;
}

TEST(TimViewLayout, ALaterCornerOverridesAnEarlierOneAndATriangleHasThree) {
    const WorkPrimitive quad = Textured(0, 0, {10, 11, 50, 12}, {10, 10, 50, 11});
    EXPECT_EQ(HitCorner(quad, {31, 31}, s, {}), 3);
    const WorkPrimitive triangle = Textured(0, 0, {10, 11, 50, 12}, {10, 10, 50, 11}, false);
    EXPECT_EQ(HitCorner(triangle, {31, 31}, s, {}), 1);
}

TEST(TimViewLayout, DraggingACornerStoresTheTexelUnderTheMouseHeldWithinThePage) {
    struct Case {
        CPoint point;
        CPoint offset;
        int u, v;
    };
    const Case cases[] = {
        {{7, 9}, {}, 2, 3},        {{800, 61}, {}, 255, 20}, // 800 / 3 = 266, past the page's edge
        {{-1, 5}, {}, 0, 1},       {{-300, -3}, {}, 0, 0},   // left of and above the view
        {{-3, 0}, {40, 2}, 39, 2}, {{30, 30}, {250, 250}, 255, 255},
    };
    for (const Case& c : cases) {
        WorkPrimitive p = Textured(0, 0, {128, 0, 0, 0}, {128, 0, 0, 0});
        EXPECT_TRUE(MoveCorner(p, 0, c.point, s, c.offset)) << c.point.x << "," << c.point.y;
        EXPECT_EQ(p.u[0], c.u) << c.point.x << "," << c.point.y;
        EXPECT_EQ(p.v[0], c.v) << c.point.x << "," << c.point.y;
        EXPECT_FALSE(MoveCorner(p, 0, c.point, s, c.offset));
    }
}

TEST(TimViewLayout, DraggingTheOutlineMovesWholeTexelsAndWraps) {
    WorkPrimitive p = Textured(0, 0, {10, 250, 0, 5}, {0, 1, 2, 3});
    EXPECT_FALSE(MoveOutline(p, {100, 100}, {102, 98}, s)); // steps below the scale
    EXPECT_EQ(p.u[0], 10);
    EXPECT_TRUE(MoveOutline(p, {100, 100}, {118, 97}, s)); // +6, -1
    EXPECT_EQ((std::array<int, 4>{p.u[0], p.u[1], p.u[2], p.u[3]}), (std::array<int, 4>{16, 0, 6, 11}));
    EXPECT_EQ((std::array<int, 4>{p.v[0], p.v[1], p.v[2], p.v[3]}), (std::array<int, 4>{255, 0, 1, 2}));
    WorkPrimitive triangle = Textured(0, 0, {0, 0, 0, 77}, {0, 0, 0, 77}, false);
    MoveOutline(triangle, {0, 0}, {30, 30}, s);
    EXPECT_EQ(triangle.u[2], 10);
    EXPECT_EQ(triangle.u[3], 77); // not a corner of a triangle
}

TEST(TimViewLayout, ATextureInsideItsPageIsDrawnAndHitAtTheSamePlace) {
    // A 4-bit texture 8 units (32 texels) right of and 16 lines below page 5's origin.
    const TimImage tim = Tim("inner", 0, 328, 16, 8, 64);
    const WorkPrimitive p = Textured(5, 0, {40, 60, 40, 60}, {20, 20, 40, 40});
    TimList list{tim};
    ASSERT_EQ(FindPrimitiveTim(list, p), &list.front());
    const CPoint offset = TextureOffset(p, &list.front());
    EXPECT_EQ(offset, (CPoint{32, 16}));
    for (int corner = 0; corner < 4; ++corner) {
        const CPoint drawn = CornerViewPoint(p, corner, s, offset);
        EXPECT_EQ(HitCorner(p, drawn, s, offset), corner);
        WorkPrimitive moved = p;
        MoveCorner(moved, corner, drawn, s, offset);
        EXPECT_EQ(moved.u[corner], p.u[corner]);
        EXPECT_EQ(moved.v[corner], p.v[corner]);
    }
    EXPECT_EQ(CornerViewPoint(p, 0, s, offset), (CPoint{(40 - 32) * 3 + 1, (20 - 16) * 3 + 1}));
    // Moving a corner to any point puts it under that point.
    WorkPrimitive moved = p;
    MoveCorner(moved, 1, {100, 50}, s, offset);
    EXPECT_EQ(CornerViewPoint(moved, 1, s, offset), (CPoint{100 / 3 * 3 + 1, 50 / 3 * 3 + 1}));
    // A texture at the origin of its page needs no offset.
    EXPECT_EQ(TextureOffset(p, nullptr), (CPoint{}));
    const TimImage atOrigin = Tim("origin", 0, 320, 0, 16, 256);
    EXPECT_EQ(TextureOffset(p, &atOrigin), (CPoint{}));
}

namespace {

// A document whose selected object holds `prims`, the first one current.
struct SceneDoc {
    explicit SceneDoc(const std::vector<WorkPrimitive>& prims) : owned(test::MakeDoc(prims)), doc(*owned) {}
    std::unique_ptr<CPolyvaneDoc> owned;
    CPolyvaneDoc& doc;
};

} // namespace

TEST(TimViewLayout, StatusTextsInTheirOrder) {
    CPolyvaneDoc none;
    EXPECT_EQ(ComposeTimView(none, s).status, "No Object");
    SceneDoc empty({});
    EXPECT_EQ(ComposeTimView(empty.doc, s).status, "No Object");

    WorkPrimitive plain = Textured(5, 0, {40}, {10});
    plain.attr = PA_QUAD;
    SceneDoc untextured({plain});
    untextured.doc.AttachTexture(Tim("t", 0, 320, 0, 16, 256));
    EXPECT_EQ(ComposeTimView(untextured.doc, s).status, "Not Textured");

    SceneDoc textured({Textured(5, 0, {40}, {10})});
    EXPECT_EQ(ComposeTimView(textured.doc, s).status, "No TIM's loaded");
    textured.doc.AttachTexture(Tim("t", 0, 336, 0, 16, 256));
    EXPECT_EQ(ComposeTimView(textured.doc, s).status, "No TIM found");
    EXPECT_EQ(ComposeTimView(textured.doc, s).tim, nullptr);
}

TEST(TimViewLayout, SceneOfAFoundTextureHoldsItsSizeAndTheOutlineInOrder) {
    SceneDoc d({Textured(5, 0, {40, 50, 40, 50}, {10, 10, 30, 30})});
    d.doc.AttachTexture(Tim("a", 0, 320, 0, 16, 256));
    d.doc.AttachTexture(Tim("b", 0, 320, 0, 16, 256));
    const TimViewScene scene = ComposeTimView(d.doc, s);
    EXPECT_TRUE(scene.status.empty());
    EXPECT_EQ(scene.tim, &d.doc.Textures().front());
    EXPECT_EQ(scene.size, (CSize{192, 768}));
    ASSERT_EQ(scene.outlineCount, 4);
    EXPECT_EQ(scene.outline[0], (CPoint{121, 31}));
    EXPECT_EQ(scene.outline[1], (CPoint{151, 31}));
    EXPECT_EQ(scene.outline[2], (CPoint{151, 91})); // corner 3, labelled "3"
    EXPECT_EQ(scene.outline[3], (CPoint{121, 91})); // corner 2, labelled "4"
}
