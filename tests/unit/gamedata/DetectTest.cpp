// Detection: an item is accepted only as the console's tools lay it out and as the codec reads it, its
// extent is exact, a cut-off one says so, and large inputs of random bytes, zeros and executables hold
// none.
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "gamedata/Scanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace polyvane::gamedata {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

TEST(Detection, ItemsAreAcceptedOnlyAsTheyAreLaidOut) {
    // Offsets in the small model: header 0, object entry 12, packets at 12 + 28 + 32 + 8 = 80.
    // Offsets in the small texture: CLUT block 8 (x at 12), image block 8 + 44 = 52.
    struct Case {
        const char* what;
        Bytes bytes;
        Detection toEnd;    // the bytes run to the end of their file
        Detection notToEnd; // more bytes follow
        bool complete;
    };
    const Bytes tmd = test::SmallTmd();
    const Bytes tim = test::SmallTim();
    test::TimSpec directSpec;
    directSpec.flag = 2;
    directSpec.imageWidth = 2;
    directSpec.imageHeight = 2;
    directSpec.pixels = test::CountingBytes(8);
    const Bytes direct = test::BuildTim(directSpec).data();
    auto with = [](Bytes b, auto change) {
        change(b);
        return b;
    };
    const Case cases[] = {
        {"model", tmd, Detection::found, Detection::found, true},
        {"texture", tim, Detection::found, Detection::found, true},
        {"model cut in its packets", Bytes(tmd.begin(), tmd.end() - 6), Detection::found, Detection::needMore,
         false},
        {"texture cut in its pixels", Bytes(tim.begin(), tim.end() - 1), Detection::found,
         Detection::needMore, false},
        {"model with absolute addresses", with(tmd, [](Bytes& b) { Put32(b, 4, 1); }), Detection::none,
         Detection::none, false},
        {"model without objects", with(tmd, [](Bytes& b) { Put32(b, 8, 0); }), Detection::none,
         Detection::none, false},
        {"vertex table inside the object table", with(tmd, [](Bytes& b) { Put32(b, 12, 0); }),
         Detection::none, Detection::none, false},
        {"vertex index past the table", with(tmd, [](Bytes& b) { Put16(b, 94, 9); }), Detection::none,
         Detection::none, false},
        {"packet that is no polygon", with(tmd, [](Bytes& b) { b[83] = 0x40; }), Detection::none,
         Detection::none, false},
        {"packet length that does not match its kind", with(tmd, [](Bytes& b) { b[81] = 7; }),
         Detection::none, Detection::none, false},
        {"texture of an unknown mode", with(tim, [](Bytes& b) { Put32(b, 4, 8 | 4); }), Detection::none,
         Detection::none, false},
        {"colour table off a 16-word boundary", with(tim, [](Bytes& b) { Put16(b, 12, 8); }), Detection::none,
         Detection::none, false},
        {"image past the frame buffer", with(tim, [](Bytes& b) { Put16(b, 56, 1022); }), Detection::none,
         Detection::none, false},
        {"image length word past the image's size", with(tim, [](Bytes& b) { Put32(b, 52, 200); }),
         Detection::none, Detection::none, false},
        {"short image length word, as some converters write", with(tim, [](Bytes& b) { Put32(b, 52, 28); }),
         Detection::found, Detection::found, true},
        {"colour-table length word that does not match", with(tim, [](Bytes& b) { Put32(b, 8, 40); }),
         Detection::none, Detection::none, false},
        {"junk above the flag bits behind a colour table", with(tim, [](Bytes& b) { Put32(b, 4, 0x28F608); }),
         Detection::found, Detection::found, true},
        {"junk above the flag bits without a colour table",
         with(direct, [](Bytes& b) { Put32(b, 4, 0x102); }), Detection::none, Detection::none, false},
        {"short image length word without a colour table", with(direct, [](Bytes& b) { Put32(b, 8, 16); }),
         Detection::none, Detection::none, false},
        {"a lone ID word", Bytes{0x10, 0, 0, 0}, Detection::none, Detection::needMore, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DetectedItem item;
        EXPECT_EQ(DetectItem(c.bytes, false, kAllFormats, item), c.notToEnd);
        ASSERT_EQ(DetectItem(c.bytes, true, kAllFormats, item), c.toEnd);
        if (c.toEnd != Detection::found)
            continue;
        EXPECT_EQ(item.complete, c.complete);
        EXPECT_EQ(item.size, c.bytes.size());
    }
}

TEST(Detection, HitsReportWhatTheItemHolds) {
    Bytes data = test::Filler(4096, 7);
    const Bytes tmd = test::SmallTmd();
    const Bytes tim = test::SmallTim();
    std::copy(tmd.begin(), tmd.end(), data.begin() + 101);
    std::copy(tim.begin(), tim.end(), data.begin() + 1000);
    const auto hits = ScanBytes(data, {});
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].offset, 101u);
    EXPECT_EQ(hits[0].item.objects, 1u);
    EXPECT_EQ(hits[0].item.primitives, 2u);
    EXPECT_EQ(hits[1].offset, 1000u);
    EXPECT_EQ(hits[1].item.bpp, 4u);
    EXPECT_EQ(hits[1].item.width, 16u);
    EXPECT_EQ(hits[1].item.height, 8u);
    EXPECT_EQ(hits[1].item.cluts, 1u);
    // Aligned scans look at multiples of 4 only; formats not asked for are not looked at.
    ScanOptions aligned;
    aligned.aligned = true;
    EXPECT_EQ(ScanBytes(data, aligned).size(), 1u);
    ScanOptions modelsOnly;
    modelsOnly.formats = MaskOf(ItemFormat::tmd);
    ASSERT_EQ(ScanBytes(data, modelsOnly).size(), 1u);
    EXPECT_EQ(ScanBytes(data, modelsOnly)[0].item.format, ItemFormat::tmd);
}

TEST(Detection, NothingIsFoundInRandomBytesZerosOrExecutables) {
    constexpr std::size_t kSize = std::size_t{64} << 20;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("polyvane-nohits-" + std::to_string(::getpid()));
    struct Case {
        const char* what;
        Bytes bytes;
    };
    Bytes executables;
    executables.reserve(kSize);
    for (const auto& entry : std::filesystem::directory_iterator("/usr/bin")) {
        if (executables.size() >= kSize)
            break;
        std::error_code ec;
        if (!entry.is_regular_file(ec) || entry.file_size(ec) < 4096)
            continue;
        const Bytes file = test::ReadAll(entry.path());
        if (file.size() >= 4 && file[0] == 0x7F && file[1] == 'E')
            executables.insert(executables.end(), file.begin(), file.end());
    }
    ASSERT_GE(executables.size(), kSize) << "not enough executables in /usr/bin";
    Case cases[] = {
        {"random bytes", test::Filler(kSize, 11)}, {"zeros", Bytes(kSize, 0)}, {"executables", {}}};
    cases[2].bytes = std::move(executables);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::WriteAll(path, c.bytes);
        auto image = DiscImage::Open(path.string());
        ASSERT_TRUE(image) << image.error();
        const ScanReport report = Scan(**image, {});
        EXPECT_EQ(report.bytesScanned, c.bytes.size());
        for (const ScanHit& hit : report.hits)
            ADD_FAILURE() << ItemFormatName(hit.item.format) << " at " << hit.offset;
    }
    std::filesystem::remove(path);
}

} // namespace
} // namespace polyvane::gamedata
