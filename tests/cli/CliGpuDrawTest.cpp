// polyvane-cli gpu-draw: a JSON scene drawn into the frame-buffer memory and written whole, each word
// widened to 8 bits a channel.
#include "CliRunner.h"
#include "TimBuilder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>

using namespace polyvane::test;

namespace {

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("polyvane-cli-gpu-" + std::to_string(::getpid()) + "-" + name);
}

std::string WriteText(const std::string& name, const std::string& text) {
    const auto path = TempPath(name);
    std::ofstream(path) << text;
    return path.string();
}

std::vector<std::uint8_t> ReadRgb(const std::string& path, std::uint32_t& width, std::uint32_t& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    width = image.width;
    height = image.height;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    return rgb;
}

TEST(CliGpuDraw, DrawsTheSceneOverTheTexturesAndWritesTheWholeMemory) {
    // A 15-bit texture at (512, 0): texel 0 red 16, texel 1 transparent.
    TimSpec spec;
    spec.flag = 2;
    spec.imageX = 512;
    spec.imageY = 0;
    spec.imageWidth = 2;
    spec.imageHeight = 1;
    spec.pixels = {0x10, 0x00, 0x00, 0x00};
    TimFileDir dir;
    const auto tim = dir.Write("red.tim", spec);
    const auto scene = WriteText("scene.json", R"({"prims": [
        {"fill": [0, 100, 16, 4], "rgb": [255, 0, 0]},
        {"put": [3, 101], "word": 31744},
        {"tile": [4, 101, 2, 1], "rgb": [0, 255, 0], "semi": true, "abr": 1},
        {"poly": [[20, 100], [24, 100], [20, 104], [24, 104]], "rgb": [[128, 128, 128]],
         "uv": [[0, 0], [2, 0], [0, 0], [2, 0]], "tpage": 8, "pmode": 2, "raw": true}
    ]})");
    const auto out = TempPath("out.png").string();
    const auto r = RunCli({"gpu-draw", scene, out, "--tim", tim});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::uint32_t width = 0, height = 0;
    const auto rgb = ReadRgb(out, width, height);
    ASSERT_EQ(width, 1024u);
    ASSERT_EQ(height, 512u);
    auto at = [&](int x, int y) {
        const std::size_t i = (std::size_t(y) * width + std::size_t(x)) * 3;
        return std::vector<int>{rgb[i], rgb[i + 1], rgb[i + 2]};
    };
    EXPECT_EQ(at(0, 100), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(at(3, 101), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(at(4, 101), (std::vector<int>{255, 255, 0})) << "green added to red";
    EXPECT_EQ(at(20, 101), (std::vector<int>{132, 0, 0})) << "16 widens to 132";
    EXPECT_EQ(at(21, 101), (std::vector<int>{0, 0, 0})) << "transparent texel";
    EXPECT_EQ(at(512, 0), (std::vector<int>{132, 0, 0})) << "the texture itself";
    std::filesystem::remove(out);
    std::filesystem::remove(scene);
}

TEST(CliGpuDraw, ABadItemIsNamedAndFails) {
    const auto scene = WriteText("bad.json", R"({"prims": [{"dither": true}, {"poly": [[0, 0], [1, 1]]}]})");
    const auto r = RunCli({"gpu-draw", scene, TempPath("bad.png").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "scene item 1: poly needs 3 or 4 points\n");
    EXPECT_EQ(RunCli({"gpu-draw", scene}).exitCode, 2);
    std::filesystem::remove(scene);
}

} // namespace
