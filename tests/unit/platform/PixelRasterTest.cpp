// The rasteriser against a pixel-by-pixel reading of its own rule, clipping of far geometry, and the
// bitmap sampling rules.
#include "platform/PixelRaster.h"
#include "platform/CRasterDC.h"
#include "platform/Clip.h"
#include "platform/Dib.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace polyvane;

namespace {

constexpr std::int32_t kW = 48, kH = 40;

// Pixel (x, y) is inside when an odd number of edges cross its row centre at or left of its centre.
bool InsideByRule(const std::vector<CPoint>& poly, std::int32_t x, std::int32_t y) {
    const double cx = x + 0.5, cy = y + 0.5;
    int crossings = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const CPoint& a = poly[i];
        const CPoint& b = poly[(i + 1) % poly.size()];
        if (a.y == b.y || (a.y <= cy) == (b.y <= cy))
            continue;
        const double slope = (static_cast<double>(b.x) - a.x) / (static_cast<double>(b.y) - a.y);
        if (a.x + (cy - a.y) * slope <= cx)
            ++crossings;
    }
    return crossings % 2 == 1;
}

std::vector<std::uint32_t> Fill(const std::vector<CPoint>& poly) {
    std::vector<std::uint32_t> pixels(kW * kH, 0);
    PixelRaster(pixels.data(), kW, kH, kW).FillPolygon(poly, 1);
    return pixels;
}

TEST(PixelRaster, FillsExactlyThePixelsItsRuleNames) {
    const std::vector<std::vector<CPoint>> shapes = {
        {{5, 5}, {30, 8}, {12, 30}},                      // triangle
        {{5, 5}, {40, 5}, {40, 30}, {5, 30}},             // axis-aligned square
        {{10, 2}, {40, 20}, {20, 38}, {2, 18}},           // tilted convex quad
        {{5, 5}, {40, 30}, {40, 5}, {5, 30}},             // bow tie: crosses itself
        {{5, 5}, {40, 5}, {20, 15}, {5, 35}},             // dent: not convex
        {{-20, -10}, {60, 10}, {10, 70}},                 // reaches off every side
        {{0, 0}, {47, 0}, {47, 39}},                      // edges on the block's border
        {{24, 2}, {36, 38}, {6, 14}, {42, 14}, {12, 38}}, // five-pointed star
        {{10, 10}, {20, 10}, {30, 10}},                   // no area
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.size());
        const auto pixels = Fill(shape);
        for (std::int32_t y = 0; y < kH; ++y)
            for (std::int32_t x = 0; x < kW; ++x)
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * kW + x)] == 1, InsideByRule(shape, x, y))
                    << "pixel " << x << "," << y << " of shape starting " << shape[0].x << "," << shape[0].y;
    }
}

TEST(PixelRaster, RandomQuadsAndTrianglesFollowTheRule) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> coordinate(-10, 58);
    for (int round = 0; round < 300; ++round) {
        std::vector<CPoint> shape(3 + round % 2);
        for (CPoint& p : shape)
            p = CPoint{coordinate(random), coordinate(random)};
        const auto pixels = Fill(shape);
        for (std::int32_t y = 0; y < kH; ++y)
            for (std::int32_t x = 0; x < kW; ++x)
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * kW + x)] == 1, InsideByRule(shape, x, y))
                    << "round " << round << " pixel " << x << "," << y;
    }
}

TEST(PixelRaster, StrideSeparatesRows) {
    std::vector<std::uint32_t> pixels(10 * 4, 0);
    PixelRaster raster(pixels.data(), 8, 4, 10); // two unused pixels at the end of each row
    raster.FillRect(CRect{-5, -5, 100, 100}, 7);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(pixels[i], (i % 10) < 8 ? 7u : 0u) << i;
}

TEST(PixelRaster, DashesContinueAcrossAPolygonsEdges) {
    std::vector<std::uint32_t> pixels(64 * 4, 0);
    PixelRaster raster(pixels.data(), 64, 4, 64);
    std::int64_t phase = 0;
    raster.StrokeLine({0, 1}, {10, 1}, 1, 1, true, false, phase);
    raster.StrokeLine({10, 1}, {40, 1}, 1, 1, true, false, phase);
    // 18 on, 6 off, on again from 24, counted across both segments.
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(pixels[static_cast<std::size_t>(64 + x)], (x % 24) < 18 ? 1u : 0u) << x;
    EXPECT_EQ(phase, 40);
}

TEST(Clip, PolygonsAreCutToTheBoxKeepingTheirInside) {
    const CPoint huge[3] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
    const auto cut = ClipPolygon(huge, CRect{0, 0, 100, 100});
    ASSERT_GE(cut.size(), 3u);
    for (const CPoint& p : cut) {
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 100);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 100);
    }
    EXPECT_TRUE(ReachesFarOutside(huge, CRect{0, 0, 100, 100}, 4096));
    const CPoint near[2] = {{-10, 5}, {110, 50}};
    EXPECT_FALSE(ReachesFarOutside(near, CRect{0, 0, 100, 100}, 4096));
    PointF a{-1000, 50}, b{1000, 50};
    ASSERT_TRUE(ClipSegment(a, b, 0, 0, 100, 100));
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(b.x, 100);
    PointF c{-10, -10}, d{-5, 200};
    EXPECT_FALSE(ClipSegment(c, d, 0, 0, 100, 100));
}

TEST(Dib, RowsArePaddedToFourBytesAndShortBitsAreRefused) {
    const struct {
        std::int32_t width;
        unsigned bits;
        std::uint64_t rowBytes;
    } rows[] = {{1, 4, 4}, {9, 4, 8}, {3, 8, 4}, {5, 8, 8}, {3, 16, 8}, {3, 24, 12}, {1, 24, 4}, {2, 32, 8}};
    for (const auto& r : rows)
        EXPECT_EQ(DibPixels::RowBytes(r.width, r.bits), r.rowBytes) << r.width << "x" << r.bits;
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biBitCount = 24;
    std::vector<std::uint8_t> bits(24, 0);
    EXPECT_TRUE(DibPixels::Make(info, bits).has_value());
    bits.resize(23);
    EXPECT_FALSE(DibPixels::Make(info, bits).has_value());
    for (unsigned unsupported : {1u, 2u, 15u, 64u}) {
        info.bmiHeader.biBitCount = static_cast<std::uint16_t>(unsupported);
        EXPECT_FALSE(DibPixels::Make(info, std::vector<std::uint8_t>(4096)).has_value()) << unsupported;
    }
}

TEST(Dib, NegativeDestinationExtentMirrors) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biBitCount = 32;
    const std::vector<std::uint8_t> bits = {0, 0, 255, 0, 255, 0, 0, 0}; // red, then blue
    const auto pixels = DibPixels::Make(info, bits);
    ASSERT_TRUE(pixels);
    const StretchedBitmap plain(*pixels, CRect{0, 0, 2, 1}, false, false, 0, 0, 2, 1);
    EXPECT_EQ(plain.Sample(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(plain.Sample(1, 0), RGB(0, 0, 255));
    const StretchedBitmap mirrored(*pixels, CRect{0, 0, 2, 1}, true, false, 0, 0, 2, 1);
    EXPECT_EQ(mirrored.Sample(0, 0), RGB(0, 0, 255));
    // A source rectangle reaching past the bitmap leaves those pixels alone.
    const StretchedBitmap beyond(*pixels, CRect{0, 0, 4, 1}, false, false, 0, 0, 4, 1);
    EXPECT_FALSE(beyond.Sample(3, 0).has_value());
}

// A row copied at once gives what sampling pixel by pixel gives, one to one or not, whichever way
// the rows are stored and wherever the source reaches past the bitmap.
TEST(Dib, RowSamplesMatchPixelSamples) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint8_t> bits(3 * 2 * 4);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<std::uint8_t>(i * 11 + 1);
    struct Case {
        std::int32_t height; // negative: top-down
        CRect dest;
        bool mirrorX;
        std::int32_t xSrc, ySrc, wSrc, hSrc;
    };
    const Case cases[] = {
        {2, {0, 0, 3, 2}, false, 0, 0, 3, 2},   // one to one, bottom-up
        {-2, {0, 0, 3, 2}, false, 0, 0, 3, 2},  // one to one, top-down
        {-2, {2, 1, 6, 3}, false, -1, 0, 4, 2}, // one to one, reaching left of the bitmap
        {2, {-1, 0, 4, 2}, false, 1, 1, 5, 2},  // one to one, reaching past its right and top
        {-2, {0, 0, 6, 4}, false, 0, 0, 3, 2},  // stretched
        {2, {0, 0, 3, 2}, true, 0, 0, 3, 2},    // mirrored
    };
    for (const Case& c : cases) {
        info.bmiHeader.biHeight = c.height;
        const auto pixels = DibPixels::Make(info, bits);
        ASSERT_TRUE(pixels);
        const StretchedBitmap bitmap(*pixels, c.dest, c.mirrorX, false, c.xSrc, c.ySrc, c.wSrc, c.hSrc);
        for (std::int32_t y = c.dest.top; y < c.dest.bottom; ++y) {
            constexpr COLORREF kUntouched = 0x123456;
            std::vector<COLORREF> row(std::size_t(c.dest.Width()), kUntouched);
            bitmap.SampleRow(y, c.dest.left, c.dest.right, row.data());
            for (std::int32_t x = c.dest.left; x < c.dest.right; ++x)
                EXPECT_EQ(row[std::size_t(x - c.dest.left)], bitmap.Sample(x, y).value_or(kUntouched))
                    << "case " << (&c - cases) << " at " << x << ", " << y;
        }
    }
}

// A batch large enough to be shared among threads leaves the surface as drawing its outlines one
// by one does, whatever the pen: outlines crossing the threads' rows, running far off the surface,
// of two points, dashed or wide.
TEST(PixelRaster, ABatchOfOutlinesDrawsAsOneByOne) {
    struct Pen {
        int style, width;
    };
    const Pen pens[] = {{PS_SOLID, 1}, {PS_DASH, 1}, {PS_SOLID, 3}};
    std::mt19937 random(5);
    std::uniform_int_distribution<int> near(-20, 140), offset(-9, 9), wild(-100000, 100000);
    std::vector<std::array<CPoint, 4>> outlines(5000);
    std::vector<std::uint8_t> counts(outlines.size());
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const CPoint centre{near(random), near(random)};
        for (CPoint& p : outlines[i])
            p = i % 97 == 0 ? CPoint{wild(random), wild(random)}
                            : CPoint{centre.x + offset(random), centre.y + offset(random)};
        counts[i] = static_cast<std::uint8_t>(i % 89 == 0 ? 2 : 3 + i % 2);
    }
    for (const Pen& pen : pens) {
        CRasterDC batch(120, 120), single(120, 120);
        for (CRasterDC* dc : {&batch, &single}) {
            dc->SelectObject(dc->CreatePen(pen.style, pen.width, RGB(0, 0, 255)));
            dc->SelectObject(dc->CreateSolidBrush(RGB(200, 100, 0)));
        }
        batch.Polygons(outlines, counts);
        for (std::size_t i = 0; i < outlines.size(); ++i)
            single.Polygon(outlines[i].data(), counts[i]);
        EXPECT_TRUE(batch.Pixels() == single.Pixels()) << "pen style " << pen.style << " width " << pen.width;
    }
}

} // namespace
