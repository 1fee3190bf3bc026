// The TIM reader: the record's fields by pixel mode, the display header and palette, the 4-bit
// nibble order, every failure message, and the unusual files real converters write.
#include "TimBuilder.h"
#include "formats/TimEdits.h"
#include "texture/TimFrameBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace polyvane;
using namespace polyvane::test;

namespace {

std::vector<std::uint16_t> Ramp(std::size_t n, std::uint16_t start = 0) {
    std::vector<std::uint16_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint16_t>(start + i * 0x21);
    return v;
}

TimSpec Spec(unsigned mode, bool withClut, std::uint16_t width, std::uint16_t height) {
    TimSpec s;
    s.flag = mode;
    if (withClut)
        s.clut = Ramp(mode == 1 ? 256 : 16);
    s.clutWidth = mode == 1 ? 256 : 16;
    s.imageWidth = width;
    s.imageHeight = height;
    s.pixels = CountingBytes(std::size_t{width} * height * 2);
    return s;
}

struct ModeCase {
    const char* name;
    unsigned mode;
    bool clut;
    std::uint16_t width, height;
    std::int32_t bitmapWidth;
    std::uint16_t bitCount;
    std::uint32_t clrUsed;
};

const ModeCase kModes[] = {
    {"4-bit with CLUT", 0, true, 16, 64, 64, 4, 16},
    {"4-bit without CLUT", 0, false, 16, 64, 64, 4, 16},
    {"8-bit with CLUT", 1, true, 8, 4, 16, 8, 256},
    {"8-bit without CLUT", 1, false, 8, 4, 16, 8, 256},
    {"15-bit without CLUT", 2, false, 5, 3, 5, 16, 0},
    {"15-bit with CLUT", 2, true, 5, 3, 5, 16, 0},
    {"24-bit", 3, false, 6, 2, 4, 24, 0},
    {"24-bit with CLUT", 3, true, 6, 2, 4, 24, 0},
    {"mixed mode 4 as 16-bit", 4, false, 3, 2, 3, 16, 0},
};

} // namespace

TEST(TimReader, ReadsEveryPixelModeWithAndWithoutClut) {
    for (const auto& c : kModes) {
        SCOPED_TRACE(c.name);
        TimSpec spec = Spec(c.mode, c.clut, c.width, c.height);
        spec.clutX = 32;
        spec.clutY = 481;
        spec.imageX = 320;
        spec.imageY = 256;
        auto r = LoadTimBytes(BuildTim(spec).data());
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.messages.empty());
        const TimImage& t = r.tim;
        EXPECT_EQ(t.pixelMode, c.mode);
        EXPECT_EQ(t.hasClut, c.clut ? 1 : 0);
        if (c.clut) {
            EXPECT_EQ(t.clutLength, 12 + 2 * spec.clut->size());
            EXPECT_EQ(t.clutX, 32);
            EXPECT_EQ(t.clutY, 481);
            EXPECT_EQ(t.clutWidth, spec.clutWidth);
            EXPECT_EQ(t.clutHeight, 1);
            EXPECT_EQ(t.clut[1], (*spec.clut)[1]);
            EXPECT_EQ(t.clut[spec.clut->size() - 1], spec.clut->back());
        }
        EXPECT_EQ(t.imageLength, 12 + spec.pixels.size());
        EXPECT_EQ(t.imageX, 320);
        EXPECT_EQ(t.imageY, 256);
        EXPECT_EQ(t.imageWidth, c.width);
        EXPECT_EQ(t.imageHeight, c.height);
        ASSERT_TRUE(t.pixels);
        EXPECT_EQ(t.pixels.size(), spec.pixels.size());

        const BITMAPINFOHEADER& h = t.bitmapInfo.bmiHeader;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biCompression, BI_RGB);
        EXPECT_EQ(h.biSizeImage, 0u);
        EXPECT_EQ(h.biXPelsPerMeter, 0);
        EXPECT_EQ(h.biYPelsPerMeter, 0);
        EXPECT_EQ(h.biClrImportant, 0u);
        EXPECT_EQ(h.biHeight, c.height);
        EXPECT_EQ(h.biWidth, c.bitmapWidth);
        EXPECT_EQ(h.biBitCount, c.bitCount);
        EXPECT_EQ(h.biClrUsed, c.clrUsed);
    }
}

TEST(TimReader, WithoutClutTheImageBlockStartsAtOffsetEight) {
    TimSpec spec = Spec(2, false, 2, 1);
    spec.pixels = {0x1F, 0x00, 0x00, 0x7C};
    Bytes b = BuildTim(spec);
    ASSERT_EQ(b.size(), 8u + 12u + 4u);
    auto r = LoadTimBytes(b.data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.tim.clutLength, 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(r.tim.pixels.bytes().begin(), r.tim.pixels.bytes().end()),
              spec.pixels);
}

TEST(TimReader, OnlyTheFirstIdByteAndTheLowFlagBitsCount) {
    TimSpec spec = Spec(1, true, 2, 2);
    spec.id = 0xFFFFFF10;
    spec.flag = 0xFFFFFFF0 | 1; // bit 3 set by the CLUT anyway; bits 4-31 ignored
    auto r = LoadTimBytes(BuildTim(spec).data());
    ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0]);
    EXPECT_EQ(r.tim.pixelMode, 1);
    EXPECT_EQ(r.tim.hasClut, 1);
}

TEST(TimReader, ConvertsClutWordsToPaletteEntries) {
    struct {
        std::uint16_t word;
        std::uint8_t r, g, b;
    } const cases[] = {
        {0x7FFF, 248, 248, 248}, {0x801F, 248, 0, 0}, {0x03E0, 0, 248, 0}, {0x7C00, 0, 0, 248},
        {0x0000, 0, 0, 0},       {0x8000, 0, 0, 0},   {0x0421, 8, 8, 8},   {0x1234, 160, 136, 32},
    };
    std::vector<std::uint16_t> words;
    for (const auto& c : cases)
        words.push_back(c.word);
    words.resize(16, 0);
    TimSpec spec = Spec(0, false, 1, 1);
    spec.clut = words;
    auto r = LoadTimBytes(BuildTim(spec).data());
    ASSERT_TRUE(r.ok);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const RGBQUAD& q = r.tim.bitmapInfo.bmiColors[i];
        EXPECT_EQ(q.rgbRed, cases[i].r);
        EXPECT_EQ(q.rgbGreen, cases[i].g);
        EXPECT_EQ(q.rgbBlue, cases[i].b);
        EXPECT_EQ(q.rgbReserved, 0);
        EXPECT_EQ(TimWordToColour(cases[i].word), RGB(cases[i].r, cases[i].g, cases[i].b));
    }
}

TEST(TimReader, ExchangesTheNibblesOfFourBitPixelsOnly) {
    struct {
        unsigned mode;
        std::uint8_t expected;
    } const cases[] = {{0, 0x12}, {1, 0x21}, {2, 0x21}, {3, 0x21}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        TimSpec spec = Spec(c.mode, false, 16, 64);
        spec.pixels.assign(spec.pixels.size(), 0x21);
        spec.pixels[5] = 0xA7;
        auto r = LoadTimBytes(BuildTim(spec).data());
        ASSERT_TRUE(r.ok);
        const std::uint8_t* p = r.tim.pixels.data();
        EXPECT_EQ(p[0], c.expected);
        EXPECT_EQ(p[spec.pixels.size() - 1], c.expected);
        EXPECT_EQ(p[5], c.mode == 0 ? 0x7A : 0xA7);
    }
}

TEST(TimReader, KeepsEveryRowOfALongClutAndReadsTheImageAfterIt) {
    // Two 256-entry palettes, as an 8-bit TIM with several palettes carries them.
    TimSpec spec = Spec(1, true, 2, 2);
    spec.clut = Ramp(512, 1);
    spec.clutHeight = 2;
    auto r = LoadTimBytes(BuildTim(spec).data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.tim.clutLength, 12u + 1024u);
    EXPECT_EQ(r.tim.clutHeight, 2);
    EXPECT_EQ(r.tim.ClutEntries(), 256u);
    EXPECT_EQ(r.tim.clut[255], (*spec.clut)[255]);
    EXPECT_EQ(r.tim.imageX, spec.imageX);
    EXPECT_EQ(r.tim.pixels.data()[7], 7);
    const COLORREF c255 = TimWordToColour((*spec.clut)[255]);
    EXPECT_EQ(r.tim.bitmapInfo.bmiColors[255].rgbRed, GetRValue(c255));
    EXPECT_EQ(r.tim.bitmapInfo.bmiColors[255].rgbBlue, GetBValue(c255));

    // Every row is kept: the memory holds both, and the picture can be shown through the second.
    EXPECT_EQ(r.tim.ClutRows(), 2u);
    TimList list{r.tim};
    EXPECT_EQ(BuildFrameBuffer(list).Word(spec.clutX + 3, spec.clutY + 1), (*spec.clut)[259]);
    ASSERT_EQ(ChooseTimPalette(r.tim, 1), TimEditError::none);
    const COLORREF c300 = TimWordToColour((*spec.clut)[300]);
    const RGBQUAD& shown = r.tim.bitmapInfo.bmiColors[44];
    EXPECT_EQ(RGB(shown.rgbRed, shown.rgbGreen, shown.rgbBlue), c300);
    EXPECT_EQ(ChooseTimPalette(r.tim, 2), TimEditError::rowOutOfRange);
}

TEST(TimReader, FourBitPaletteComesFromTheFirstSixteenOfSeveralPalettes) {
    TimSpec spec = Spec(0, true, 2, 2);
    spec.clut = Ramp(64, 3);
    spec.clutHeight = 4;
    auto r = LoadTimBytes(BuildTim(spec).data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.tim.clut[63], (*spec.clut)[63]);
    EXPECT_EQ(r.tim.clut[64], 0);
    const COLORREF c15 = TimWordToColour((*spec.clut)[15]);
    EXPECT_EQ(r.tim.bitmapInfo.bmiColors[15].rgbRed, GetRValue(c15));
    EXPECT_EQ(r.tim.bitmapInfo.bmiColors[15].rgbGreen, GetGValue(c15));
    // Entries past the colours used stay empty.
    EXPECT_EQ(r.tim.bitmapInfo.bmiColors[16].rgbGreen, 0);
}

TEST(TimReader, PaletteEntriesTheFileDoesNotSupplyAreAGreyRamp) {
    struct {
        const char* name;
        unsigned mode;
        std::optional<std::size_t> clutWords;
        std::size_t firstGrey;
        std::uint32_t colours;
    } const cases[] = {
        {"4-bit without CLUT", 0, std::nullopt, 0, 16}, {"8-bit without CLUT", 1, std::nullopt, 0, 256},
        {"8-bit with a 16-entry CLUT", 1, 16, 16, 256}, {"4-bit with a 5-entry CLUT", 0, 5, 5, 16},
        {"4-bit with an empty CLUT", 0, 0, 0, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimSpec spec = Spec(c.mode, false, 2, 2);
        if (c.clutWords)
            spec.clut = std::vector<std::uint16_t>(*c.clutWords, 0x001F); // red
        auto r = LoadTimBytes(BuildTim(spec).data());
        ASSERT_TRUE(r.ok);
        for (std::size_t i = 0; i < c.colours; ++i) {
            const RGBQUAD& q = r.tim.bitmapInfo.bmiColors[i];
            if (i < c.firstGrey) {
                EXPECT_EQ(q.rgbRed, 248);
                EXPECT_EQ(q.rgbBlue, 0);
            } else {
                const auto grey = static_cast<std::uint8_t>(i * 255 / (c.colours - 1));
                EXPECT_EQ(q.rgbRed, grey) << i;
                EXPECT_EQ(q.rgbGreen, grey) << i;
                EXPECT_EQ(q.rgbBlue, grey) << i;
            }
        }
        EXPECT_EQ(r.tim.bitmapInfo.bmiColors[c.colours - 1].rgbRed, c.firstGrey < c.colours ? 255 : 248);
    }
}

TEST(TimReader, AnOddLengthClutSkipsItsLastByte) {
    TimSpec spec = Spec(0, true, 2, 2);
    spec.clut = Ramp(16, 1);
    spec.clutLength = 12 + 32 + 1; // the extra byte belongs to the block
    Bytes b = BuildTim(spec);
    // Insert the odd byte at the end of the CLUT block.
    b.data().insert(b.data().begin() + 8 + 12 + 32, 0xEE);
    auto r = LoadTimBytes(b.data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.tim.ClutEntries(), 16u);
    EXPECT_EQ(r.tim.imageWidth, 2);
    EXPECT_EQ(r.tim.pixels.size(), 8u);
}

TEST(TimReader, ReadsAShortImageLengthWhenTheFileHoldsTheWholeImage) {
    struct {
        const char* name;
        unsigned mode;
        std::uint16_t width, height;
        std::uint32_t imageLength;
    } const cases[] = {
        {"8-bit 128x128 with length 268", 1, 64, 128, 268},
        {"4-bit 128x32 with length 28", 0, 32, 32, 28},
        {"15-bit with the bare minimum 12", 2, 4, 4, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimSpec spec = Spec(c.mode, true, c.width, c.height);
        spec.imageLength = c.imageLength;
        auto r = LoadTimBytes(BuildTim(spec).data());
        ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0]);
        EXPECT_EQ(r.tim.imageLength, c.imageLength);
        ASSERT_EQ(r.tim.pixels.size(), std::size_t{c.width} * c.height * 2);
        const std::size_t last = r.tim.pixels.size() - 1;
        const std::uint8_t expected = static_cast<std::uint8_t>(last);
        EXPECT_EQ(r.tim.pixels.data()[last],
                  c.mode == 0 ? static_cast<std::uint8_t>((expected << 4) | (expected >> 4)) : expected);
    }
}

TEST(TimReader, ALongerImageLengthReadsEveryDeclaredByteAndNothingAfter) {
    TimSpec spec = Spec(1, false, 2, 2);
    spec.pixels = CountingBytes(20); // 8 the image covers, 12 more the length declares
    Bytes b = BuildTim(spec);
    b.u32(0xDEADBEEF); // trailing bytes are never read
    auto r = LoadTimBytes(b.data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.tim.pixels.size(), 20u);
    EXPECT_EQ(r.tim.pixels.data()[19], 19);
}

TEST(TimReader, AnImageOfNoPixelsLoads) {
    TimSpec spec = Spec(2, false, 0, 5);
    auto r = LoadTimBytes(BuildTim(spec).data());
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.tim.pixels);
    EXPECT_EQ(r.tim.pixels.size(), 0u);
    EXPECT_EQ(r.tim.bitmapInfo.bmiHeader.biWidth, 0);
}

namespace {

struct FailureCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* message;
};

std::vector<std::uint8_t> Truncated(const TimSpec& spec, std::size_t drop) {
    auto bytes = BuildTim(spec).data();
    bytes.resize(bytes.size() - drop);
    return bytes;
}

std::vector<FailureCase> FailureCases() {
    std::vector<FailureCase> cases;
    const TimSpec good = Spec(0, true, 4, 4);
    cases.push_back({"empty file", {}, "Could not read ID"});
    cases.push_back({"three ID bytes", {0x10, 0, 0}, "Could not read ID"});
    cases.push_back({"first byte 0x11", {0x11, 0, 0, 0, 0, 0, 0, 0}, "Bad TIM ID"});
    cases.push_back({"first byte 0x00", {0x00, 0x10, 0, 0}, "Bad TIM ID"});
    cases.push_back({"half a flag", {0x10, 0, 0, 0, 0x08, 0}, "Could not read TIM flag"});
    cases.push_back({"CLUT flag then end", {0x10, 0, 0, 0, 0x08, 0, 0, 0}, "Could not read bnum of CLUT"});
    cases.push_back({"CLUT cut short", Truncated(good, 12 + 32 + 2), "Could not read CLUT"});
    {
        TimSpec s = good;
        s.clutLength = 11; // cannot even hold its own header
        cases.push_back({"CLUT length below its header", BuildTim(s).data(), "Could not read CLUT"});
        s.clutLength = 0;
        cases.push_back({"CLUT length 0", BuildTim(s).data(), "Could not read CLUT"});
        s.clutLength = 0xFFFFFFFF;
        cases.push_back({"CLUT length past the file", BuildTim(s).data(), "Could not read CLUT"});
    }
    cases.push_back({"end after the CLUT", Truncated(good, 12 + 32), "Could not read bnum of DATA"});
    cases.push_back({"image header cut", Truncated(good, 32 + 3), "Could not read DATA header"});
    {
        TimSpec s = good;
        s.imageLength = 11;
        cases.push_back({"image length 11", BuildTim(s).data(), "Could not allocate memory for TIM data"});
        s.imageLength = 0;
        cases.push_back({"image length 0", BuildTim(s).data(), "Could not allocate memory for TIM data"});
        s.imageLength = 0xFFFFFFFF;
        cases.push_back(
            {"image length of 4 GiB", BuildTim(s).data(), "Could not allocate memory for TIM data"});
    }
    {
        TimSpec s = Spec(2, false, 1, 1);
        s.imageWidth = s.imageHeight = 0xFFFF; // 8 GiB of pixels claimed by a tiny file
        cases.push_back(
            {"65535 x 65535 image", BuildTim(s).data(), "Could not allocate memory for TIM data"});
        s.imageWidth = 1024;
        s.imageHeight = 512; // the whole frame buffer: a sane size, but the file does not hold it
        cases.push_back(
            {"frame-buffer-sized image in a tiny file", BuildTim(s).data(), "Could not read TIM pixel data"});
    }
    cases.push_back({"one pixel byte missing", Truncated(good, 1), "Could not read TIM pixel data"});
    {
        TimSpec s = good;
        s.imageLength = 12 + 40; // declares more than the 32 bytes that follow
        cases.push_back({"length past the file", BuildTim(s).data(), "Could not read TIM pixel data"});
        s.imageLength = 12 + 8; // short length and short data: the image's size is not there
        s.pixels.resize(8);
        cases.push_back({"short length and short data", BuildTim(s).data(), "Could not read TIM pixel data"});
    }
    return cases;
}

} // namespace

TEST(TimReader, EachFailureShowsItsOneMessageAndKeepsNoPixels) {
    for (const auto& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        auto r = LoadTimBytes(c.bytes);
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0], c.message);
        EXPECT_FALSE(r.tim.pixels);
    }
}

TEST(TimReader, EveryPrefixOfAValidFileFailsWithTheMessageOfWhereItEnds) {
    TimSpec spec = Spec(1, true, 3, 2);
    spec.clut = Ramp(8);
    const auto whole = BuildTim(spec).data();
    const std::size_t clutEnd = 8 + 4 + 8 + 16;
    struct Range {
        std::size_t end;
        const char* message;
    } const ranges[] = {
        {4, "Could not read ID"},
        {8, "Could not read TIM flag"},
        {12, "Could not read bnum of CLUT"},
        {clutEnd, "Could not read CLUT"},
        {clutEnd + 4, "Could not read bnum of DATA"},
        {clutEnd + 12, "Could not read DATA header"},
        {whole.size(), "Could not read TIM pixel data"},
    };
    ASSERT_TRUE(LoadTimBytes(whole).ok);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE(n);
        auto r = LoadTimBytes({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)});
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(r.messages.size(), 1u);
        const Range* range = ranges;
        while (n >= range->end)
            ++range;
        EXPECT_EQ(r.messages[0], range->message);
    }
}

TEST(TimReader, LoadTimReadsTheNamedFile) {
    TimSpec spec = Spec(0, true, 4, 3);
    spec.pixels[0] = 0x21;
    const auto bytes = BuildTim(spec).data();
    const auto path =
        std::filesystem::temp_directory_path() / ("polyvane-tim-" + std::to_string(::getpid()) + ".tim");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    auto fromFile = LoadTimFile(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(fromFile.ok);
    EXPECT_EQ(fromFile.tim.fileName, path.string());
    auto fromBytes = LoadTimBytes(bytes);
    ASSERT_EQ(fromFile.tim.pixels.size(), fromBytes.tim.pixels.size());
    EXPECT_EQ(
        0, std::memcmp(fromFile.tim.pixels.data(), fromBytes.tim.pixels.data(), fromBytes.tim.pixels.size()));
    EXPECT_EQ(fromFile.tim.pixels.data()[0], 0x12);
    EXPECT_EQ(0, std::memcmp(&fromFile.tim.bitmapInfo, &fromBytes.tim.bitmapInfo, sizeof(BITMAPINFO)));
}

TEST(TimReader, AFileThatCannotBeOpenedSaysSo) {
    const std::string missing =
        (std::filesystem::temp_directory_path() / "polyvane-no-such-file.tim").string();
    const std::string directory = std::filesystem::temp_directory_path().string();
    for (const auto& path : {missing, directory}) {
        SCOPED_TRACE(path);
        auto r = LoadTimFile(path);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, std::vector<std::string>{"Could not open file"});
    }
}

TEST(TimRecord, ACopyHoldsItsOwnPixelBuffer) {
    auto r = LoadTimBytes(BuildTim(Spec(1, true, 4, 4)).data());
    ASSERT_TRUE(r.ok);
    TimImage copy(r.tim);
    EXPECT_EQ(copy.fileName, r.tim.fileName);
    EXPECT_EQ(copy.imageWidth, r.tim.imageWidth);
    EXPECT_EQ(copy.clut[3], r.tim.clut[3]);
    ASSERT_TRUE(copy.pixels);
    ASSERT_EQ(copy.pixels.size(), r.tim.pixels.size());
    EXPECT_NE(copy.pixels.data(), r.tim.pixels.data());
    EXPECT_EQ(0, std::memcmp(copy.pixels.data(), r.tim.pixels.data(), copy.pixels.size()));
    copy.pixels.data()[0] = 0xEE;
    EXPECT_EQ(r.tim.pixels.data()[0], 0);

    TimImage assigned;
    assigned = r.tim;
    EXPECT_NE(assigned.pixels.data(), r.tim.pixels.data());
    EXPECT_EQ(assigned.pixels.data()[1], 1);
    EXPECT_EQ(0, std::memcmp(&assigned.bitmapInfo, &r.tim.bitmapInfo, sizeof(BITMAPINFO)));

    TimImage moved(std::move(assigned));
    EXPECT_EQ(moved.pixels.size(), 32u);
    EXPECT_EQ(moved.pixels.data()[1], 1);
}

TEST(TimRecord, ANewRecordHasNoNameAndNoPixels) {
    TimImage t;
    EXPECT_TRUE(t.fileName.empty());
    EXPECT_FALSE(t.pixels);
    TimImage copy(t);
    EXPECT_FALSE(copy.pixels);
}
