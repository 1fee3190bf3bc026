// Detection: an item is accepted only as the console's tools lay it out and as the codec reads it, its
// extent is exact, a cut-off one says so, and large inputs of random bytes, zeros and executables hold
// none.
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "formats/FormatRegistry.h"
#include "gamedata/Address.h"
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
        {"line packet of a polygon's length", with(tmd, [](Bytes& b) { b[83] = 0x40; }), Detection::none,
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
    modelsOnly.formats = MaskOf(*ScanFormats().Find("tmd"));
    ASSERT_EQ(ScanBytes(data, modelsOnly).size(), 1u);
    EXPECT_EQ(ScanFormats().Name(ScanBytes(data, modelsOnly)[0].item.format), "tmd");
}

// The scan finds what a table's scannable entries describe, by their first words alone: words of one
// byte and three zeros, wider words, more first bytes than the block search takes at once, and a
// format left out of the mask.
TEST(Detection, TheScanFindsTheFormatsItsTableNames) {
    // Items of these entries are their first word and twelve marker bytes; the entries know nothing else.
    static constexpr std::uint8_t kMarker[12] = {'s', 'c', 'a', 'n', 't', 'a', 'b', 'l', 'e', 'i', 't', 'm'};
    const auto entry = [](std::string name, std::uint32_t word, unsigned roles) {
        FileFormat f;
        f.name = std::move(name);
        f.roles = roles;
        f.firstWords = {word};
        f.detect = [](std::span<const std::uint8_t> b) {
            return b.size() >= 16 && std::equal(kMarker, kMarker + 12, b.begin() + 4) ? Certainty::sure
                                                                                      : Certainty::no;
        };
        f.extent = [](std::span<const std::uint8_t> b) -> std::optional<ItemExtent> {
            return ItemExtent{16, b.size() >= 16};
        };
        return f;
    };
    struct Case {
        const char* what;
        std::vector<std::uint32_t> words; // one entry each, named "F0", "F1", ...
        FormatMask formats;
    };
    const Case cases[] = {
        {"single bytes", {0x22, 0x7F}, kAllFormats},
        {"wide words", {0x582D5350, 0x33}, kAllFormats},
        {"five first bytes", {0x01, 0x02, 0x03, 0x04, 0x0105}, kAllFormats},
        {"one left out", {0x22, 0x7F}, 0x1},
    };
    const std::size_t offsets[] = {0, 17, 40, 1001, 4080};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormatRegistry registry;
        for (std::size_t f = 0; f < c.words.size(); ++f)
            registry.Add(entry("F" + std::to_string(f), c.words[f], kFindRole));
        registry.Add(entry("unfound", c.words[0], kOpenRole)); // not looked for inside other data
        const ScanTable table(registry);
        ASSERT_EQ(table.Size(), c.words.size());
        Bytes data = test::Filler(4096, 5);
        for (std::size_t k = 0; k < std::size(offsets); ++k) {
            Put32(data, offsets[k], c.words[k % c.words.size()]);
            std::copy(kMarker, kMarker + 12, data.begin() + static_cast<std::ptrdiff_t>(offsets[k] + 4));
        }
        for (const bool aligned : {false, true}) {
            ScanOptions options;
            options.formats = c.formats;
            options.aligned = aligned;
            std::vector<std::pair<std::size_t, std::string>> expected, found;
            for (std::size_t k = 0; k < std::size(offsets); ++k)
                if ((c.formats & MaskOf(static_cast<ItemFormat>(k % c.words.size()))) &&
                    (!aligned || offsets[k] % 4 == 0))
                    expected.emplace_back(offsets[k], "f" + std::to_string(k % c.words.size()));
            for (const ScanHit& hit : ScanBytes(data, options, table))
                found.emplace_back(hit.offset, table.Name(hit.item.format));
            EXPECT_EQ(found, expected) << (aligned ? "aligned" : "every offset");
        }
    }
}

// Models whose objects hold lines, sprites and packets of codes the editor does not know among their
// polygons are found in a data file at their offsets with their whole extent, and open from their
// addresses with those packets kept; packets of unknown codes outnumbering the drawn ones are not a
// model.
TEST(Detection, ModelsWithEveryKindOfPacketAreFoundWhole) {
    using test::Halves;
    using test::PacketHeader;
    const std::vector<std::uint32_t> triangle = {PacketHeader(4, 3, 0, 0x20), 0x00336699, Halves(0, 0),
                                                 Halves(1, 2)};
    const std::vector<std::uint32_t> line = {PacketHeader(3, 2, 1, 0x40), 0x0000FF00, Halves(0, 3)};
    const std::vector<std::uint32_t> gouraudLine = {PacketHeader(4, 3, 1, 0x50), 0x000000FF, 0x00FF0000,
                                                    Halves(3, 1)};
    const std::vector<std::uint32_t> sprite16 = {PacketHeader(3, 2, 1, 0x78), Halves(2, 0x0105), 0x7FC01020};
    const std::vector<std::uint32_t> freeSprite = {PacketHeader(4, 3, 1, 0x64), Halves(1, 0x0105), 0x7FC00000,
                                                   Halves(24, 12)};
    const std::vector<std::uint32_t> unknown = {PacketHeader(6, 5, 0, 0x80), 1, 2, 3, 4, 5};
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint32_t>> packets;
        bool found;
        std::size_t kept; // packets the read model keeps undecoded
    };
    const Case cases[] = {
        {"lines among polygons", {triangle, line, triangle, gouraudLine}, true, 2},
        {"sprites of a fixed and a free size", {sprite16, triangle, freeSprite}, true, 2},
        {"a packet of an unknown code last, past every table", {triangle, triangle, unknown}, true, 1},
        {"lines only", {line, gouraudLine}, true, 2},
        {"more unknown packets than drawn ones", {triangle, unknown, unknown}, false, 0},
    };
    test::TempFolder folder("polyvane-packets");
    Bytes data = test::Filler(std::size_t{64} << 10, 3);
    std::vector<std::pair<std::size_t, Bytes>> placed;
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        test::TmdObjectSpec o;
        o.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 0, 100, 100, 0};
        o.normals = {0, 0, -4096};
        for (const auto& packet : cases[k].packets)
            o.packets.insert(o.packets.end(), packet.begin(), packet.end());
        o.nPrimitive = static_cast<std::uint32_t>(cases[k].packets.size());
        placed.emplace_back(1001 + 9000 * k, test::BuildTmd({o}).data());
        test::Place(data, placed.back().first, placed.back().second);
    }
    const std::filesystem::path path = folder.path / "archive.bin";
    test::WriteAll(path, data);
    auto image = DiscImage::Open(path.string());
    ASSERT_TRUE(image) << image.error();
    const ScanReport report = Scan(**image, {});
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.what);
        const auto hit = std::find_if(report.hits.begin(), report.hits.end(),
                                      [&](const ScanHit& h) { return h.offset == placed[k].first; });
        ASSERT_EQ(hit != report.hits.end(), c.found);
        if (!c.found)
            continue;
        EXPECT_EQ(hit->item.size, placed[k].second.size());
        EXPECT_TRUE(hit->item.complete);
        EXPECT_EQ(hit->item.primitives, c.packets.size());
        auto loaded = LoadItem(HitAddress(**image, *hit));
        ASSERT_TRUE(loaded) << loaded.error();
        EXPECT_EQ(loaded->bytes, placed[k].second);
        auto read = Formats().ByName("TMD")->readModel(loaded->bytes, {});
        ASSERT_TRUE(read);
        EXPECT_EQ(read->model.objects[0].kept.size(), c.kept);
    }
    EXPECT_EQ(report.hits.size(),
              std::count_if(std::begin(cases), std::end(cases), [](const Case& c) { return c.found; }));
}

// A model larger than a chunk of the scan, and than the few MiB games usually keep in one piece, is
// reported whole by the share that finds its start and loads whole from its address.
TEST(Detection, AModelOfManyMebibytesIsFoundAndLoadedWhole) {
    constexpr unsigned kVertices = 4096;
    constexpr unsigned kTriangles = 300'000; // 16 bytes each: about 4.6 MiB of packets
    test::TmdObjectSpec o;
    for (unsigned i = 0; i < kVertices; ++i)
        o.vertices.insert(o.vertices.end(), {static_cast<std::int16_t>(i), 7, -7});
    o.normals = {0, 0, 4096};
    for (unsigned i = 0; i < kTriangles; ++i)
        o.packets.insert(o.packets.end(),
                         {test::PacketHeader(4, 3, 0, 0x20), 0x00102030, test::Halves(0, i % kVertices),
                          test::Halves((i + 1) % kVertices, (i + 2) % kVertices)});
    o.nPrimitive = kTriangles;
    const Bytes model = test::BuildTmd({o}).data();
    ASSERT_GT(model.size(), std::size_t{4} << 20);

    test::TempFolder folder("polyvane-large");
    Bytes data = test::Filler(model.size() + (std::size_t{3} << 20), 5);
    constexpr std::size_t kAt = (std::size_t{1} << 20) - 333; // starts in the first chunk, ends in the sixth
    test::Place(data, kAt, model);
    const std::filesystem::path path = folder.path / "big.bin";
    test::WriteAll(path, data);
    auto image = DiscImage::Open(path.string());
    ASSERT_TRUE(image) << image.error();
    const ScanReport report = Scan(**image, {});
    ASSERT_EQ(report.hits.size(), 1u);
    EXPECT_EQ(report.hits[0].offset, kAt);
    EXPECT_EQ(report.hits[0].item.size, model.size());
    EXPECT_TRUE(report.hits[0].item.complete);
    auto loaded = LoadItem(HitAddress(**image, report.hits[0]));
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_TRUE(loaded->bytes == model);
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
            ADD_FAILURE() << ScanFormats().Name(hit.item.format) << " at " << hit.offset;
    }
    std::filesystem::remove(path);
}

} // namespace
} // namespace polyvane::gamedata
