// Images built in the test run (an ISO by xorriso, raw Mode 1 and Mode 2 XA sectors written here, a cue
// sheet): every placed item found at its address with its size, its bytes read back identical, its
// sectors located, nothing found in the filler or in Form 2 sectors.
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
    ItemFormat format;
};

class GameDataImages : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::HaveXorriso())
            GTEST_SKIP() << "xorriso is not installed";
        m_dir = fs::temp_directory_path() / ("polyvane-gamedata-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        m_models = test::Filler(40000, 1);
        Place(m_models, 2000, test::SmallTmd());  // across a sector boundary
        Place(m_models, 20001, test::SmallTim()); // at an odd offset
        m_movie = test::Filler(4 * 2048, 2);
        Place(m_movie, 100, test::SmallTim());
        test::WriteAll(m_dir / "tree/DATA/MODELS.BIN", m_models);
        test::WriteAll(m_dir / "tree/TEX.TIM", test::SmallTim(768));
        test::WriteAll(m_dir / "tree/MOVIE.STR", m_movie);
        ASSERT_TRUE(test::MakeIso(m_dir / "tree", m_dir / "made.iso"));
        m_cooked = test::ReadAll(m_dir / "made.iso");
        // Two sectors after the file system's end hold a texture of no file.
        m_gapLsn = static_cast<std::uint32_t>(m_cooked.size() / 2048);
        std::vector<std::uint8_t> gap = test::Filler(2 * 2048, 3);
        Place(gap, 300, test::SmallTim(832));
        m_cooked.insert(m_cooked.end(), gap.begin(), gap.end());
    }
    void TearDown() override {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    static void Place(std::vector<std::uint8_t>& into, std::size_t at,
                      const std::vector<std::uint8_t>& item) {
        std::copy(item.begin(), item.end(), into.begin() + static_cast<std::ptrdiff_t>(at));
    }

    std::vector<Placed> Expected(bool movieIsForm2) const {
        std::vector<Placed> placed = {
            {"", std::uint64_t{m_gapLsn} * 2048 + 300, test::SmallTim(832), ItemFormat::tim},
            {"DATA/MODELS.BIN", 2000, test::SmallTmd(), ItemFormat::tmd},
            {"DATA/MODELS.BIN", 20001, test::SmallTim(), ItemFormat::tim},
        };
        if (!movieIsForm2)
            placed.push_back({"MOVIE.STR", 100, test::SmallTim(), ItemFormat::tim});
        placed.push_back({"TEX.TIM", 0, test::SmallTim(768), ItemFormat::tim});
        return placed;
    }

    fs::path m_dir;
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
        std::ofstream cue(m_dir / "xa.cue");
        cue << "FILE \"xa.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
    }

    struct Case {
        const char* name;
        ImageKind kind;
        SectorMode mode;
        bool movieIsForm2;
    };
    const Case cases[] = {
        {"cooked.iso", ImageKind::iso, SectorMode::cooked, false},
        {"mode1.bin", ImageKind::raw, SectorMode::mode1, false},
        {"xa.cue", ImageKind::raw, SectorMode::mode2Form1, true},
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

        const ImageFile* models = image.FindFile("DATA/MODELS.BIN");
        ASSERT_NE(models, nullptr);
        std::vector<std::uint8_t> read(m_models.size() + 100);
        read.resize(image.Read(models, 0, read));
        EXPECT_EQ(read, m_models);

        const ScanReport report = Scan(image, {});
        const std::vector<Placed> expected = Expected(c.movieIsForm2);
        ASSERT_EQ(report.hits.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const ScanHit& hit = report.hits[i];
            EXPECT_EQ(hit.file.value_or(""), expected[i].file);
            EXPECT_EQ(hit.offset, expected[i].offset);
            EXPECT_EQ(hit.item.format, expected[i].format);
            EXPECT_EQ(hit.item.size, expected[i].bytes.size());
            EXPECT_TRUE(hit.item.complete);
            auto loaded = LoadItem(*ParseAddress(FormatAddress(HitAddress(image, hit))));
            ASSERT_TRUE(loaded) << loaded.error();
            EXPECT_EQ(loaded->bytes, expected[i].bytes);
        }
        EXPECT_EQ(report.skippedSectors, c.movieIsForm2 ? 4u : 0u);

        // The model straddles two sectors: two pieces, each where the data file holds its bytes.
        const std::vector<std::uint8_t> model = test::SmallTmd();
        auto pieces = LocateAddress(image, Address{path, "DATA/MODELS.BIN", 2000}, model.size());
        ASSERT_TRUE(pieces) << pieces.error();
        ASSERT_EQ(pieces->size(), 2u);
        const std::vector<std::uint8_t> data = test::ReadAll(image.DataPath());
        std::vector<std::uint8_t> gathered;
        for (const SectorPiece& piece : *pieces) {
            EXPECT_EQ(piece.mode, c.mode);
            EXPECT_EQ(piece.sectorOffset, std::uint64_t{piece.lsn} * image.SectorSize());
            gathered.insert(gathered.end(), data.begin() + static_cast<std::ptrdiff_t>(piece.dataOffset),
                            data.begin() + static_cast<std::ptrdiff_t>(piece.dataOffset + piece.length));
        }
        EXPECT_EQ(gathered, model);
        EXPECT_EQ(static_cast<bool>(LocateAddress(image, Address{path, "MOVIE.STR", 100}, 16)),
                  !c.movieIsForm2);
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
        std::ofstream cue(m_dir / "missing.cue");
        cue << "FILE \"nothere.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
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
        const char* warning; // in one of the image's warnings
    };
    const Case cases[] = {
        {"short.bin", true, 1, false, 1, "runs past the end of the image"},
        {"garbage.bin", true, 1, true, 1, nullptr},
        {"missing.cue", false, 0, false, 0, nullptr},
        {"loop.iso", true, 0, false, 0, "loops back"},
        {"outside.iso", true, 0, false, 0, "starts past the end"},
        {"huge.iso", true, 0, false, 0, "is not where its record says"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = DiscImage::Open((m_dir / c.name).string());
        ASSERT_EQ(static_cast<bool>(image), c.opens);
        if (!c.opens) {
            EXPECT_FALSE(image.error().empty());
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
            return !hit.file && hit.item.format == ItemFormat::tmd;
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
