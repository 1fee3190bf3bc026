// The model view's paint, read from the drawing surface's trace: pens, texts, positions and order
// in every mode.
#include "WorkDocBuilder.h"
#include "platform/CRasterDC.h"
#include "view/CPolyvaneView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

using namespace polyvane;
using namespace polyvane::test;

namespace {

using Lines = std::vector<std::string>;

// Record 0 at depth 1000 in front; the quad 1 and triangle 2 both at depth 1100 behind it.
std::vector<WorkPrimitive> Scene() {
    return {Record({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}),
            Record({{-50, 50, 100}, {50, 50, 100}, {-50, -50, 100}, {50, -50, 100}}),
            Record({{0, 0, 100}, {10, 0, 100}, {0, 10, 100}})};
}

struct Painted {
    std::unique_ptr<CPolyvaneDoc> doc;
    Lines lines;
};

Lines Paint(CPolyvaneDoc* doc, std::int32_t mode, int vertexNumbers = 1) {
    HeadlessViewHost host(CRect{0, 0, 400, 300});
    CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(doc);
    view.m_viewMode = mode;
    view.m_bShowVertexNumbers = vertexNumbers;
    CRecordingDC dc(CRect{0, 0, 400, 300});
    view.OnDraw(&dc);
    // Whatever was selected during the paint is selected back.
    EXPECT_EQ(dc.CurrentPen().colour, RGB(0, 0, 0));
    EXPECT_FALSE(dc.CurrentBrush().hollow);
    view.SetDocument(nullptr);
    return dc.Lines();
}

const Lines kPaintStart = {"SetTextColor 0x808080", "SetBkMode TRANSPARENT",
                           "CreatePen PS_INSIDEFRAME 1 0x0040ff", "GetClientRect"};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Lines kAxes = {"SelectObject BLACK_PEN", "CreatePen PS_DASH 1 0x808080",
                     "SelectObject pen2",      "MoveTo 200 150",
                     "LineTo 264 150",         "TextOut 264 150 \"x\"",
                     "MoveTo 200 150",         "LineTo 200 86",
                     "TextOut 200 86 \"y\"",   "MoveTo 200 150",
                     "LineTo 200 150",         "TextOut 200 150 \"z\"",
                     "SelectObject BLACK_PEN", "DeleteObject pen1",
                     "DeleteObject pen2"};

TEST(ViewPaint, WireframeDrawsOutlinesTheCurrentPrimitiveItsNumbersAndTheAxes) {
    auto doc = MakeDoc(Scene());
    const Lines expected =
        Concat({kPaintStart,
                {"SelectStockObject NULL_BRUSH", "Polygon 200,150 300,150 200,50",
                 "Polygon 154,105 245,105 245,195 154,195", "Polygon 200,150 209,150 200,141",
                 "SelectObject WHITE_BRUSH", "SelectObject pen1", "Polygon 200,150 300,150 200,50",
                 "TextOut 200 150 \"1\"", "TextOut 300 150 \"2\"", "TextOut 200 50 \"3\""},
                kAxes});
    EXPECT_EQ(Paint(doc.get(), VM_WIREFRAME), expected);
}

TEST(ViewPaint, WireframeWithoutVertexNumbersStillDrawsTheAxes) {
    auto doc = MakeDoc(Scene());
    const Lines lines = Paint(doc.get(), VM_WIREFRAME, 0);
    for (const char* digit : {"\"1\"", "\"2\"", "\"3\""})
        EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.find(digit) != std::string::npos; }));
    EXPECT_TRUE(std::equal(kAxes.begin(), kAxes.end(), lines.end() - static_cast<long>(kAxes.size())));
}

TEST(ViewPaint, QuadNumbersFollowTheOutlineOrder) {
    auto doc = MakeDoc(Scene());
    doc->SelectPrimitive(1);
    const Lines lines = Paint(doc.get(), VM_WIREFRAME);
    const Lines labels = {"SelectObject pen1", "Polygon 154,105 245,105 245,195 154,195",
                          "TextOut 154 105 \"1\"", "TextOut 245 105 \"2\"",
                          // "3" at the fourth stored vertex, "4" at the third.
                          "TextOut 245 195 \"3\"", "TextOut 154 195 \"4\""};
    auto at = std::search(lines.begin(), lines.end(), labels.begin(), labels.end());
    EXPECT_NE(at, lines.end());
}

TEST(ViewPaint, SolidDrawsFarthestFirstThenTheCurrentPrimitive) {
    auto doc = MakeDoc(Scene());
    // The quad and the small triangle share a depth: the lower index is drawn first.
    const Lines expected =
        Concat({kPaintStart,
                {"Polygon 154,105 245,105 245,195 154,195", "Polygon 200,150 209,150 200,141",
                 "Polygon 200,150 300,150 200,50", "SelectObject pen1", "Polygon 200,150 300,150 200,50",
                 "SelectObject BLACK_PEN", "DeleteObject pen1"}});
    EXPECT_EQ(Paint(doc.get(), VM_SOLID), expected);
    EXPECT_EQ(Paint(doc.get(), VM_SOLID, 0), expected);
}

// The C library's numeric locale for one scope, as Qt sets the user's for the whole program.
class NumericLocale {
  public:
    explicit NumericLocale(const char* name) : m_before(std::setlocale(LC_NUMERIC, nullptr)) {
        m_set = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, m_before.c_str()); }
    NumericLocale(const NumericLocale&) = delete;
    NumericLocale& operator=(const NumericLocale&) = delete;
    [[nodiscard]] bool Set() const { return m_set; }

  private:
    std::string m_before;
    bool m_set = false;
};

TEST(ViewPaint, ObjectTableDescribesAPlainTriangleWithDecimalPointsInEveryLocale) {
    WorkPrimitive tri = Record({{1, -2.5, 0}, {100, 0, 0}, {0, 100, 0}});
    auto doc = MakeDocObjects({{tri}, {}});
    const Lines expected =
        Concat({kPaintStart,
                {"TextOut 0 0 \"Vertices : 3  Normals : 1  Prims : 1\"",
                 "TextOut 0 16 \"Current Primitive : 0   Current Object : 0 / 2   pmode : 0\"",
                 "TextOut 0 32 \"Flat shaded\"", "TextOut 0 48 \"Not textured\"", "TextOut 0 64 \"Opaque\"",
                 "TextOut 0 80 \"No Brightness\"", "TextOut 0 96 \"Single-colour\"",
                 "TextOut 0 112 \"Single sided\"", "TextOut 0 128 \"No Lighting\"",
                 "TextOut 0 144 \"X:1.000000 Y:-2.500000 Z:0.000000\"",
                 "TextOut 0 160 \"X:100.000000 Y:0.000000 Z:0.000000\"",
                 "TextOut 0 176 \"X:0.000000 Y:100.000000 Z:0.000000\"", "TextOut 0 192 \"Style:0\"",
                 "DeleteObject pen1"}});
    // Locales that write a decimal comma; those not installed are passed over.
    for (const char* name : {"C", "de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        const NumericLocale locale(name);
        if (locale.Set()) {
            EXPECT_EQ(Paint(doc.get(), VM_OBJECT_TABLE), expected) << name;
        }
    }
}

TEST(ViewPaint, ObjectTableNamesEveryAttributeBitAndPlacesTheQuadStyleLowerDown) {
    WorkPrimitive quad = Record({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
                                PA_GOURAUD | PA_TEXTURED | PA_TRANSLUCENT | PA_BRIGHTNESS | PA_GRADATION |
                                    PA_DOUBLE | PA_LIGHT);
    quad.style = -3;
    WorkPrimitive first = Record({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    first.pmode = 2;
    quad.pmode = 1;
    auto doc = MakeDoc({first, quad});
    doc->SelectPrimitive(1);
    const Lines lines = Paint(doc.get(), VM_OBJECT_TABLE);
    const Lines expected = {"TextOut 0 16 \"Current Primitive : 1   Current Object : 0 / 1   pmode : 2\"",
                            "TextOut 0 32 \"Gouraud shaded\"",
                            "TextOut 0 48 \"Textured\"",
                            "TextOut 0 64 \"Translucent\"",
                            "TextOut 0 80 \"Brightness calculation\"",
                            "TextOut 0 96 \"Gradation\"",
                            "TextOut 0 112 \"Double sided\"",
                            "TextOut 0 128 \"Light sourced\"",
                            "TextOut 0 144 \"X:0.000000 Y:0.000000 Z:0.000000\"",
                            "TextOut 0 160 \"X:1.000000 Y:0.000000 Z:0.000000\"",
                            "TextOut 0 176 \"X:0.000000 Y:1.000000 Z:0.000000\"",
                            "TextOut 0 192 \"X:1.000000 Y:1.000000 Z:0.000000\"",
                            "TextOut 0 208 \"Style:-3\""};
    EXPECT_NE(std::search(lines.begin(), lines.end(), expected.begin(), expected.end()), lines.end());
}

TEST(ViewPaint, BlankAndUnknownModesDrawNothingAlthoughAModelIsLoaded) {
    auto doc = MakeDoc(Scene());
    for (std::int32_t mode : {VM_BLANK, 0, 3, 128}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Paint(doc.get(), mode), Concat({kPaintStart, {"DeleteObject pen1"}}));
    }
}

TEST(ViewPaint, EmptyDocumentDrawsNothingInAnyMode) {
    CPolyvaneDoc doc;
    for (std::int32_t mode : {VM_WIREFRAME, VM_SOLID, VM_VRAM, VM_OBJECT_TABLE, VM_BLANK}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Paint(&doc, mode), Lines{});
    }
}

TEST(ViewPaint, ObjectWithoutPrimitivesDrawsAxesOrTheFirstTableLineOnly) {
    auto doc = MakeDocObjects({Scene(), {}}, 1);
    ASSERT_EQ(doc->CurrentPrimitive(), nullptr);
    EXPECT_EQ(Paint(doc.get(), VM_WIREFRAME),
              Concat({kPaintStart,
                      {"SelectStockObject NULL_BRUSH", "SelectObject WHITE_BRUSH"},
                      Lines(kAxes.begin() + 1, kAxes.end())}));
    EXPECT_EQ(Paint(doc.get(), VM_SOLID), Concat({kPaintStart, {"DeleteObject pen1"}}));
    EXPECT_EQ(
        Paint(doc.get(), VM_OBJECT_TABLE),
        Concat({kPaintStart, {"TextOut 0 0 \"Vertices : 0  Normals : 0  Prims : 0\"", "DeleteObject pen1"}}));
}

TEST(ViewPaint, WireframePixelsShowTheHighlightOverTheLines) {
    auto doc = MakeDoc(Scene());
    HeadlessViewHost host(CRect{0, 0, 400, 300});
    CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(doc.get());
    CRasterDC dc(400, 300);
    view.OnDraw(&dc);
    EXPECT_EQ(dc.GetPixel(280, 150), RGB(255, 64, 0));    // bottom edge of the current triangle
    EXPECT_EQ(dc.GetPixel(210, 140), RGB(255, 255, 255)); // its face covers the lines behind it
    EXPECT_EQ(dc.GetPixel(154, 180), RGB(0, 0, 0));       // the quad's left edge in the default pen
    EXPECT_EQ(dc.GetPixel(200, 70), RGB(255, 64, 0));     // the current triangle's left edge
    EXPECT_EQ(dc.GetPixel(200, 140), RGB(128, 128, 128)); // the dashed y axis over it
    view.SetDocument(nullptr);
}

} // namespace
