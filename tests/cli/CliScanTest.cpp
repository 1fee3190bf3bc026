// polyvane-cli scan end to end, on a raw Mode 2 image the test builds (an ISO by xorriso turned into raw
// sectors): the project's sample model, a texture built here and the real textures found beside the
// tests, each found at its address, extracted byte for byte and opened again by its address.
#include "CliRunner.h"
#include "DiscBuilder.h"
#include "GameDataItems.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>

using namespace polyvane::test;
namespace fs = std::filesystem;

namespace {

struct Placed {
    std::string file;
    std::uint64_t offset;
    std::vector<std::uint8_t> bytes;
    std::string format;
};

class CliScan : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveXorriso())
            GTEST_SKIP() << "xorriso is not installed";
        m_dir = fs::temp_directory_path() / ("polyvane-cli-scan-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
    }
    void TearDown() override {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

TEST_F(CliScan, FindsExtractsAndReopensEveryPlacedItem) {
    std::vector<Placed> placed;
    // An archive of the sample model and textures, each after some filler, as games pack them.
    std::vector<std::uint8_t> archive;
    const auto add = [&](const std::vector<std::uint8_t>& bytes, const std::string& format) {
        const std::vector<std::uint8_t> filler =
            Filler(333 + archive.size() % 7, static_cast<unsigned>(archive.size()));
        archive.insert(archive.end(), filler.begin(), filler.end());
        placed.push_back({"ARCHIVE.BIN", archive.size(), bytes, format});
        archive.insert(archive.end(), bytes.begin(), bytes.end());
    };
    add(ReadAll(fs::path(POLYVANE_SOURCE_DIR) / "samples/cube.tmd"), "tmd");
    add(SmallTim(), "tim");
    const fs::path real = fs::path(POLYVANE_REALDATA_DIR) / "tim";
    if (fs::exists(real))
        for (const auto& entry : fs::directory_iterator(real)) {
            // A texture is its header, its colour-table block and width x height 16-bit units of
            // pixels; some files carry padding after that, which is not the texture's.
            std::vector<std::uint8_t> tim = ReadAll(entry.path());
            const auto u16 = [&](std::size_t at) {
                return static_cast<std::size_t>(tim[at] | (tim[at + 1] << 8));
            };
            const std::size_t image = 8 + ((tim[4] & 8) ? u16(8) + (u16(10) << 16) : 0);
            tim.resize(image + 12 + u16(image + 8) * u16(image + 10) * 2);
            add(tim, "tim");
        }
    std::sort(placed.begin(), placed.end(),
              [](const Placed& a, const Placed& b) { return a.offset < b.offset; });
    WriteAll(m_dir / "tree/ARCHIVE.BIN", archive);
    ASSERT_TRUE(MakeIso(m_dir / "tree", m_dir / "cooked.iso"));
    WriteAll(m_dir / "game.bin",
             RawFromCooked(ReadAll(m_dir / "cooked.iso"), [](std::uint32_t) { return RawMode::form1; }));
    const std::string image = (m_dir / "game.bin").string();

    const CliResult r = RunCli({"scan", image, "--extract", (m_dir / "out").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("scan: "), std::string::npos);
    std::istringstream lines(r.out);
    std::string line;
    std::size_t i = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(i, placed.size()) << "an unexpected hit: " << line;
        const nlohmann::json hit = nlohmann::json::parse(line);
        const Placed& want = placed[i++];
        char offset[32];
        std::snprintf(offset, sizeof offset, "@0x%llX", static_cast<unsigned long long>(want.offset));
        const std::string address = image + "::" + want.file + offset;
        EXPECT_EQ(hit["address"], address);
        EXPECT_EQ(hit["format"], want.format);
        EXPECT_EQ(hit["file"], want.file);
        EXPECT_EQ(hit["offset"], want.offset);
        EXPECT_EQ(hit["size"], want.bytes.size());
        EXPECT_EQ(hit["complete"], true);
        EXPECT_EQ(ReadAll(m_dir / "out" / hit["extracted"].get<std::string>()), want.bytes);
        // The address opens where a file would.
        const CliResult opened = RunCli({want.format == "tmd" ? "info" : "tim", address});
        EXPECT_EQ(opened.exitCode, 0) << address << ": " << opened.err;
    }
    EXPECT_EQ(i, placed.size());
}

TEST_F(CliScan, ExitCodesSayWhatWentWrong) {
    WriteAll(m_dir / "plain.bin", Filler(1000, 4));
    {
        std::ofstream cue(m_dir / "missing.cue");
        cue << "FILE \"nothere.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
    }
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message; // on standard error
    };
    const std::string plain = (m_dir / "plain.bin").string();
    const Case cases[] = {
        {{"scan", plain}, 0, "scan: 1000 bytes"},
        {{"scan", plain, "--formats", "tmd,obj"}, 2, "unknown format"},
        {{"scan"}, 2, "usage"},
        {{"scan", (m_dir / "nothere.bin").string()}, 1, "Cannot open"},
        {{"scan", (m_dir / "missing.cue").string()}, 1, "Cannot read the cue sheet"},
        {{"info", plain + "@0x10"}, 1, "No TMD model or TIM texture starts at"},
        {{"info", plain + "::NOFILE.BIN@0x0"}, 1, "lists no file NOFILE.BIN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        if (c.exitCode != 0) {
            EXPECT_EQ(r.out, "");
        }
    }
}

} // namespace
