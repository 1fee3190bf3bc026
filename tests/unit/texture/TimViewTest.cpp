// The texture view: what each paint draws, the scroll sizes and window text it sets, and what the
// mouse does to the current primitive and the document.
#include "DocTestSupport.h"
#include "TimBuilder.h"
#include "WorkDocBuilder.h"
#include "platform/CDC.h"
#include "platform/CRasterDC.h"
#include "texture/CTimView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// A document whose selected object holds one primitive, with a texture view and another view.
class TimViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WorkPrimitive p{};
        p.attr = PA_TEXTURED | PA_QUAD;
        p.tpage = 5;
        p.pmode = 0;
        const std::uint8_t u[4] = {10, 20, 10, 20}, v[4] = {20, 20, 30, 30};
        std::copy(u, u + 4, p.u);
        std::copy(v, v + 4, p.v);
        doc.AdoptModel(test::MakeModel({{p}}));
        view.SetHost(&host);
        view.SetDocument(&doc);
        other.SetDocument(&doc);
    }
    void TearDown() override {
        view.SetDocument(nullptr);
        other.SetDocument(nullptr);
    }
    const WorkPrimitive& Prim() { return *doc.CurrentPrimitive(); }
    // Sets the current primitive up before a test acts on it.
    template <typename Change> void Edit(Change change) {
        test::EditRecords(doc, 0, [&](std::span<WorkPrimitive> records) { change(records[0]); });
    }
    // Loads a 4-bit texture of `width` units by `height` rows at (x, y) into the document's list.
    const TimImage& AddTexture(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                               std::vector<std::uint8_t> pixels = {}, std::string name = {}) {
        TimSpec s;
        s.clut = std::vector<std::uint16_t>(16);
        for (std::uint16_t i = 0; i < 16; ++i)
            (*s.clut)[i] = static_cast<std::uint16_t>(i * 2); // red ramp
        s.imageX = x;
        s.imageY = y;
        s.imageWidth = width;
        s.imageHeight = height;
        s.pixels = pixels.empty() ? std::vector<std::uint8_t>(std::size_t{width} * height * 2) : pixels;
        TimLoad load = LoadTimBytes(BuildTim(s).data());
        EXPECT_TRUE(load.ok);
        load.tim.fileName =
            name.empty() ? "/textures/" + std::to_string(x) + "_" + std::to_string(y) + ".tim" : name;
        doc.AttachTexture(std::move(load.tim));
        return doc.Textures().back();
    }
    std::vector<std::string> Paint() {
        CRecordingDC dc;
        view.OnDraw(&dc);
        return dc.Lines();
    }

    CPolyvaneDoc doc;
    HeadlessViewHost host;
    CTimView view;
    UpdateCounter other;
};

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST_F(TimViewTest, StatusTextsAreDrawnAloneAtTheOrigin) {
    CTimView bare;
    CPolyvaneDoc empty;
    bare.SetDocument(&empty);
    CRecordingDC dc;
    bare.OnDraw(&dc);
    EXPECT_EQ(dc.Lines(), std::vector<std::string>{"TextOut 0 0 \"No Object\""});
    bare.SetDocument(nullptr);

    EXPECT_EQ(Paint(), std::vector<std::string>{"TextOut 0 0 \"No TIM's loaded\""});
    AddTexture(336, 0, 16, 256);
    EXPECT_EQ(Paint(), std::vector<std::string>{"TextOut 0 0 \"No TIM found\""});
    Edit([](WorkPrimitive& p) { p.attr = PA_QUAD; });
    EXPECT_EQ(Paint(), std::vector<std::string>{"TextOut 0 0 \"Not Textured\""});
    EXPECT_TRUE(host.m_windowText.empty());
}

TEST_F(TimViewTest, InitialUpdateSetsA400By400ScrollSize) {
    view.OnInitialUpdate();
    EXPECT_EQ(host.m_scrollSize, (CSize{400, 400}));
    EXPECT_EQ(view.m_nScale, 3);
    EXPECT_FALSE(view.m_bDragging);
    EXPECT_EQ(view.m_nCorner, 0);
}

TEST_F(TimViewTest, AFoundTextureIsDrawnMagnifiedWithTheLabelledOutline) {
    AddTexture(320, 0, 16, 256);
    const std::vector<std::string> lines = Paint();
    // The texture, its outline, then the palette strip's 16 entries under it.
    ASSERT_EQ(lines.size(), 14u + 16u);
    EXPECT_EQ(lines[0].rfind("StretchDIBits 0 0 192 768 0 0 64 256 64x-256x32 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "CreatePen PS_SOLID 1 0xffff00");
    const std::vector<std::string> outline(lines.begin() + 3, lines.begin() + 12);
    EXPECT_EQ(outline,
              (std::vector<std::string>{"MoveTo 31 61", "LineTo 61 61", "LineTo 61 91", "LineTo 31 91",
                                        "LineTo 31 61", "TextOut 31 61 \"1\"", "TextOut 61 61 \"2\"",
                                        "TextOut 61 91 \"3\"", "TextOut 31 91 \"4\""}));
    EXPECT_EQ(lines[14].rfind("FillSolidRect 0 776 ", 0), 0u) << lines[14];
    EXPECT_EQ(host.m_windowText, "/textures/320_0.tim");
    EXPECT_EQ(host.m_scrollSize, (CSize{224, 790}))
        << "the strip's 16 entries of 14 pixels under the texture";
    EXPECT_EQ(host.m_resizeToFit, 1);
    EXPECT_TRUE(host.m_lastShrinkOnly);
}

TEST_F(TimViewTest, ATriangleIsOutlinedThroughThreeCorners) {
    AddTexture(320, 0, 16, 256);
    Edit([](WorkPrimitive& p) { p.attr = PA_TEXTURED; });
    const std::vector<std::string> lines = Paint();
    const std::vector<std::string> expected = {
        "MoveTo 31 61",        "LineTo 61 61",        "LineTo 31 91",       "LineTo 31 61",
        "TextOut 31 61 \"1\"", "TextOut 61 61 \"2\"", "TextOut 31 91 \"3\""};
    EXPECT_TRUE(std::search(lines.begin(), lines.end(), expected.begin(), expected.end()) != lines.end());
}

TEST_F(TimViewTest, TheFirstAddedCoveringTextureIsShown) {
    AddTexture(320, 0, 16, 256);
    AddTexture(320, 0, 16, 128, {}, "/textures/second.tim");
    Paint();
    EXPECT_EQ(host.m_windowText, "/textures/320_0.tim");
}

TEST_F(TimViewTest, NoTextureFoundKeepsTheLastScrollSize) {
    AddTexture(320, 0, 16, 256);
    Paint();
    Edit([](WorkPrimitive& p) { p.tpage = 6; });
    EXPECT_EQ(Paint(), std::vector<std::string>{"TextOut 0 0 \"No TIM found\""});
    EXPECT_EQ(host.m_scrollSize, (CSize{224, 790}));
}

TEST_F(TimViewTest, TheTextureIsShownWithItsFirstRowAtTheTop) {
    // Two rows of eight 4-bit texels: the first row all index 15, the second all index 1.
    AddTexture(320, 0, 2, 2, {0xFF, 0xFF, 0xFF, 0xFF, 0x11, 0x11, 0x11, 0x11});
    Edit([](WorkPrimitive& p) { p.attr = PA_TEXTURED; });
    // Corner 0 on the last texel of the first row, the others far off, so the outline and its
    // labels run right and down from (22, 4), clear of the pixels looked at.
    Edit([](WorkPrimitive& p) {
        std::fill(p.u, p.u + 4, 200);
        std::fill(p.v, p.v + 4, 200);
        p.u[0] = 7;
        p.v[0] = 1;
    });
    CRasterDC dc(40, 20);
    view.OnDraw(&dc);
    EXPECT_EQ(dc.GetPixel(1, 1), RGB(240, 0, 0)); // index 15: red 30 x 8
    EXPECT_EQ(dc.GetPixel(10, 2), RGB(240, 0, 0));
    EXPECT_EQ(dc.GetPixel(1, 4), RGB(16, 0, 0)); // index 1 in the second row
    EXPECT_EQ(dc.GetPixel(10, 5), RGB(16, 0, 0));
    EXPECT_EQ(dc.GetPixel(30, 1), RGB(255, 255, 255)); // past the picture
}

TEST_F(TimViewTest, APressPicksTheCornerAtTheScrolledPointAndADragMovesIt) {
    AddTexture(320, 0, 16, 256);
    host.m_scrollPosition = {30, 0};
    view.OnLButtonDown(MK_LBUTTON, {1, 61}); // logical (31, 61): texel (10, 20), corner 0
    EXPECT_TRUE(view.m_bDragging);
    EXPECT_EQ(view.m_nCorner, 0);
    EXPECT_EQ(view.m_ptLast, (CPoint{31, 61}));
    const int invalidations = host.m_invalidations;
    const int updates = other.updates;
    view.OnMouseMove(MK_LBUTTON, {770, 61}); // logical x 800: u = 266, held at the page's edge
    EXPECT_EQ(Prim().u[0], 255);
    view.OnMouseMove(MK_LBUTTON, {20, 91});
    EXPECT_EQ(Prim().u[0], 16);
    EXPECT_EQ(Prim().v[0], 30);
    EXPECT_EQ(host.m_invalidations, invalidations + 2);
    EXPECT_TRUE(host.m_lastErase);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(other.updates, updates + 2);
    view.OnLButtonUp(0, {20, 91});
    EXPECT_FALSE(view.m_bDragging);
    view.OnMouseMove(0, {200, 200});
    EXPECT_EQ(Prim().u[0], 16);
}

TEST_F(TimViewTest, APressAwayFromTheCornersDragsTheWholeOutlineByWholeTexels) {
    view.OnLButtonDown(MK_LBUTTON, {300, 300});
    EXPECT_EQ(view.m_nCorner, -1);
    view.OnMouseMove(MK_LBUTTON, {302, 301}); // smaller than a texel: nothing moves
    view.OnMouseMove(MK_LBUTTON, {304, 302});
    EXPECT_EQ(Prim().u[0], 10);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(other.updates, 0);
    view.OnMouseMove(MK_LBUTTON, {310, 296}); // +6, -6 pixels: +2, -2 texels
    EXPECT_EQ((std::array<int, 4>{Prim().u[0], Prim().u[1], Prim().u[2], Prim().u[3]}),
              (std::array<int, 4>{12, 22, 12, 22}));
    EXPECT_EQ(Prim().v[0], 18);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(other.updates, 1);
}

TEST_F(TimViewTest, TheCornerUnderTheMouseMovesForATextureInsideItsPage) {
    // 8 units (32 texels) right of and 16 lines below page 5's origin.
    AddTexture(328, 16, 8, 64);
    const std::uint8_t u[4] = {40, 60, 40, 60}, v[4] = {20, 20, 40, 40};
    Edit([&](WorkPrimitive& p) {
        std::copy(u, u + 4, p.u);
        std::copy(v, v + 4, p.v);
    });
    const std::vector<std::string> lines = Paint();
    EXPECT_TRUE(Has(lines, "TextOut 85 73 \"3\"")); // corner 3 at ((60 - 32) * 3 + 1, (40 - 16) * 3 + 1)
    view.OnLButtonDown(MK_LBUTTON, {85, 73});
    EXPECT_EQ(view.m_nCorner, 3);
    view.OnMouseMove(MK_LBUTTON, {100, 40});
    EXPECT_EQ(Prim().u[3], 100 / 3 + 32);
    EXPECT_EQ(Prim().v[3], 40 / 3 + 16);
    EXPECT_TRUE(Has(Paint(), "TextOut 100 40 \"3\""));
}

TEST_F(TimViewTest, MouseWithoutACurrentPrimitiveIsIgnored) {
    doc.AdoptModel(test::MakeModel({{}}));
    view.OnLButtonDown(MK_LBUTTON, {31, 61});
    EXPECT_FALSE(view.m_bDragging);
    view.m_bDragging = true;
    view.OnMouseMove(MK_LBUTTON, {90, 90});
    EXPECT_EQ(view.m_ptLast, (CPoint{}));
    EXPECT_FALSE(doc.IsModified());
    CPolyvaneDoc empty;
    view.SetDocument(&empty);
    view.OnLButtonDown(MK_LBUTTON, {31, 61});
    view.OnMouseMove(MK_LBUTTON, {90, 90});
    EXPECT_EQ(view.m_ptLast, (CPoint{}));
    view.SetDocument(&doc);
}

TEST_F(TimViewTest, TheViewRepaintsWithEveryDocumentChange) {
    const int before = host.m_invalidations;
    doc.UpdateAllViews(nullptr, 0, nullptr);
    EXPECT_EQ(host.m_invalidations, before + 1);
}

TEST_F(TimViewTest, APaintIsShiftedByTheScrollPosition) {
    AddTexture(320, 0, 16, 256);
    host.m_scrollPosition = {30, 12};
    CRecordingDC dc;
    view.OnPrepareDC(&dc);
    view.OnDraw(&dc);
    ASSERT_GE(dc.Lines().size(), 2u);
    EXPECT_EQ(dc.Lines()[0], "SetViewportOrg -30 -12");
    EXPECT_EQ(view.ClientToLogical({1, 49}), (CPoint{31, 61}));
}
