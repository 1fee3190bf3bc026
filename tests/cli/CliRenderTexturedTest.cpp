// polyvane-cli render in the textured and VRAM modes: textures added before the paint, the
// background and light options, and the memory shown one word a pixel.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

using namespace polyvane::test;

namespace {

std::string Sample(const char* name) {
    return std::string(POLYVANE_SOURCE_DIR) + "/samples/" + name;
}

std::string OutPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("polyvane-cli-textured-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

struct Rgb {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
    [[nodiscard]] std::vector<int> At(std::uint32_t x, std::uint32_t y) const {
        const std::size_t i = (std::size_t(y) * width + x) * 3;
        return {bytes[i], bytes[i + 1], bytes[i + 2]};
    }
};

Rgb Read(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Rgb rgb;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.width = image.width;
    rgb.height = image.height;
    rgb.bytes.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.bytes.data(), 0, nullptr))
        rgb.bytes.clear();
    return rgb;
}

TEST(CliRenderTextured, VramModeShowsEachWordAsAPixel) {
    const auto out = OutPath("vram.png");
    const auto r = RunCli({"render", Sample("cube.tmd"), out, "--mode", "vram", "--size", "1024x512", "--tim",
                           Sample("cube.tim")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Rgb png = Read(out);
    ASSERT_EQ(png.width, 1024u);
    // The sample's colour table at (0, 480): its first word 31744 is blue 31, shown 255.
    EXPECT_EQ(png.At(0, 480), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(png.At(500, 300), (std::vector<int>{0, 0, 0})) << "memory nothing was written to";
    std::filesystem::remove(out);
}

TEST(CliRenderTextured, TexturedModeClearsToTheBackgroundAndDrawsTheObject) {
    const auto out = OutPath("textured.png");
    const auto r = RunCli({"render", Sample("cube.tmd"), out, "--mode", "textured", "--size", "200x200",
                           "--tim", Sample("cube.tim"), "--background", "0x102030", "--ambient", "1",
                           "--no-lights", "--angles", "0.5,0.6,0", "--distance", "2000"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Rgb png = Read(out);
    ASSERT_EQ(png.width, 200u);
    // 0x10, 0x20, 0x30 cut to 5 bits (2, 4, 6) and widened.
    EXPECT_EQ(png.At(1, 1), (std::vector<int>{16, 33, 49}));
    EXPECT_NE(png.At(100, 100), png.At(1, 1)) << "the object covers the centre";
    std::filesystem::remove(out);
}

TEST(CliRenderTextured, BadTexturedOptionsAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--background", "102030"}, {"--light", "1,2,3"}, {"--ambient", "x"}, {"--mode", "lit"}}) {
        std::vector<std::string> full = {"render", Sample("cube.tmd"), OutPath("bad.png")};
        full.insert(full.end(), args.begin(), args.end());
        EXPECT_EQ(RunCli(full).exitCode, 2) << args[0];
    }
    EXPECT_EQ(RunCli({"render", Sample("cube.tmd"), OutPath("missing.png"), "--mode", "textured", "--tim",
                      "/nonexistent/x.tim"})
                  .exitCode,
              1);
    std::filesystem::remove(OutPath("missing.png"));
}

} // namespace
