// The frame-buffer workbench's arithmetic: raw dumps read and written, memory read as texels, and a
// primitive kept on its texels when its texture moves, checked through the chip's own lookup.
#include "gpu/FrameBufferDump.h"
#include "gpu/FrameBufferPicture.h"
#include "gpu/TexelRetarget.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace polyvane;

namespace {

TEST(FrameBufferDump, ReadsLittleEndianRowsAndWritesThemBackByteForByte) {
    std::vector<std::uint8_t> bytes(kFrameBufferDumpBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    auto memory = ReadFrameBufferDump(bytes);
    ASSERT_TRUE(memory);
    // Word (3, 2) is at byte offset (2 * 1024 + 3) * 2, low byte first.
    const std::size_t at = (2 * 1024 + 3) * 2;
    EXPECT_EQ(memory->Word(3, 2), bytes[at] | (bytes[at + 1] << 8));
    EXPECT_EQ(FrameBufferDumpBytes(*memory), bytes);

    for (std::size_t size : {std::size_t{0}, kFrameBufferDumpBytes - 1, kFrameBufferDumpBytes + 2}) {
        const auto wrong = ReadFrameBufferDump(std::vector<std::uint8_t>(size));
        ASSERT_FALSE(wrong) << size;
        EXPECT_EQ(wrong.error(), FrameBufferFileError::wrongDumpSize);
    }
}

TEST(FrameBufferDump, DecodesWordsAsTexelsThroughTheColourTableRow) {
    FrameBuffer memory;
    memory.SetWord(100, 7, 0x4321); // 4-bit: indices 1, 2, 3, 4; 8-bit: indices 0x21, 0x43
    for (int i = 0; i < 256; ++i)
        memory.SetWord(16 + i, 300, static_cast<std::uint16_t>(0x1000 + i));
    const struct {
        std::uint8_t pmode;
        std::vector<std::uint16_t> texels;
    } cases[] = {
        {kPixelMode4Bit, {0x1001, 0x1002, 0x1003, 0x1004}},
        {kPixelMode8Bit, {0x1021, 0x1043}},
        {kPixelMode15Bit, {0x4321}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeTexels(memory, 100, 7, 1, 1, c.pmode, 16, 300), c.texels) << int(c.pmode);
}

// A word pattern that tells every word of a texture apart.
std::uint16_t Pattern(int x, int y) {
    return static_cast<std::uint16_t>((x * 37 + y * 11) ^ (y << 9));
}

// Writes the pattern of `image` shifted by (dx, dy), and a colour table of distinct words at (clutX, clutY).
FrameBuffer Memory(const WordRect& image, int dx, int dy, int clutX, int clutY) {
    FrameBuffer memory;
    for (int y = image.y; y < image.y + image.height; ++y)
        for (int x = image.x; x < image.x + image.width; ++x)
            memory.SetWord(x + dx, y + dy, Pattern(x, y));
    for (int i = 0; i < 256; ++i)
        memory.SetWord(clutX + i, clutY, static_cast<std::uint16_t>(0x4000 + 3 * i));
    return memory;
}

struct RetargetCase {
    const char* name;
    TexelAddress address;
    TextureMove move;
    RetargetResult expected;
};

TEST(TexelRetarget, KeepsEveryTexelOfThePrimitiveOrRefusesLeavingItAsItWas) {
    const auto quad = [](std::uint8_t tpage, std::uint8_t pmode, int low, int high) {
        TexelAddress a;
        a.tpage = tpage;
        a.pmode = pmode;
        a.clutX = 0;
        a.clutY = 480;
        const auto l = static_cast<std::uint8_t>(low), h = static_cast<std::uint8_t>(high);
        a.u = {l, h, l, h};
        a.v = {l, l, h, h};
        a.corners = 4;
        return a;
    };
    const WordRect clut{0, 480, 256, 1};
    const RetargetCase cases[] = {
        {"4-bit into the next page",
         quad(5, kPixelMode4Bit, 0, 63),
         {{320, 0, 16, 64}, 70, 10, clut, 0, 0},
         RetargetResult::moved},
        {"8-bit to the upper pages",
         quad(18, kPixelMode8Bit, 0, 63),
         {{128, 256, 32, 64}, 172, -156, clut, 0, 0},
         RetargetResult::moved},
        {"15-bit within its page",
         quad(3, kPixelMode15Bit, 8, 40),
         {{192, 0, 64, 64}, 5, 3, clut, 0, 0},
         RetargetResult::moved},
        {"colour table alone",
         quad(5, kPixelMode4Bit, 0, 15),
         {{320, 0, 4, 16}, 0, 0, clut, 32, 10},
         RetargetResult::moved},
        {"4-bit texels past one page's reach",
         quad(0, kPixelMode4Bit, 0, 255),
         {{0, 0, 64, 256}, 1, 0, clut, 0, 0},
         RetargetResult::unreachable},
        {"rows across the page boundary",
         quad(0, kPixelMode15Bit, 0, 63),
         {{0, 0, 64, 64}, 0, 200, clut, 0, 0},
         RetargetResult::unreachable},
        {"another texture",
         quad(5, kPixelMode4Bit, 0, 15),
         {{600, 0, 4, 16}, 8, 8, {16, 500, 16, 1}, 16, 0},
         RetargetResult::untouched},
    };
    for (const RetargetCase& c : cases) {
        SCOPED_TRACE(c.name);
        TexelAddress after = c.address;
        ASSERT_EQ(RetargetTexels(after, c.move), c.expected);
        if (c.expected != RetargetResult::moved) {
            EXPECT_EQ(after.tpage, c.address.tpage);
            EXPECT_EQ(after.u, c.address.u);
            EXPECT_EQ(after.v, c.address.v);
            EXPECT_EQ(after.clutX, c.address.clutX);
            continue;
        }
        const FrameBuffer before = Memory(c.move.image, 0, 0, c.move.clut.x, c.move.clut.y);
        const FrameBuffer moved = Memory(c.move.image, c.move.dx, c.move.dy, c.move.clut.x + c.move.clutDx,
                                         c.move.clut.y + c.move.clutDy);
        const int du = after.u[0] - c.address.u[0], dv = after.v[0] - c.address.v[0];
        const int lowU = *std::min_element(c.address.u.begin(), c.address.u.end());
        const int highU = *std::max_element(c.address.u.begin(), c.address.u.end());
        const int lowV = *std::min_element(c.address.v.begin(), c.address.v.end());
        const int highV = *std::max_element(c.address.v.begin(), c.address.v.end());
        for (int v = lowV; v <= highV; ++v)
            for (int u = lowU; u <= highU; ++u)
                ASSERT_EQ(FetchTexel(moved, after.tpage, after.pmode, after.clutX, after.clutY,
                                     static_cast<std::uint8_t>(u + du), static_cast<std::uint8_t>(v + dv)),
                          FetchTexel(before, c.address.tpage, c.address.pmode, c.address.clutX,
                                     c.address.clutY, static_cast<std::uint8_t>(u),
                                     static_cast<std::uint8_t>(v)))
                    << u << ", " << v;
    }
}

} // namespace

TEST(FrameBufferPicture, WidensAllThreeChannelsAtOnceAsChannelByChannel) {
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        const auto w = static_cast<std::uint16_t>(word);
        const std::uint32_t expected = std::uint32_t{WidenChannel(w >> 10)} |
                                       std::uint32_t{WidenChannel(w >> 5)} << 8 |
                                       std::uint32_t{WidenChannel(w)} << 16;
        ASSERT_EQ(WidenedBgr0(w), expected) << word;
    }
}
