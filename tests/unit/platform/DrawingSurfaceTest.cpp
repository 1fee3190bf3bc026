// The shared drawing-surface suite on the recording surface and on the software surface.
#include "DrawingSurfaceSuite.h"
#include "platform/CRasterDC.h"

#include <gtest/gtest.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

std::string Describe(const Failures& f) {
    std::string out;
    for (const auto& s : f)
        out += s + "\n";
    return out;
}

TEST(DrawingSurface, RecordingSurfaceRecordsEveryCaseExactly) {
    for (const SurfaceCase& c : SurfaceCases()) {
        SCOPED_TRACE(c.name);
        CRecordingDC dc(kSuiteClient);
        const Failures f = RunSurfaceCase(c, dc, [&] { return dc.Lines(); }, {});
        EXPECT_TRUE(f.empty()) << Describe(f);
    }
}

TEST(DrawingSurface, SoftwareSurfaceTracesAndPaintsEveryCase) {
    for (const SurfaceCase& c : SurfaceCases()) {
        SCOPED_TRACE(c.name);
        CRasterDC dc(kSuiteClient.right, kSuiteClient.bottom);
        std::vector<std::string> lines;
        dc.SetTraceSink([&](std::string_view l) { lines.emplace_back(l); });
        const Failures f = RunSurfaceCase(
            c, dc, [&] { return lines; }, [&](std::int32_t x, std::int32_t y) { return dc.GetPixel(x, y); });
        EXPECT_TRUE(f.empty()) << Describe(f);
    }
}

TEST(DrawingSurface, PlainSurfaceKeepsStateWithoutDrawingOrTracing) {
    CDC dc(CRect{0, 0, 10, 10});
    const HGDIOBJ pen = dc.CreatePen(PS_DASH, 1, RGB(1, 2, 3));
    dc.SelectObject(pen);
    EXPECT_EQ(dc.CurrentPen().style, PS_DASH);
    EXPECT_EQ(dc.CurrentPen().colour, RGB(1, 2, 3));
    EXPECT_EQ(dc.GetClientRect(), (CRect{0, 0, 10, 10}));
}

TEST(SoftwareSurface, LinesLeaveTheirEndPointAndFarLinesAreCut) {
    CRasterDC dc(20, 20);
    dc.MoveTo(2, 5);
    dc.LineTo(10, 5);
    EXPECT_EQ(dc.GetPixel(9, 5), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(10, 5), RGB(255, 255, 255));
    // A line from far outside crosses the surface without walking the whole way.
    dc.MoveTo(-2000000000, 10);
    dc.LineTo(2000000000, 10);
    EXPECT_EQ(dc.GetPixel(15, 10), RGB(0, 0, 0));
    const CPoint huge[3] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
    dc.Polygon(huge, 3);
    EXPECT_EQ(dc.GetPixel(15, 15), RGB(255, 255, 255));
}

TEST(SoftwareSurface, TextUsesTheBuiltInFontCells) {
    CRasterDC dc(40, 20);
    dc.SetBkColor(RGB(0, 0, 255));
    dc.TextOut(0, 0, "I");
    // The opaque box is one 6 x 12 cell; the I's stem is in its middle column.
    EXPECT_EQ(dc.GetPixel(5, 11), RGB(0, 0, 255));
    EXPECT_EQ(dc.GetPixel(6, 0), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(2, 5), RGB(0, 0, 0));
}

} // namespace
