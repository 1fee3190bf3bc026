// A document's textures in the frame-buffer memory: each at its own rectangles in list order, 4-bit
// pixels in the file's nibble order, parts outside the memory cut off.
#include "texture/TimFrameBuffer.h"
#include "TimBuilder.h"
#include "texture/TimFolder.h"

#include <gtest/gtest.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

TimImage Load(const TimSpec& spec) {
    auto load = LoadTimBytes(BuildTim(spec).data());
    EXPECT_TRUE(load.ok);
    return std::move(load.tim);
}

TEST(TimFrameBuffer, TexturesLandAtTheirRectanglesLaterOnesOnTop) {
    TimSpec first;
    first.flag = 0; // 4-bit, file bytes 0x21 0x43: pixels 1, 2, 3, 4 left to right
    first.clut = std::vector<std::uint16_t>{0x1111, 0x2222, 0x3333};
    first.clutX = 16;
    first.clutY = 480;
    first.imageX = 640;
    first.imageY = 10;
    first.imageWidth = 2;
    first.imageHeight = 1;
    first.pixels = {0x21, 0x43, 0x65, 0x87};
    TimSpec second;
    second.flag = 2; // 15-bit, one word over the first texture's second word
    second.imageX = 641;
    second.imageY = 10;
    second.imageWidth = 1;
    second.imageHeight = 1;
    second.pixels = {0xCD, 0xAB};

    TimList list;
    list.push_back(Load(first));
    list.push_back(Load(second));
    const FrameBuffer memory = BuildFrameBuffer(list);
    EXPECT_EQ(memory.Word(640, 10), 0x4321);
    EXPECT_EQ(memory.Word(641, 10), 0xABCD);
    EXPECT_EQ(memory.Word(16, 480), 0x1111);
    EXPECT_EQ(memory.Word(18, 480), 0x3333);
    EXPECT_EQ(memory.Word(19, 480), 0);
    EXPECT_EQ(FetchTexel(memory, 10, kPixelMode4Bit, 16, 480, 1, 10), 0x3333) << "pixel 1 is index 2";

    list.reverse();
    EXPECT_EQ(BuildFrameBuffer(list).Word(641, 10), 0x8765) << "now the first texture is on top";
}

TEST(TimFrameBuffer, PartsOutsideTheMemoryAreCutOff) {
    TimSpec spec;
    spec.flag = 2;
    spec.imageX = 1022;
    spec.imageY = 510;
    spec.imageWidth = 4;
    spec.imageHeight = 4;
    spec.pixels.assign(32, 0x11);
    TimList list;
    list.push_back(Load(spec));
    const FrameBuffer memory = BuildFrameBuffer(list);
    EXPECT_EQ(memory.Word(1023, 511), 0x1111);
    EXPECT_EQ(memory.Word(0, 511), 0) << "no wrap across";
    EXPECT_EQ(memory.Word(1022, 0), 0) << "no wrap down";
}

} // namespace

namespace {

TEST(TimFolder, AddsEveryTimOfAFolderInNameOrderReportingEachFailureOnce) {
    TimSpec good;
    good.flag = 2;
    good.imageWidth = 1;
    good.imageHeight = 1;
    good.pixels = {1, 0};
    TimSpec bad = good;
    bad.id = 0x11;
    TimFileDir dir;
    const auto b = dir.Write("b.TIM", good);
    const auto a = dir.Write("a.tim", good);
    dir.Write("c.tim", bad);
    dir.Write("d.txt", good);
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    TimList list;
    EXPECT_EQ(AddTimFolder(list, dir.Path().string()), 2u);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.front().fileName, a);
    EXPECT_EQ(list.back().fileName, b);
    EXPECT_EQ(box.Texts().size(), 1u) << "one message for the one bad file";
}

} // namespace
