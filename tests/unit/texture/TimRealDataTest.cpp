// Real textures from other projects: every one loads, and its picture agrees with an independent
// TIM decoder when one is installed (colours may differ only in how 5-bit values widen to 8 bits).
#include "TimBuilder.h"
#include "formats/TimPicture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace polyvane;
using namespace polyvane::test;

namespace {

struct RealTim {
    const char* file;
    std::uint8_t mode;
    std::uint32_t width, height; // of the picture
};

const RealTim kRealTims[] = {
    {"ps1tests_cube.tim", 2, 128, 128},
    {"psn00b_ball16c.tim", 0, 16, 16},
    {"psn00b_bungirl.tim", 1, 128, 128},
    {"psn00b_clktower.tim", 0, 48, 32},
    {"psn00b_dbugfont.tim", 0, 128, 32},     // image length word 28
    {"psn00b_gte_texture.tim", 1, 128, 128}, // image length word 268
    {"psn00b_n00blogo-pixel.tim", 0, 128, 52},
    {"psn00b_rgb24_bunpattern.tim", 3, 640, 480},
    {"psn00b_tiles_256.tim", 1, 256, 256}, // high flag bits set
    {"psxsdkrs_ferris.tim", 0, 128, 85},
    {"psxsdkrs_font.tim", 0, 128, 48},
    {"psxtoy_dirt.tim", 0, 64, 64}, // trailing bytes after the image
};

std::filesystem::path RealTimDir() {
    return std::filesystem::path(POLYVANE_REALDATA_DIR) / "tim";
}

// An installed ImageMagick, found on PATH; empty when there is none.
std::string FindImageMagick() {
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    for (const char* name : {"magick", "convert-im6.q16", "convert"}) {
        std::stringstream dirs(path);
        std::string dir;
        while (std::getline(dirs, dir, ':')) {
            const auto candidate = std::filesystem::path(dir) / name;
            std::error_code ec;
            if (!dir.empty() && std::filesystem::is_regular_file(candidate, ec))
                return candidate.string();
        }
    }
    return {};
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Decodes `tim` with ImageMagick into raw 8-bit RGB; empty on any failure.
std::vector<std::uint8_t> DecodeWithImageMagick(const std::string& tool, const std::filesystem::path& tim) {
    const auto out = std::filesystem::temp_directory_path() /
                     ("polyvane-im-" + std::to_string(::getpid()) + "-" + tim.stem().string() + ".rgb");
    const std::string command = Quote(tool) + " " + Quote("tim:" + tim.string()) + " -alpha off -depth 8 " +
                                Quote("rgb:" + out.string()) + " 2>/dev/null";
    std::vector<std::uint8_t> bytes;
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(out, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(out);
    return bytes;
}

} // namespace

TEST(TimRealData, EveryRealTextureLoads) {
    if (!std::filesystem::is_directory(RealTimDir()))
        GTEST_SKIP() << "no real data at " << RealTimDir();
    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RealTimDir()))
        if (entry.path().extension() == ".tim" || entry.path().extension() == ".TIM") {
            SCOPED_TRACE(entry.path().string());
            ++seen;
            auto r = LoadTimFile(entry.path().string());
            EXPECT_TRUE(r.ok);
            EXPECT_TRUE(r.messages.empty());
            EXPECT_GE(r.tim.pixels.size(), r.tim.ImageBytes());
            EXPECT_FALSE(MakeTimPicture(r.tim).pixels.empty());
        }
    EXPECT_GE(seen, std::size(kRealTims));
}

TEST(TimRealData, KnownTexturesHaveTheirModeAndSize) {
    if (!std::filesystem::is_directory(RealTimDir()))
        GTEST_SKIP() << "no real data at " << RealTimDir();
    for (const auto& t : kRealTims) {
        SCOPED_TRACE(t.file);
        auto r = LoadTimFile((RealTimDir() / t.file).string());
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.tim.pixelMode, t.mode);
        const TimPicture p = MakeTimPicture(r.tim);
        EXPECT_EQ(p.width, t.width);
        EXPECT_EQ(p.height, t.height);
    }
}

TEST(TimRealData, PicturesAgreeWithImageMagick) {
    if (!std::filesystem::is_directory(RealTimDir()))
        GTEST_SKIP() << "no real data at " << RealTimDir();
    const std::string tool = FindImageMagick();
    if (tool.empty())
        GTEST_SKIP() << "ImageMagick is not installed";
    for (const auto& t : kRealTims) {
        SCOPED_TRACE(t.file);
        auto r = LoadTimFile((RealTimDir() / t.file).string());
        ASSERT_TRUE(r.ok);
        const TimPicture p = MakeTimPicture(r.tim);
        const auto theirs = DecodeWithImageMagick(tool, RealTimDir() / t.file);
        ASSERT_EQ(theirs.size(), p.pixels.size() * 3);
        // 5-bit values widen to v x 8 here and to (v << 3) | (v >> 2) there; 24-bit bytes agree exactly.
        const int tolerance = t.mode == 3 ? 0 : 7;
        int worst = 0;
        for (std::size_t i = 0; i < p.pixels.size(); ++i) {
            const COLORREF c = p.pixels[i];
            const int ours[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::abs(ours[k] - theirs[i * 3 + static_cast<std::size_t>(k)]));
        }
        EXPECT_LE(worst, tolerance);
    }
}
