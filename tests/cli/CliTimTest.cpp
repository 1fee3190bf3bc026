// polyvane-cli tim: the record as JSON, the reader's messages, exit codes, and the PNG picture.
#include "CliRunner.h"
#include "TimBuilder.h"
#include "formats/TimPicture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <png.h>

#include <filesystem>
#include <fstream>

using namespace polyvane;
using namespace polyvane::test;
using nlohmann::json;

namespace {

std::string SampleTim() {
    return std::string(POLYVANE_SOURCE_DIR) + "/samples/cube.tim";
}

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("polyvane-cli-tim-" + std::to_string(::getpid()) + "-" + name);
}

std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = TempPath(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

struct Png {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

std::optional<Png> ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    Png png;
    png.width = image.width;
    png.height = image.height;
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr))
        return std::nullopt;
    return png;
}

// The PNG must hold exactly the picture the texture view draws from.
void ExpectPngShowsPicture(const std::string& pngPath, const std::string& timPath) {
    auto png = ReadPng(pngPath);
    ASSERT_TRUE(png);
    auto loaded = LoadTimFile(timPath);
    ASSERT_TRUE(loaded.ok);
    const TimPicture picture = MakeTimPicture(loaded.tim);
    ASSERT_EQ(png->width, picture.width);
    ASSERT_EQ(png->height, picture.height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const COLORREF c = picture.pixels[i];
        ASSERT_EQ(png->rgb[3 * i], GetRValue(c)) << i;
        ASSERT_EQ(png->rgb[3 * i + 1], GetGValue(c)) << i;
        ASSERT_EQ(png->rgb[3 * i + 2], GetBValue(c)) << i;
    }
}

} // namespace

TEST(CliTim, PrintsTheSampleTextureRecord) {
    auto r = RunCli({"tim", SampleTim()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    json t = json::parse(r.out);
    EXPECT_EQ(t["fileName"], SampleTim());
    EXPECT_EQ(t["pixelMode"], 0);
    EXPECT_EQ(t["hasClut"], 1);
    EXPECT_EQ(t["clutLength"], 44);
    EXPECT_EQ(t["clutX"], 0);
    EXPECT_EQ(t["clutY"], 480);
    EXPECT_EQ(t["clutWidth"], 16);
    EXPECT_EQ(t["clutHeight"], 1);
    ASSERT_EQ(t["clut"].size(), 256u);
    EXPECT_EQ(t["clut"][0], 31 << 10); // the ramp starts dark blue
    EXPECT_EQ(t["clut"][16], 0);
    EXPECT_EQ(t["imageLength"], 12 + 2048);
    EXPECT_EQ(t["imageX"], 640);
    EXPECT_EQ(t["imageY"], 0);
    EXPECT_EQ(t["imageWidth"], 16);
    EXPECT_EQ(t["imageHeight"], 64);
    EXPECT_EQ(t["pixels"].get<std::string>().size(), 2 * 2048u);
    const json& bitmap = t["bitmap"];
    EXPECT_EQ(bitmap["width"], 64);
    EXPECT_EQ(bitmap["height"], 64);
    EXPECT_EQ(bitmap["bitCount"], 4);
    EXPECT_EQ(bitmap["clrUsed"], 16);
    ASSERT_EQ(bitmap["palette"].size(), 16u);
    EXPECT_EQ(bitmap["palette"][0], json::array({0, 0, 248}));
}

TEST(CliTim, PrintsHeldPixelsInLowerCaseHexAfterTheNibbleExchange) {
    TimSpec s;
    s.flag = 0;
    s.imageWidth = 1;
    s.imageHeight = 1;
    s.pixels = {0x21, 0xAB};
    const auto path = WriteTemp("nibbles.tim", BuildTim(s).data());
    auto r = RunCli({"tim", path});
    std::filesystem::remove(path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json t = json::parse(r.out);
    EXPECT_EQ(t["pixels"], "12ba");
    EXPECT_EQ(t["hasClut"], 0);
    EXPECT_EQ(t["bitmap"]["palette"][15], json::array({255, 255, 255})); // grey ramp without a CLUT
}

TEST(CliTim, KeepsAShortImageLengthAsRead) {
    TimSpec s;
    s.flag = 1;
    s.clut = std::vector<std::uint16_t>(256, 0x7FFF);
    s.imageWidth = 64;
    s.imageHeight = 128;
    s.pixels = CountingBytes(16384);
    s.imageLength = 268;
    const auto path = WriteTemp("short.tim", BuildTim(s).data());
    auto r = RunCli({"tim", path});
    std::filesystem::remove(path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json t = json::parse(r.out);
    EXPECT_EQ(t["imageLength"], 268);
    EXPECT_EQ(t["pixels"].get<std::string>().size(), 2 * 16384u);
}

TEST(CliTim, WritesThePictureTheTextureViewShows) {
    const auto png = TempPath("cube.png").string();
    auto r = RunCli({"tim", SampleTim(), "--png", png});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectPngShowsPicture(png, SampleTim());
    std::filesystem::remove(png);
}

TEST(CliTim, WritesRealTexturesOfEveryKind) {
    const std::filesystem::path dir = std::filesystem::path(POLYVANE_REALDATA_DIR) / "tim";
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "no real data at " << dir;
    for (const char* name : {"psn00b_rgb24_bunpattern.tim", "psn00b_gte_texture.tim", "ps1tests_cube.tim"}) {
        SCOPED_TRACE(name);
        const auto png = TempPath(std::string(name) + ".png").string();
        auto r = RunCli({"tim", (dir / name).string(), "--png", png});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ExpectPngShowsPicture(png, (dir / name).string());
        std::filesystem::remove(png);
    }
}

TEST(CliTim, ReaderFailuresGoToStandardErrorWithExitOne) {
    struct {
        const char* name;
        std::optional<std::vector<std::uint8_t>> bytes; // none: the file does not exist
        const char* err;
    } const cases[] = {
        {"missing", std::nullopt, "Could not open file\n"},
        {"bad-id", std::vector<std::uint8_t>{0x11, 0, 0, 0, 0, 0, 0, 0}, "Bad TIM ID\n"},
        {"no-clut", std::vector<std::uint8_t>{0x10, 0, 0, 0, 0x08, 0, 0, 0}, "Could not read bnum of CLUT\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = c.bytes ? WriteTemp(c.name, *c.bytes) : TempPath("does-not-exist.tim").string();
        const auto png = TempPath(std::string(c.name) + ".png");
        auto r = RunCli({"tim", path, "--png", png.string()});
        if (c.bytes)
            std::filesystem::remove(path);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(png));
    }
}

TEST(CliTim, APngThatCannotBeWrittenFails) {
    auto r = RunCli({"tim", SampleTim(), "--png", TempPath("no-such-dir/out.png").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("could not write"), std::string::npos) << r.err;
}

TEST(CliTim, ATextureOfNoPixelsHasNoPicture) {
    TimSpec s;
    s.flag = 2;
    s.imageWidth = 0;
    s.imageHeight = 4;
    const auto path = WriteTemp("empty.tim", BuildTim(s).data());
    auto r = RunCli({"tim", path, "--png", TempPath("empty.png").string()});
    std::filesystem::remove(path);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(json::parse(r.out)["imageWidth"], 0);
    EXPECT_NE(r.err.find("no pixels"), std::string::npos) << r.err;
}

TEST(CliTim, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"tim"},
        {"tim", SampleTim(), SampleTim()},
        {"tim", SampleTim(), "--png"},
        {"tim", SampleTim(), "--png", "a.png", "--png", "b.png"},
        {"tim", SampleTim(), "--do", "next-prim"},
        {"tim", SampleTim(), "--scale", "3"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.size());
        auto r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: polyvane-cli tim FILE [--png OUT.png]"), std::string::npos) << r.err;
    }
}
