// polyvane-cli vram, tim-edit and tim-cut: a texture cut out of a byte-built dump reads back with the
// texels the dump held; bad input gets a message, exit code 1 and no output file.
#include "CliRunner.h"
#include "TimBuilder.h"
#include "gpu/FrameBufferDump.h"
#include "texture/TimFrameBuffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace polyvane;
using namespace polyvane::test;

namespace {

std::string TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes = {}) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("polyvane-cli-vram-" + std::to_string(::getpid()) + "-" + name);
    if (!bytes.empty()) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    } else {
        std::filesystem::remove(path);
    }
    return path.string();
}

// 1024 x 512 little-endian words: word (x, y) = x * 3 + y * 5, and a colour table of 0x7000 + i on row 500.
std::vector<std::uint8_t> Dump() {
    std::vector<std::uint8_t> bytes(std::size_t{1024} * 512 * 2);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 1024; ++x) {
            const auto word = static_cast<std::uint16_t>(y == 500 ? 0x7000 + x : x * 3 + y * 5);
            bytes[std::size_t(y * 1024 + x) * 2] = static_cast<std::uint8_t>(word);
            bytes[std::size_t(y * 1024 + x) * 2 + 1] = static_cast<std::uint8_t>(word >> 8);
        }
    return bytes;
}

TEST(CliVram, CutTextureReadsBackWithTheDumpsTexels) {
    const std::string dumpPath = TempFile("dump.bin", Dump());
    const auto dump = ReadFrameBufferDump(Dump());
    ASSERT_TRUE(dump);
    const struct {
        const char* bpp;
        std::uint8_t pmode;
        std::vector<std::string> clut;
    } cases[] = {{"4", kPixelMode4Bit, {"--clut", "32,500"}},
                 {"8", kPixelMode8Bit, {"--clut", "0,500"}},
                 {"16", kPixelMode15Bit, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bpp);
        const std::string out = TempFile(std::string("cut") + c.bpp + ".tim");
        std::vector<std::string> args = {"tim-cut", dumpPath, out, "--rect", "130,260,5,7", "--bpp", c.bpp};
        args.insert(args.end(), c.clut.begin(), c.clut.end());
        const CliResult r = RunCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto load = LoadTimBytes([&] {
            const std::string text = ReadWholeFile(out);
            return std::vector<std::uint8_t>(text.begin(), text.end());
        }());
        ASSERT_TRUE(load.ok);
        TimList list;
        list.push_back(std::move(load.tim));
        const FrameBuffer memory = BuildFrameBuffer(list);
        const std::uint16_t clutX = c.clut.empty() ? 0 : (c.pmode == kPixelMode4Bit ? 32 : 0);
        // Page 0x12 starts at (128, 256): the cut's texels are u from 2 words in, v from 4 rows down.
        const int perWord = TexelsPerUnit(c.pmode);
        for (int v = 4; v < 11; ++v)
            for (int u = 2 * perWord; u < 7 * perWord; ++u)
                ASSERT_EQ(
                    FetchTexel(memory, 0x12, c.pmode, clutX, 500, std::uint8_t(u), std::uint8_t(v)),
                    FetchTexel(dump.value(), 0x12, c.pmode, clutX, 500, std::uint8_t(u), std::uint8_t(v)))
                    << u << ", " << v;
        std::filesystem::remove(out);
    }
    std::filesystem::remove(dumpPath);
}

TEST(CliVram, BadInputIsRefusedWithAMessageAndNoFile) {
    TimSpec spec;
    spec.flag = 2;
    spec.imageX = 1000;
    spec.imageWidth = 2;
    spec.imageHeight = 1;
    spec.pixels = {1, 0, 2, 0};
    const std::string tim = TempFile("in.tim", BuildTim(spec).data());
    const std::string shortDump = TempFile("short.bin", std::vector<std::uint8_t>(1000, 1));
    const std::string out = TempFile("out.bin");
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"vram", "--dump-in", shortDump, "--dump-out", out}, "must be exactly 1048576 bytes"},
        {{"tim-cut", shortDump, out, "--rect", "0,0,1,1", "--bpp", "16"}, "must be exactly 1048576 bytes"},
        {{"tim-edit", tim, out, "--move", "1023,0"}, "past the edge of the frame buffer"},
        {{"vram", "--tim", tim, "--png", out, "--page", "1", "--pmode", "0", "--clut", "1020,0"},
         "colour-table row lies past the edge"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    std::filesystem::remove(tim);
    std::filesystem::remove(shortDump);
}

} // namespace
