// The chip's texture lookup and fill rules, with expectations worked out by hand from its published
// behaviour: texel addressing per colour mode, transparent texels, the four blend rates, modulation,
// the excluded lower-right edges, the fill command's 16-word steps and the ordered dither.
#include "gpu/GpuRasteriser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

using namespace polyvane;

namespace {

constexpr std::uint16_t Word(int r, int g, int b) {
    return static_cast<std::uint16_t>(r | (g << 5) | (b << 10));
}

std::tuple<int, int, int> Channels(std::uint16_t word) {
    return {word & 31, (word >> 5) & 31, (word >> 10) & 31};
}

struct LookupCase {
    const char* name;
    std::uint8_t tpage, pmode;
    std::uint16_t clutX, clutY;
    std::uint8_t u, v;
    int expectX, expectY; // the word that comes back
};

TEST(GpuRules, TexelLookupAddressesPageWordAndColourTableAsTheChipDoes) {
    FrameBuffer memory;
    // Page 1 is at x 64; page 0x11 at (64, 256); page 15 at x 960. Indices packed lowest first.
    memory.SetWord(64 + 1, 2, 0x4321);       // 4-bit texels u 4..7 on row 2: indices 1, 2, 3, 4
    memory.SetWord(64 + 3, 2, 0xABCD);       // 8-bit texels u 6, 7: indices 0xCD, 0xAB
    memory.SetWord(64 + 1, 256 + 2, 0x0005); // page 0x11, 4-bit u 4: index 5
    for (int x = 0; x < kFrameBufferWidth; ++x) {
        memory.SetWord(x, 480, static_cast<std::uint16_t>(0x1000 + x)); // colour-table row
        memory.SetWord(x, 2, static_cast<std::uint16_t>(0x2000 + x));
    }
    memory.SetWord(64 + 1, 2, 0x4321);
    memory.SetWord(64 + 3, 2, 0xABCD);
    const LookupCase cases[] = {
        {"4-bit lowest nibble first", 1, 0, 32, 480, 4, 2, 32 + 1, 480},
        {"4-bit third nibble", 1, 0, 32, 480, 6, 2, 32 + 3, 480},
        {"4-bit highest nibble", 1, 0, 32, 480, 7, 2, 32 + 4, 480},
        {"4-bit lower page", 0x11, 0, 16, 480, 4, 2, 16 + 5, 480},
        {"8-bit low byte", 1, 1, 0, 480, 6, 2, 0xCD, 480},
        {"8-bit high byte", 1, 1, 0, 480, 7, 2, 0xAB, 480},
        {"8-bit table wraps at the memory's edge", 1, 1, 1008, 480, 6, 2, (1008 + 0xCD) % 1024, 480},
        {"15-bit word itself", 1, 2, 0, 0, 9, 2, 64 + 9, 2},
        {"mode 3 reads like 15-bit", 1, 3, 0, 0, 9, 2, 64 + 9, 2},
        {"15-bit columns wrap at 1024", 15, 2, 0, 0, 100, 2, 960 + 100 - 1024, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FetchTexel(memory, c.tpage, c.pmode, c.clutX, c.clutY, c.u, c.v),
                  memory.Word(c.expectX, c.expectY))
            << c.name;
}

TEST(GpuRules, BlendRatesOnAKnownBackground) {
    // Background (20, 10, 31) from a fill, foreground (8, 16, 4) from a semi-transparent tile.
    struct Case {
        std::uint8_t abr;
        std::tuple<int, int, int> expect;
    };
    const Case cases[] = {
        {0, {14, 13, 17}}, // (B + F) / 2
        {1, {28, 26, 31}}, // B + F, clamped
        {2, {12, 0, 27}},  // B - F, clamped
        {3, {22, 14, 31}}, // B + F / 4
    };
    for (const auto& c : cases) {
        FrameBuffer memory;
        GpuRasteriser chip(memory);
        chip.Fill(0, 0, 16, 4, {160, 80, 248});
        chip.Tile(2, 1, 3, 2, {64, 128, 32}, true, c.abr);
        EXPECT_EQ(Channels(memory.Word(3, 2)), c.expect) << int(c.abr);
        EXPECT_EQ(Channels(memory.Word(5, 2)), std::tuple(20, 10, 31)) << "outside the tile";
        chip.Tile(8, 1, 3, 2, {64, 128, 32}, false, c.abr);
        EXPECT_EQ(Channels(memory.Word(9, 1)), std::tuple(8, 16, 4)) << "opaque tile";
    }
}

// Draws a textured 16 x 16 square at (0, 0) sampling page 8 (x 512) in 15-bit mode, where the
// texels of row v = 0 have been set by the test.
void DrawTexturedSquare(FrameBuffer& memory, GpuColour colour, bool raw, bool semi, std::uint8_t abr) {
    GpuRasteriser chip(memory);
    GpuDrawMode mode;
    mode.textured = true;
    mode.raw = raw;
    mode.semi = semi;
    mode.abr = abr;
    mode.tpage = 8;
    mode.pmode = kPixelMode15Bit;
    const GpuVertex quad[4] = {
        {0, 0, colour, 0, 0}, {16, 0, colour, 16, 0}, {0, 16, colour, 0, 0}, {16, 16, colour, 16, 0}};
    chip.Polygon(quad, mode);
}

TEST(GpuRules, ModulationScalesTexelsByColourOver128) {
    struct Case {
        std::uint8_t c;
        std::tuple<int, int, int> expect;
    };
    const Case cases[] = {
        {128, {20, 31, 1}}, // unchanged
        {64, {10, 15, 0}},  // halved, rounded down
        {255, {31, 31, 1}}, // 20 x 255 / 128 saturates; 1 x 255 / 128 = 1
    };
    for (const auto& c : cases) {
        FrameBuffer memory;
        memory.SetWord(512 + 3, 0, Word(20, 31, 1));
        DrawTexturedSquare(memory, {c.c, c.c, c.c}, false, false, 0);
        EXPECT_EQ(Channels(memory.Word(3, 5)), c.expect) << int(c.c);
        FrameBuffer rawMemory;
        rawMemory.SetWord(512 + 3, 0, Word(20, 31, 1));
        DrawTexturedSquare(rawMemory, {c.c, c.c, c.c}, true, false, 0);
        EXPECT_EQ(rawMemory.Word(3, 5), Word(20, 31, 1)) << "raw texel, colour " << int(c.c);
    }
}

TEST(GpuRules, TransparentTexelsAndSemiTransparencyBit) {
    FrameBuffer memory;
    GpuRasteriser(memory).Fill(0, 0, 16, 16, {80, 80, 80}); // (10, 10, 10)
    memory.SetWord(512 + 1, 0, 0x0000);                     // transparent
    memory.SetWord(512 + 2, 0, Word(20, 20, 20));           // opaque even when semi
    memory.SetWord(512 + 3, 0, 0x8000 | Word(20, 20, 20));  // blends
    memory.SetWord(512 + 4, 0, 0x8000);                     // black with bit 15: drawn, blended
    DrawTexturedSquare(memory, {128, 128, 128}, true, true, 1);
    EXPECT_EQ(memory.Word(1, 3), Word(10, 10, 10));
    EXPECT_EQ(memory.Word(2, 3), Word(20, 20, 20));
    EXPECT_EQ(memory.Word(3, 3), 0x8000 | Word(30, 30, 30));
    EXPECT_EQ(memory.Word(4, 3), 0x8000 | Word(10, 10, 10));
}

TEST(GpuRules, LowerAndRightEdgesAreLeftOutSoSharedEdgesDrawOnce) {
    FrameBuffer memory;
    GpuRasteriser chip(memory);
    GpuDrawMode mode;
    mode.semi = true;
    mode.abr = 1; // additive: a pixel drawn twice shows 2
    const GpuColour one{8, 0, 0};
    const GpuVertex quad[4] = {{10, 10, one}, {30, 12, one}, {9, 27, one}, {31, 33, one}};
    chip.Polygon(quad, mode);
    const GpuVertex square[4] = {{100, 10, one}, {110, 10, one}, {100, 20, one}, {110, 20, one}};
    chip.Polygon(square, mode);
    int twice = 0, squareCount = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) {
            twice += (memory.Word(x, y) & 31) > 1;
            squareCount += x >= 100 && (memory.Word(x, y) & 31) == 1;
        }
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(squareCount, 100);
    EXPECT_EQ(memory.Word(100, 10) & 31, 1) << "top-left corner drawn";
    EXPECT_EQ(memory.Word(109, 19) & 31, 1);
    EXPECT_EQ(memory.Word(110, 15) & 31, 0) << "right edge left out";
    EXPECT_EQ(memory.Word(105, 20) & 31, 0) << "lower edge left out";
}

TEST(GpuRules, GouraudTriangleShowsItsCornerColours) {
    FrameBuffer memory;
    GpuRasteriser chip(memory);
    GpuDrawMode mode;
    mode.gouraud = true;
    const GpuVertex corners[3] = {{0, 0, {255, 0, 0}}, {128, 0, {0, 255, 0}}, {0, 128, {0, 0, 255}}};
    chip.Polygon(corners, mode);
    EXPECT_EQ(Channels(memory.Word(0, 0)), std::tuple(31, 0, 0));
    // One pixel in from the other corners (their own pixels lie on excluded edges): 255 x 127 / 128.
    EXPECT_EQ(Channels(memory.Word(127, 0)), std::tuple(0, 31, 0));
    EXPECT_EQ(Channels(memory.Word(0, 127)), std::tuple(0, 0, 31));
    EXPECT_EQ(Channels(memory.Word(64, 0)), std::tuple(16, 16, 0)) << "half way, 127.5 of 255, rounds to 128";
}

TEST(GpuRules, OrderedDitherForShadedPixelsOnly) {
    // 104 = 13 x 8: negative offsets cut to 12, the others stay 13.
    const int expect[4][4] = {{12, 13, 12, 13}, {13, 12, 13, 12}, {12, 13, 12, 13}, {13, 12, 13, 12}};
    for (bool gouraud : {true, false}) {
        FrameBuffer memory;
        GpuRasteriser chip(memory);
        chip.SetDither(true);
        GpuDrawMode mode;
        mode.gouraud = gouraud;
        const GpuColour c{104, 104, 104};
        const GpuVertex quad[4] = {{0, 0, c}, {8, 0, c}, {0, 8, c}, {8, 8, c}};
        chip.Polygon(quad, mode);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(memory.Word(x, y) & 31, gouraud ? expect[y][x] : 13) << x << ',' << y;
    }
}

TEST(GpuRules, FillRoundsToSixteenWordsAndPolygonsOverTheSizeLimitAreSkipped) {
    FrameBuffer memory;
    GpuRasteriser chip(memory);
    chip.Fill(21, 3, 3, 1, {255, 255, 255});
    EXPECT_EQ(memory.Word(16, 3), 0x7FFF);
    EXPECT_EQ(memory.Word(31, 3), 0x7FFF);
    EXPECT_EQ(memory.Word(32, 3), 0);
    EXPECT_EQ(memory.Word(15, 3), 0);
    const GpuVertex wide[3] = {
        {0, 100, {255, 255, 255}}, {1024, 100, {255, 255, 255}}, {0, 110, {255, 255, 255}}};
    chip.Polygon(wide, GpuDrawMode{});
    EXPECT_EQ(memory.Word(1, 101), 0) << "1024 wide is refused";
    const GpuVertex fits[3] = {
        {0, 100, {255, 255, 255}}, {1023, 100, {255, 255, 255}}, {0, 110, {255, 255, 255}}};
    chip.Polygon(fits, GpuDrawMode{});
    EXPECT_EQ(memory.Word(1, 101), 0x7FFF);
}

} // namespace

namespace {

TEST(GpuRules, LinesDrawBothEndsOnePixelAStepAndBlendWhereSemi) {
    struct Case {
        const char* name;
        GpuVertex a, b;
        bool gouraud, semi;
        std::vector<std::tuple<int, int, std::uint16_t>> pixels; // x, y, word expected
        int drawn;                                               // pixels changed in all
    };
    const GpuColour red{248, 0, 0}, blue{0, 0, 248};
    const std::uint16_t back = Word(4, 4, 4);
    const Case cases[] = {
        {"flat across",
         {2, 3, red},
         {9, 3, blue},
         false,
         false,
         {{2, 3, Word(31, 0, 0)}, {9, 3, Word(31, 0, 0)}},
         8},
        {"steep, one pixel a row",
         {5, 1, red},
         {7, 9, red},
         false,
         false,
         {{5, 1, Word(31, 0, 0)}, {7, 9, Word(31, 0, 0)}},
         9},
        {"backwards",
         {9, 9, red},
         {1, 1, red},
         false,
         false,
         {{1, 1, Word(31, 0, 0)}, {5, 5, Word(31, 0, 0)}},
         9},
        {"gouraud ends",
         {0, 0, red},
         {8, 0, blue},
         true,
         false,
         {{0, 0, Word(31, 0, 0)}, {8, 0, Word(0, 0, 31)}, {4, 0, Word(15, 0, 15)}},
         9},
        {"semi averages", {0, 0, red}, {3, 0, red}, false, true, {{1, 0, Word(17, 2, 2)}}, 4},
        {"a point", {6, 6, red}, {6, 6, red}, false, false, {{6, 6, Word(31, 0, 0)}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameBuffer memory;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                memory.SetWord(x, y, back);
        GpuDrawMode mode;
        mode.gouraud = c.gouraud;
        mode.semi = c.semi;
        GpuRasteriser(memory).Line(c.a, c.b, mode);
        for (const auto& [x, y, word] : c.pixels)
            EXPECT_EQ(memory.Word(x, y), word) << x << "," << y;
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                drawn += memory.Word(x, y) != back;
        EXPECT_EQ(drawn, c.drawn);
    }
}

TEST(GpuRules, SpritesCopyTheirTexelsAndSkipTheTransparentOne) {
    FrameBuffer memory;
    // A 15-bit texture on page 8 (x 512): texel (u, v) = word (512 + u, v).
    memory.SetWord(512 + 3, 2, Word(1, 2, 3));
    memory.SetWord(512 + 4, 2, 0);
    memory.SetWord(512 + 3, 3, 0x8000 | Word(8, 8, 8));
    memory.SetWord(100, 200, Word(4, 4, 4));
    memory.SetWord(101, 200, Word(5, 5, 5));
    memory.SetWord(100, 201, Word(6, 6, 6));
    GpuDrawMode mode;
    mode.textured = true;
    mode.tpage = 8;
    mode.pmode = 2;
    mode.semi = true;
    mode.abr = 1;
    GpuRasteriser(memory).Sprite(100, 200, 2, 2, 3, 2, mode);
    EXPECT_EQ(memory.Word(100, 200), Word(1, 2, 3)) << "opaque texel without bit 15";
    EXPECT_EQ(memory.Word(101, 200), Word(5, 5, 5)) << "transparent texel";
    EXPECT_EQ(memory.Word(100, 201), 0x8000 | Word(14, 14, 14)) << "bit 15 blends";
    EXPECT_EQ(memory.Word(102, 200), 0) << "the rectangle ends at its width";
}

} // namespace

// A rectangle written to the memory keeps the part inside it and drops the rest, however far out it
// lies (a texture placed past the memory's edge).
TEST(GpuRules, WrittenRectanglesAreCutToTheMemory) {
    const struct {
        int x, y, width, height;
        int inside; // words of the rectangle that land in the memory
    } cases[] = {
        {1020, 10, 8, 2, 8}, {-3, 510, 5, 4, 4}, {1024, 0, 4, 4, 0}, {5000, 0, 300, 2, 0}, {-40, 0, 8, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        FrameBuffer memory;
        const std::vector<std::uint16_t> words(std::size_t(c.width) * std::size_t(c.height), 0x1234);
        memory.WriteRect(c.x, c.y, c.width, c.height, words);
        EXPECT_EQ(std::count(memory.Words().begin(), memory.Words().end(), 0x1234), c.inside);
    }
}

namespace {

// Texels fetched once into the cache's planes draw what fetching them pixel by pixel draws, in every
// span: 4- and 8-bit pages, flat and Gouraud, modulated, raw and neutral, semi-transparent, dithered.
TEST(GpuRules, TexelsFetchedOncePerPageDrawWhatTheMemoryGives) {
    std::mt19937 random(5);
    FrameBuffer memory;
    for (int y = 0; y < kFrameBufferHeight; ++y)
        for (int x = 0; x < kFrameBufferWidth; ++x)
            memory.SetWord(x, y, static_cast<std::uint16_t>(random() % 4 == 0 ? 0 : random()));
    constexpr int kW = 200, kH = 150;
    std::vector<std::uint16_t> expected(kW * kH, 0x1234), cached(expected);
    GpuRasteriser plain(expected, kW, kH, memory), through(cached, kW, kH, memory);
    TexelCache cache;
    through.SetTexelCache(&cache);
    for (const bool dither : {false, true}) {
        plain.SetDither(dither);
        through.SetDither(dither);
        for (int i = 0; i < 1500; ++i) {
            const auto bits = static_cast<std::uint32_t>(random());
            GpuDrawMode mode;
            mode.textured = true;
            mode.pmode = static_cast<std::uint8_t>(bits & 1);
            mode.tpage = mode.pmode ? 0x17 : 0x05;
            mode.clutX = mode.pmode ? 16 : 1000; // the 4-bit table wraps at the memory's right edge
            mode.clutY = mode.pmode ? 480 : 511;
            mode.gouraud = bits & 2;
            mode.raw = bits & 4;
            mode.semi = bits & 8;
            mode.abr = static_cast<std::uint8_t>(bits >> 4 & 3);
            GpuVertex v[3];
            for (GpuVertex& p : v) {
                const auto neutral = (bits & 64) != 0;
                p = {int(random() % (kW + 40)) - 20, int(random() % (kH + 40)) - 20,
                     neutral
                         ? GpuColour{128, 128, 128}
                         : GpuColour{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random())},
                     std::uint8_t(random()), std::uint8_t(random())};
            }
            plain.Triangle(v[0], v[1], v[2], mode);
            through.Triangle(v[0], v[1], v[2], mode);
        }
    }
    // Both pages were drawn often enough to be fetched, so the planes were what drew them.
    EXPECT_NE(cache.Plane(memory, 0x05, kPixelMode4Bit, 1000, 511), nullptr);
    EXPECT_NE(cache.Plane(memory, 0x17, kPixelMode8Bit, 16, 480), nullptr);
    EXPECT_EQ(cache.Plane(memory, 0x05, kPixelMode15Bit, 0, 0), nullptr);
    EXPECT_TRUE(cached == expected);
}

} // namespace
