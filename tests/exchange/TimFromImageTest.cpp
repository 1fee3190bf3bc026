// TIMs from images: a few colours kept exactly, transparency and black, sizes a page can hold, and the
// file read back by our reader and by ImageMagick with the same pixels.
#include "ExchangeSupport.h"

#include "exchange/PngCodec.h"
#include "exchange/TimFromImage.h"

#include <set>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// 16 x 8 pixels of 16 colours whose channels are multiples of 8 (exact in 5 bits), with the top-left
// pixel transparent and one black.
RgbaImage SixteenColours() {
    RgbaImage image{16, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const int colour = (x + y) % 14;
            image.rgba.insert(image.rgba.end(),
                              {std::uint8_t(colour * 16 + 8), std::uint8_t(248 - colour * 8),
                               std::uint8_t((colour % 3) * 64), 255});
        }
    std::fill_n(image.Pixel(0, 0), 4, 0); // transparent
    std::fill_n(image.Pixel(1, 0), 3, 0); // black, shown
    return image;
}

// The colour word our reader gives for pixel (x, y) of a loaded TIM.
std::uint16_t WordAt(const TimImage& tim, int x, int y) {
    const std::uint8_t* row = tim.pixels.data() + std::size_t(y) * tim.imageWidth * 2;
    switch (tim.pixelMode) {
    case kTimMode4Bit: { // the record keeps the two pixels of a byte exchanged
        const std::uint8_t byte = row[x / 2];
        return tim.clut[(x % 2) ? (byte & 15) : (byte >> 4)];
    }
    case kTimMode8Bit:
        return tim.clut[row[x]];
    default:
        return static_cast<std::uint16_t>(row[2 * x] | (row[2 * x + 1] << 8));
    }
}

// The TIM made at `bpp` with the default placement, and the same bytes through our reader.
std::pair<TimFromImageResult, TimLoad> MakeAndLoad(const RgbaImage& image, int bpp) {
    TimFromImageOptions options;
    options.bpp = bpp;
    TimFromImageResult made = MakeTimFromImage(image, options);
    EXPECT_FALSE(made.bytes.empty()) << made.error;
    TimLoad load = LoadTimBytes(made.bytes);
    EXPECT_TRUE(load.ok);
    return {std::move(made), std::move(load)};
}

TEST(TimFromImage, KeepsColoursTransparencyAndBlackAtEveryDepth) {
    const RgbaImage image = SixteenColours();
    for (int bpp : {4, 8, 15}) {
        SCOPED_TRACE(bpp);
        const auto [made, load] = MakeAndLoad(image, bpp);
        ASSERT_TRUE(load.ok);
        EXPECT_EQ(load.tim.imageX, 640);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const std::uint8_t* p = image.Pixel(x, y);
                const std::uint16_t expected =
                    p[3] == 0 ? 0x0000
                    : (p[0] | p[1] | p[2]) == 0
                        ? 0x8000
                        : static_cast<std::uint16_t>((p[0] >> 3) | ((p[1] >> 3) << 5) | ((p[2] >> 3) << 10));
                ASSERT_EQ(WordAt(load.tim, x, y), expected) << x << "," << y;
            }
    }
}

TEST(TimFromImage, RefusesWhatAPageCannotHold) {
    struct Case {
        int width, height, bpp;
        TimFromImageOptions placement;
        const char* error;
    } cases[] = {
        {257, 4, 4, {}, "The image is 257 x 4 pixels; a texture page holds at most 256 x 256 texels"},
        {8, 300, 8, {}, "The image is 8 x 300 pixels; a texture page holds at most 256 x 256 texels"},
        {257, 1, 15, {}, "The image is 257 x 1 pixels; a texture page holds at most 256 x 256 texels"},
        {8, 8, 12, {}, "Pixel depth must be 4, 8 or 15 bits"},
        {256, 8, 15, {.imageX = 800}, "The texture does not fit the frame buffer at (800,0)"},
        {8,
         8,
         8,
         {.clutX = 8},
         "The colour table does not fit the frame buffer at (8,480); its x must be a "
         "multiple of 16"},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.error);
        RgbaImage image{c.width, c.height,
                        std::vector<std::uint8_t>(std::size_t(c.width) * c.height * 4, 200)};
        c.placement.bpp = c.bpp;
        const TimFromImageResult result = MakeTimFromImage(image, c.placement);
        EXPECT_TRUE(result.bytes.empty());
        EXPECT_EQ(result.error, c.error);
    }
}

TEST(TimFromImage, ImageMagickReadsTheSamePixels) {
    const std::string convert = POLYVANE_CONVERT;
    if (convert.empty())
        GTEST_SKIP() << "ImageMagick is not installed";
    const auto folder = TestFolder();
    const RgbaImage image = SixteenColours();
    for (int bpp : {4, 8, 15}) {
        SCOPED_TRACE(bpp);
        const auto [tim, load] = MakeAndLoad(image, bpp);
        ASSERT_TRUE(load.ok);
        const auto timPath = folder / ("image" + std::to_string(bpp) + ".tim");
        const auto pngPath = folder / ("image" + std::to_string(bpp) + ".png");
        ASSERT_TRUE(WriteWholeFile(timPath.string(), tim.bytes));
        ASSERT_EQ(std::system((convert + " '" + timPath.string() + "' '" + pngPath.string() + "'").c_str()),
                  0);
        const auto back = ReadPngFile(pngPath.string());
        ASSERT_TRUE(back);
        ASSERT_EQ(back->width, image.width);
        ASSERT_EQ(back->height, image.height);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const std::uint16_t word = WordAt(load.tim, x, y);
                const std::uint8_t* seen = back->Pixel(x, y);
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(seen[c] >> 3, (word >> (5 * c)) & 31) << x << "," << y << " channel " << c;
            }
    }
}

} // namespace
