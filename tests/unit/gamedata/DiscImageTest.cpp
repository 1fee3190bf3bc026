// Images built in the test run (an ISO by xorriso, raw Mode 1 and Mode 2 XA sectors written here, a cue
// sheet): every placed item found at its address with its size, its bytes read back identical,
// nothing found in the filler or in Form 2 sectors.
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "gamedata/Address.h"
#include "gamedata/Scanner.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace polyvane::gamedata {
namespace {

namespace fs = std::filesystem;
using test::RawMode;

struct Placed {
    std::string file; // empty: outside every file
    std::uint64_t offset;
    std::vector<std::uint8_t> bytes;
    std::string_view format; // the scan's name for it
};

class GameDataImages : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::HaveXorriso())
            GTEST_SKIP() << "xorriso is not installed";
        m_models = test::Filler(40000, 1);
        test::Place(m_models, 2000, test::SmallTmd());  // across a sector boundary
        test::Place(m_models, 20001, test::SmallTim()); // at an odd offset
        m_movie = test::Filler(4 * 2048, 2);
        test::Place(m_movie, 100, test::SmallTim());
        test::WriteAll(m_dir / "tree/DATA/MODELS.BIN", m_models);
        test::WriteAll(m_dir / "tree/TEX.TIM", test::SmallTim(768));
        test::WriteAll(m_dir / "tree/MOVIE.STR", m_movie);
        ASSERT_TRUE(test::MakeIso(m_dir / "tree", m_dir / "made.iso"));
        m_cooked = test::ReadAll(m_dir / "made.iso");
        // Two sectors after the file system's end hold a texture of no file.
        m_gapLsn = static_cast<std::uint32_t>(m_cooked.size() / 2048);
        std::vector<std::uint8_t> gap = test::Filler(2 * 2048, 3);
        test::Place(gap, 300, test::SmallTim(832));
        m_cooked.insert(m_cooked.end(), gap.begin(), gap.end());
    }

    std::vector<Placed> Expected(bool movieIsForm2) const {
        std::vector<Placed> placed = {
            {"", std::uint64_t{m_gapLsn} * 2048 + 300, test::SmallTim(832), "tim"},
            {"DATA/MODELS.BIN", 2000, test::SmallTmd(), "tmd"},
            {"DATA/MODELS.BIN", 20001, test::SmallTim(), "tim"},
        };
        if (!movieIsForm2)
            placed.push_back({"MOVIE.STR", 100, test::SmallTim(), "tim"});
        placed.push_back({"TEX.TIM", 0, test::SmallTim(768), "tim"});
        return placed;
    }

    test::TempFolder m_folder{"polyvane-gamedata"};
    const fs::path& m_dir = m_folder.path;
    std::vector<std::uint8_t> m_models;
    std::vector<std::uint8_t> m_movie;
    std::vector<std::uint8_t> m_cooked;
    std::uint32_t m_gapLsn = 0;
};

TEST_F(GameDataImages, EveryPlacedItemIsFoundAtItsAddressInEveryKindOfImage) {
    // The movie's sectors, found in the cooked image, become Form 2 in the XA image.
    auto iso = DiscImage::Open((m_dir / "made.iso").string());
    ASSERT_TRUE(iso) << iso.error();
    const ImageFile* movie = (*iso)->FindFile("MOVIE.STR");
    ASSERT_NE(movie, nullptr);
    const std::uint32_t movieLsn = movie->firstLsn;
    test::WriteAll(m_dir / "cooked.iso", m_cooked);
    test::WriteAll(m_dir / "mode1.bin",
                   test::RawFromCooked(m_cooked, [](std::uint32_t) { return RawMode::mode1; }));
    test::WriteAll(m_dir / "xa.bin", test::RawFromCooked(m_cooked, [&](std::uint32_t lsn) {
                       return lsn >= movieLsn && lsn < movieLsn + 4 ? RawMode::form2 : RawMode::form1;
                   }));
    {
        // The sheet's name is not its BIN's, and an audio track in a BIN of its own follows.
        std::ofstream cue(m_dir / "game.cue");
        cue << "REM made by the test\nFILE \"xa.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"
               "FILE \"Track 02.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 "
               "00:02:00\n";
    }

    struct Case {
        const char* name;
        ImageKind kind;
        bool movieIsForm2;
    };
    const Case cases[] = {
        {"cooked.iso", ImageKind::iso, false},
        {"mode1.bin", ImageKind::raw, false},
        {"game.cue", ImageKind::raw, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (m_dir / c.name).string();
        auto opened = DiscImage::Open(path);
        ASSERT_TRUE(opened) << opened.error();
        const DiscImage& image = **opened;
        EXPECT_EQ(image.Kind(), c.kind);
        std::vector<std::string> paths;
        for (const ImageFile& f : image.Files())
            paths.push_back(f.path);
        EXPECT_EQ(paths, (std::vector<std::string>{"DATA/MODELS.BIN", "MOVIE.STR", "TEX.TIM"}));

        const ScanReport report = Scan(image, {});
        const std::vector<Placed> expected = Expected(c.movieIsForm2);
        ASSERT_EQ(report.hits.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const ScanHit& hit = report.hits[i];
            EXPECT_EQ(hit.file.value_or(""), expected[i].file);
            EXPECT_EQ(hit.offset, expected[i].offset);
            EXPECT_EQ(ScanFormats().Name(hit.item.format), expected[i].format);
            EXPECT_EQ(hit.item.size, expected[i].bytes.size());
            EXPECT_TRUE(hit.item.complete);
            auto loaded = LoadItem(*ParseAddress(FormatAddress(HitAddress(image, hit))));
            ASSERT_TRUE(loaded) << loaded.error();
            EXPECT_EQ(loaded->bytes, expected[i].bytes);
        }
        EXPECT_EQ(report.skippedSectors, c.movieIsForm2 ? 4u : 0u);
    }
}

// A cue sheet whose second data track lies in a BIN of its own: that track's files and the sectors no
// file holds are scanned too, under the track's name, and their addresses load the items.
TEST_F(GameDataImages, ADataTrackInASecondBinIsScannedAndAddressed) {
    std::vector<std::uint8_t> more = test::Filler(9000, 4);
    test::Place(more, 333, test::SmallTmd(5));
    test::WriteAll(m_dir / "tree2/MORE/MODEL.BIN", more);
    ASSERT_TRUE(test::MakeIso(m_dir / "tree2", m_dir / "second.iso"));
    std::vector<std::uint8_t> second = test::ReadAll(m_dir / "second.iso");
    const std::uint64_t gapAt = second.size() + 700;
    std::vector<std::uint8_t> gap = test::Filler(2048, 6);
    test::Place(gap, 700, test::SmallTim(896));
    second.insert(second.end(), gap.begin(), gap.end());
    const auto form1 = [](std::uint32_t) { return RawMode::form1; };
    test::WriteAll(m_dir / "first.bin", test::RawFromCooked(m_cooked, form1));
    test::WriteAll(m_dir / "second.bin",
                   test::RawFromCooked(second, [](std::uint32_t) { return RawMode::mode1; }));
    {
        std::ofstream cue(m_dir / "two.cue");
        cue << "FILE \"first.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"
               "FILE \"second.bin\" BINARY\n  TRACK 02 MODE1/2352\n    INDEX 01 00:00:00\n";
    }
    auto opened = DiscImage::Open((m_dir / "two.cue").string());
    ASSERT_TRUE(opened) << opened.error();
    const DiscImage& image = **opened;
    for (const std::string& warning : image.Warnings())
        EXPECT_EQ(warning.find("not scanned"), std::string::npos) << warning;

    std::vector<Placed> expected = Expected(false);
    expected.push_back({"TRACK02", gapAt, test::SmallTim(896), "tim"});
    expected.push_back({"TRACK02/MORE/MODEL.BIN", 333, test::SmallTmd(5), "tmd"});
    const ScanReport report = Scan(image, {});
    ASSERT_EQ(report.hits.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ScanHit& hit = report.hits[i];
        SCOPED_TRACE(expected[i].file);
        EXPECT_EQ(hit.file.value_or(""), expected[i].file);
        EXPECT_EQ(hit.offset, expected[i].offset);
        auto loaded = LoadItem(*ParseAddress(FormatAddress(HitAddress(image, hit))));
        ASSERT_TRUE(loaded) << loaded.error();
        EXPECT_EQ(loaded->bytes, expected[i].bytes);
    }
}

TEST_F(GameDataImages, BadImagesAreReportedAndTheRestIsScanned) {
    const std::vector<std::uint8_t> raw =
        test::RawFromCooked(m_cooked, [](std::uint32_t) { return RawMode::form1; });
    auto opened = DiscImage::Open((m_dir / "made.iso").string());
    ASSERT_TRUE(opened);
    const ImageFile* models = (*opened)->FindFile("DATA/MODELS.BIN");
    const std::uint64_t modelsAt = std::uint64_t{models->firstLsn} * 2352;

    // Cut inside the model (its second sector gone): the model is cut off, the file runs past the end.
    std::vector<std::uint8_t> truncated(raw.begin(),
                                        raw.begin() + static_cast<std::ptrdiff_t>(modelsAt + 2352 + 100));
    test::WriteAll(m_dir / "short.bin", truncated);
    // The model's first sector with a garbage header: it holds no user data, the rest is scanned.
    std::vector<std::uint8_t> garbage = raw;
    garbage[modelsAt + 3] = 0x12;
    test::WriteAll(m_dir / "garbage.bin", garbage);
    {
        std::ofstream missing(m_dir / "missing.cue");
        missing << "FILE \"nothere.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
        // The data track starts after an audio track that the BIN is too short to hold.
        std::ofstream shortBin(m_dir / "shortbin.cue");
        shortBin << "FILE short.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                    "  TRACK 02 MODE2/2352\n    INDEX 01 70:00:00\n";
    }
    // Directory records (ISO 9660: length byte, extent as 32-bit little- then big-endian at 2, name
    // length at 32, name at 33) pointed elsewhere: DATA back at the root, MODELS.BIN past the end.
    const auto record = [](const std::vector<std::uint8_t>& iso, std::uint32_t directoryLsn,
                           const std::string& name) {
        std::size_t at = directoryLsn * 2048u;
        while (iso[at] != 0 &&
               std::string(reinterpret_cast<const char*>(&iso[at + 33]), iso[at + 32]).rfind(name, 0) != 0)
            at += iso[at];
        return at;
    };
    // `field` 2 is the extent, 10 the data length, each both-endian.
    const auto repoint = [&](std::vector<std::uint8_t> iso, std::uint32_t directoryLsn,
                             const std::string& name, std::uint32_t value, std::size_t field = 2) {
        const std::size_t at = record(iso, directoryLsn, name) + field;
        for (std::size_t i = 0; i < 4; ++i) {
            iso[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
            iso[at + 7 - i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        return iso;
    };
    const std::uint32_t rootLsn = m_cooked[16 * 2048 + 158] | (m_cooked[16 * 2048 + 159] << 8);
    const std::size_t data = record(m_cooked, rootLsn, "DATA");
    const std::uint32_t dataLsn = m_cooked[data + 2] | (m_cooked[data + 3] << 8);
    test::WriteAll(m_dir / "loop.iso", repoint(m_cooked, rootLsn, "DATA", rootLsn));
    test::WriteAll(m_dir / "outside.iso", repoint(m_cooked, dataLsn, "MODELS.BIN", 0x7FFFFF));
    test::WriteAll(m_dir / "huge.iso", repoint(m_cooked, rootLsn, "DATA", 0xF0000000u, 10));

    struct Case {
        const char* name;
        bool opens;
        std::size_t modelHits; // hits in DATA/MODELS.BIN
        bool modelComplete;
        std::size_t skipped;
        const char* warning; // in one of the image's warnings, or in the error of one that fails
    };
    const Case cases[] = {
        {"short.bin", true, 1, false, 1, "runs past the end of the image"},
        {"garbage.bin", true, 1, true, 1, nullptr},
        {"missing.cue", false, 0, false, 0, "nothere.bin, which cannot be opened"},
        {"shortbin.cue", false, 0, false, 0, "is too short"},
        {"loop.iso", true, 0, false, 0, "loops back"},
        {"outside.iso", true, 0, false, 0, "starts past the end"},
        {"huge.iso", true, 0, false, 0, "is not where its record says"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = DiscImage::Open((m_dir / c.name).string());
        ASSERT_EQ(static_cast<bool>(image), c.opens);
        if (!c.opens) {
            EXPECT_NE(image.error().find(c.warning), std::string::npos) << image.error();
            continue;
        }
        if (c.warning) {
            const auto& warnings = (*image)->Warnings();
            EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(), [&](const std::string& w) {
                return w.find(c.warning) != std::string::npos;
            }));
        }
        const ScanReport report = Scan(**image, {});
        std::vector<const ScanHit*> inModels;
        for (const ScanHit& hit : report.hits)
            if (hit.file == "DATA/MODELS.BIN")
                inModels.push_back(&hit);
        ASSERT_EQ(inModels.size(), c.modelHits);
        if (c.modelHits) {
            EXPECT_EQ(inModels[0]->item.complete, c.modelComplete);
        }
        EXPECT_EQ(report.skippedSectors, c.skipped);
        // A file the tree no longer reaches is scanned as sectors outside every file.
        const auto loose = std::count_if(report.hits.begin(), report.hits.end(), [](const ScanHit& hit) {
            return !hit.file && ScanFormats().Name(hit.item.format) == "tmd";
        });
        EXPECT_EQ(loose, c.modelHits ? 0 : 1);
    }
}

TEST(Scan, ReportsProgressAndStopsWhenCancelled) {
    const fs::path path = fs::temp_directory_path() / ("polyvane-progress-" + std::to_string(getpid()));
    test::WriteAll(path, std::vector<std::uint8_t>(std::size_t{40} << 20, 0));
    auto image = DiscImage::Open(path.string());
    ASSERT_TRUE(image);
    struct Case {
        bool cancel;
        std::size_t calls;
    };
    for (const Case c : {Case{false, 40}, Case{true, 1}}) {
        std::atomic<bool> cancel{false};
        std::vector<std::uint64_t> done;
        ScanOptions options;
        options.threads = 1;
        options.cancel = &cancel;
        options.progress = [&](std::uint64_t bytes, std::uint64_t total) {
            EXPECT_EQ(total, std::uint64_t{40} << 20);
            done.push_back(bytes);
            cancel = c.cancel;
        };
        const ScanReport report = Scan(**image, options);
        EXPECT_EQ(done.size(), c.calls);
        EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
        EXPECT_EQ(report.cancelled, c.cancel);
        EXPECT_EQ(report.bytesScanned, done.back());
    }
    fs::remove(path);
}

TEST(Addresses, ParseAndFormat) {
    struct Case {
        const char* text;
        bool valid;
        const char* container;
        const char* path; // null: none
        std::uint64_t offset;
        const char* formatted;
    };
    const Case cases[] = {
        {"game.bin::DATA/MODELS.BIN@0x7EE", true, "game.bin", "DATA/MODELS.BIN", 0x7EE, nullptr},
        {"/x/game.cue::/TEX.TIM@0x0", true, "/x/game.cue", "TEX.TIM", 0, "/x/game.cue::TEX.TIM@0x0"},
        {"dump.bin@0xff", true, "dump.bin", nullptr, 0xFF, "dump.bin@0xFF"},
        {"a@b.bin@0x10", true, "a@b.bin", nullptr, 0x10, nullptr},
        {"dump.bin", false, "", nullptr, 0, nullptr},
        {"dump.bin@0x", false, "", nullptr, 0, nullptr},
        {"dump.bin@0x1g", false, "", nullptr, 0, nullptr},
        {"@0x10", false, "", nullptr, 0, nullptr},
        {"game.bin::@0x10", false, "", nullptr, 0, nullptr},
        {"dump.bin@0x10000000000000000", false, "", nullptr, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto address = ParseAddress(c.text);
        ASSERT_EQ(address.has_value(), c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(address->container, c.container);
        EXPECT_EQ(address->path, c.path ? std::optional<std::string>(c.path) : std::nullopt);
        EXPECT_EQ(address->offset, c.offset);
        EXPECT_EQ(FormatAddress(*address), c.formatted ? c.formatted : c.text);
    }
}

} // namespace
} // namespace polyvane::gamedata
