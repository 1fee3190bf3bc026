// Two scenes of an open suite of console GPU tests, drawn with the same commands the suite sends,
// compared word by word at 5 bits with the frame-buffer dump published with it.
#include "gpu/GpuRasteriser.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

using namespace polyvane;

namespace {

std::filesystem::path SceneDir(const char* scene) {
    return std::filesystem::path(POLYVANE_REALDATA_DIR) / "gpu" / scene;
}

// The dump as 5-bit channels packed like frame-buffer words.
std::optional<std::vector<std::uint16_t>> ReadDump(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.string().c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    if (image.width != kFrameBufferWidth || image.height != kFrameBufferHeight) {
        png_image_free(&image);
        return std::nullopt;
    }
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return std::nullopt;
    std::vector<std::uint16_t> words(std::size_t{kFrameBufferWidth} * kFrameBufferHeight);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>((rgb[i * 3] >> 3) | ((rgb[i * 3 + 1] >> 3) << 5) |
                                              ((rgb[i * 3 + 2] >> 3) << 10));
    return words;
}

// Share of words whose three 5-bit channels agree, printed for the record.
double MatchShare(const char* scene, const FrameBuffer& memory, const std::vector<std::uint16_t>& dump) {
    std::size_t same = 0;
    const auto words = memory.Words();
    for (std::size_t i = 0; i < dump.size(); ++i)
        same += (words[i] & 0x7FFF) == dump[i];
    const double share = double(same) / double(dump.size());
    std::cout << scene << ": " << same << " of " << dump.size() << " words identical (" << share * 100.0
              << "%)\n";
    return share;
}

void ClearScreenColour(GpuRasteriser& chip, GpuColour colour) {
    chip.Fill(0, 0, 512, 256, colour);
    chip.Fill(512, 0, 512, 256, colour);
    chip.Fill(0, 256, 512, 256, colour);
    chip.Fill(512, 256, 0x3f1, 256, colour);
}

void DrawShadedTriangle(GpuRasteriser& chip, int cx, int cy, int a) {
    // The suite computes the corners in single precision and truncates them.
    const float h = float(a) * 0.866025f;
    const GpuVertex corners[3] = {
        {cx - a / 2, int(float(cy) + h / 2), {255, 0, 0}},
        {cx + a / 2, int(float(cy) + h / 2), {0, 255, 0}},
        {cx, int(float(cy) - h / 2), {0, 0, 255}},
    };
    GpuDrawMode mode;
    mode.gouraud = true;
    chip.Polygon(corners, mode);
}

TEST(GpuReferenceScene, GouraudTriangleWithAndWithoutDitherMatchesTheDump) {
    const auto dump = ReadDump(SceneDir("triangle") / "vram.png");
    if (!dump)
        GTEST_SKIP() << "reference dump not present";
    FrameBuffer memory;
    GpuRasteriser chip(memory);
    ClearScreenColour(chip, {255, 255, 255});
    chip.SetDither(false);
    DrawShadedTriangle(chip, 160, 120, 240);
    DrawShadedTriangle(chip, 768, 256, 500);
    chip.SetDither(true);
    DrawShadedTriangle(chip, 160, 360, 240);
    EXPECT_GE(MatchShare("triangle", memory, *dump), 1.0);
}

TEST(GpuReferenceScene, SpansOfTexturedAndGouraudQuadsMatchTheDump) {
    const auto dump = ReadDump(SceneDir("uv-interpolation") / "vram.png");
    if (!dump)
        GTEST_SKIP() << "reference dump not present";
    FrameBuffer memory;
    GpuRasteriser chip(memory);
    ClearScreenColour(chip, {0, 0, 0});
    chip.Put(512, 0, 0x001f);
    chip.Put(513, 0, 0x03e0);

    // Each quad one row high and i pixels wide, u running from 0 to 1 across it.
    GpuDrawMode textured;
    textured.textured = true;
    textured.tpage = 8; // x 512, 15-bit
    textured.pmode = kPixelMode15Bit;
    for (int i = 0; i < 256; ++i) {
        const GpuColour neutral{0x80, 0x80, 0x80};
        const GpuVertex quad[4] = {{0, i, neutral, 0, 0},
                                   {i, i, neutral, 1, 0},
                                   {0, i + 1, neutral, 0, 0},
                                   {i, i + 1, neutral, 1, 0}};
        chip.Polygon(quad, textured);
    }
    GpuDrawMode shaded;
    shaded.gouraud = true;
    for (const auto& [x0, dither] : {std::pair{0, false}, std::pair{256, true}}) {
        chip.SetDither(dither);
        for (int i = 0; i < 256; ++i) {
            const int y = 256 + i;
            const GpuVertex quad[4] = {{x0, y, {255, 0, 0}},
                                       {x0 + i, y, {0, 255, 0}},
                                       {x0, y + 1, {255, 0, 0}},
                                       {x0 + i, y + 1, {0, 255, 0}}};
            chip.Polygon(quad, shaded);
        }
    }
    EXPECT_GE(MatchShare("uv-interpolation", memory, *dump), 1.0);
}

} // namespace
