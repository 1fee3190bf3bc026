// The picture the texture view and the PNG export share: first row at the top, palette colours for
// indexed pixels, red as red for direct colour, rows of any width.
#include "formats/TimPicture.h"
#include "TimBuilder.h"

#include <gtest/gtest.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

TimPicture PictureOf(const TimSpec& spec) {
    auto r = LoadTimBytes(BuildTim(spec).data());
    EXPECT_TRUE(r.ok);
    return MakeTimPicture(r.tim);
}

TimSpec Image(unsigned mode, std::uint16_t width, std::uint16_t height, std::vector<std::uint8_t> pixels) {
    TimSpec s;
    s.flag = mode;
    s.imageWidth = width;
    s.imageHeight = height;
    s.pixels = std::move(pixels);
    return s;
}

constexpr COLORREF kRed = RGB(248, 0, 0), kGreen = RGB(0, 248, 0), kBlue = RGB(0, 0, 248);
constexpr COLORREF kWhite = RGB(248, 248, 248), kBlack = RGB(0, 0, 0);

} // namespace

TEST(TimPicture, FourBitPixelsShowTheLowHalfOfEachFileByteOnTheLeft) {
    // One unit wide (four pixels), two rows; palette 1 red, 2 green, 3 blue, 4 white.
    TimSpec s = Image(0, 1, 2, {0x21, 0x43, 0x00, 0x31});
    s.clut = std::vector<std::uint16_t>{0x0000, 0x001F, 0x03E0, 0x7C00, 0x7FFF};
    s.clut->resize(16, 0);
    TimPicture p = PictureOf(s);
    ASSERT_EQ(p.width, 4u);
    ASSERT_EQ(p.height, 2u);
    EXPECT_EQ(p.At(0, 0), kRed);
    EXPECT_EQ(p.At(1, 0), kGreen);
    EXPECT_EQ(p.At(2, 0), kBlue);
    EXPECT_EQ(p.At(3, 0), kWhite);
    EXPECT_EQ(p.At(0, 1), kBlack);
    EXPECT_EQ(p.At(2, 1), kRed);
    EXPECT_EQ(p.At(3, 1), kBlue);
}

TEST(TimPicture, EightBitPixelsIndexTheWholePalette) {
    std::vector<std::uint16_t> clut(256, 0);
    clut[200] = 0x001F;
    clut[7] = 0x7C00;
    TimSpec s = Image(1, 1, 2, {200, 7, 7, 200});
    s.clut = clut;
    TimPicture p = PictureOf(s);
    ASSERT_EQ(p.width, 2u);
    EXPECT_EQ(p.At(0, 0), kRed);
    EXPECT_EQ(p.At(1, 0), kBlue);
    EXPECT_EQ(p.At(0, 1), kBlue);
    EXPECT_EQ(p.At(1, 1), kRed);
}

TEST(TimPicture, DirectColourKeepsRedRed) {
    // Words 0x001F red, 0x03E0 green, 0x7C00 blue, 0x801F red with the semi-transparency bit.
    TimPicture p = PictureOf(Image(2, 4, 1, {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0x1F, 0x80}));
    ASSERT_EQ(p.width, 4u);
    EXPECT_EQ(p.pixels, (std::vector<COLORREF>{kRed, kGreen, kBlue, kRed}));
}

TEST(TimPicture, TwentyFourBitPixelsAreRedGreenBlueBytes) {
    // Three units (6 bytes, 2 pixels) a row, two rows.
    TimPicture p = PictureOf(Image(3, 3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}));
    ASSERT_EQ(p.width, 2u);
    ASSERT_EQ(p.height, 2u);
    EXPECT_EQ(p.pixels,
              (std::vector<COLORREF>{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(10, 20, 30)}));
}

TEST(TimPicture, OddWidthRowsStartWhereTheTimPutsThem) {
    struct {
        const char* name;
        unsigned mode;
        std::uint16_t width;
        std::uint32_t pixelsWide;
    } const cases[] = {
        {"15-bit, 3 units", 2, 3, 3},
        {"8-bit, 3 units", 1, 3, 6},
        {"4-bit, 1 unit", 0, 1, 4},
        {"24-bit, 1 unit: no whole pixel", 3, 1, 0},
        {"24-bit, 5 units: 3 pixels and a padding byte", 3, 5, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Three rows; each row's first byte is 0x1F (a red word, or index 31 / 15 and 1), the rest 0.
        const std::size_t stride = std::size_t{c.width} * 2;
        std::vector<std::uint8_t> pixels(stride * 3, 0);
        for (std::size_t y = 0; y < 3; ++y)
            pixels[y * stride] = 0x1F;
        TimSpec s = Image(c.mode, c.width, 3, pixels);
        std::vector<std::uint16_t> clut(256, 0);
        clut[31] = clut[15] = 0x001F;
        s.clut = clut;
        TimPicture p = PictureOf(s);
        EXPECT_EQ(p.width, c.pixelsWide);
        if (c.pixelsWide == 0) {
            EXPECT_TRUE(p.pixels.empty());
            continue;
        }
        ASSERT_EQ(p.height, 3u);
        const COLORREF first = c.mode == 3 ? RGB(0x1F, 0, 0) : kRed;
        for (std::uint32_t y = 0; y < 3; ++y) {
            EXPECT_EQ(p.At(0, y), first) << y;
            EXPECT_NE(p.At(c.pixelsWide - 1, y), first) << y;
        }
    }
}

TEST(TimPicture, ARecordWithoutItsPixelsGivesNoPicture) {
    TimImage empty;
    empty.imageWidth = 4;
    empty.imageHeight = 4;
    EXPECT_TRUE(MakeTimPicture(empty).pixels.empty());
    auto r = LoadTimBytes(BuildTim(Image(2, 4, 4, CountingBytes(32))).data());
    ASSERT_TRUE(r.ok);
    r.tim.imageHeight = 5; // no longer covered by the buffer
    EXPECT_TRUE(MakeTimPicture(r.tim).pixels.empty());
}
