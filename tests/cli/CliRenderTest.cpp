// polyvane-cli render: the trace of the paint, the PNG it writes, the JSON of the projection and
// the exit codes.
#include "CliRunner.h"
#include "PngFile.h"
#include "TmdBuilder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace polyvane::test;
using nlohmann::json;

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("polyvane-render-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// One object: an unlit flat triangle (100,50,0) (0,0,0) (0,100,0) and an unlit flat quad behind it.
std::string WriteModel() {
    TmdObjectSpec o;
    o.vertices = {100, 50, 0, 0, 0, 0, 0, 100, 0, -50, 50, 100, 50, 50, 100, -50, -50, 100, 50, -50, 100};
    const std::uint32_t triangle = PacketHeader(3, 3, 0x01, 0x20);
    const std::uint32_t quad = PacketHeader(4, 3, 0x01, 0x28);
    o.packets = {triangle, 0x00808080, Halves(0, 1), Halves(2, 0),
                 quad,     0x00808080, Halves(3, 4), Halves(5, 6)};
    o.nPrimitive = 2;
    const auto bytes = BuildTmd({o}).data();
    const std::string path = TempPath("model.tmd");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

struct RenderFixture : ::testing::Test {
    void TearDown() override {
        for (const auto& p : {model, png, jsonPath})
            std::filesystem::remove(p);
    }
    std::string model = WriteModel();
    std::string png = TempPath("out.png");
    std::string jsonPath = TempPath("out.json");
};

TEST_F(RenderFixture, TraceShowsTheWireframePaintOfTheWorkedExample) {
    auto r = RunCli({"render", model, png, "--size", "400x300", "--trace"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> expected = {
        "SetTextColor 0x808080", "SetBkMode TRANSPARENT", "CreatePen PS_INSIDEFRAME 1 0x0040ff",
        "GetClientRect", "SelectStockObject NULL_BRUSH", "Polygon 300,100 200,150 200,50",
        // The quad's outline runs 0, 1, 3, 2 through its stored vertices.
        "Polygon 154,105 245,105 245,195 154,195", "SelectObject WHITE_BRUSH", "SelectObject pen1",
        "Polygon 300,100 200,150 200,50", "TextOut 300 100 \"1\"", "TextOut 200 150 \"2\"",
        "TextOut 200 50 \"3\"", "SelectObject BLACK_PEN", "CreatePen PS_DASH 1 0x808080", "SelectObject pen2",
        "MoveTo 200 150", "LineTo 264 150", "TextOut 264 150 \"x\"", "MoveTo 200 150", "LineTo 200 86",
        "TextOut 200 86 \"y\"", "MoveTo 200 150", "LineTo 200 150", "TextOut 200 150 \"z\"",
        "SelectObject BLACK_PEN", "DeleteObject pen1", "DeleteObject pen2"};
    EXPECT_EQ(SplitLines(r.out), expected);
}

TEST_F(RenderFixture, WritesAPngOfTheClientSize) {
    auto r = RunCli({"render", model, png, "--size", "400x300"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    auto image = polyvane::cli::ReadPng(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 400);
    EXPECT_EQ(image->height, 300);
    auto pixel = [&](int x, int y) { return image->pixels[static_cast<std::size_t>(y * 400 + x)]; };
    EXPECT_EQ(pixel(250, 75), polyvane::RGB(255, 64, 0)); // the current triangle's long edge
    EXPECT_EQ(pixel(154, 180), polyvane::RGB(0, 0, 0));   // the quad's left edge
    EXPECT_EQ(pixel(10, 10), polyvane::RGB(255, 255, 255));
}

TEST_F(RenderFixture, OptionsReachTheView) {
    const struct {
        const char* name;
        std::vector<std::string> options;
        std::string mustContain;
        std::string mustNotContain;
    } cases[] = {
        {"solid draws no axes",
         {"--mode", "solid", "--size", "400x300"},
         "Polygon 154,105 245,105 245,195 154,195",
         "MoveTo"},
        {"table", {"--mode", "table"}, "TextOut 0 32 \"Flat shaded\"", "Polygon"},
        {"vram draws nothing", {"--mode", "vram"}, "DeleteObject pen1", "Polygon"},
        {"blank draws nothing", {"--mode", "blank"}, "DeleteObject pen1", "TextOut"},
        {"no vertex numbers", {"--no-vertex-numbers", "--size", "400x300"}, "TextOut 264 150 \"x\"", "\"1\""},
        {"default size centres at 320,240", {}, "MoveTo 320 240", "MoveTo 200 150"},
        {"distance", {"--distance", "2000", "--size", "400x300"}, "LineTo 232 150", "LineTo 264 150"},
        {"angles: side view puts model Z to the right",
         {"--angles", "0,1.57079632679,0", "--size", "400x300"},
         "LineTo 200 150\nTextOut 200 150 \"x\"",
         "LineTo 264 150"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"render", model, png, "--trace"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        auto r = RunCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(c.mustContain), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find(c.mustNotContain), std::string::npos) << r.out;
    }
}

TEST_F(RenderFixture, DumpJsonHoldsTheProjection) {
    auto r = RunCli({"render", model, png, "--size", "400x300", "--dump-json", jsonPath});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(jsonPath);
    const json doc = json::parse(in);
    EXPECT_EQ(doc["draw_order"], json::array({1, 0}));
    EXPECT_EQ(doc["axis_screen"], json::parse("[[264,150],[200,86],[200,150]]"));
    EXPECT_EQ(doc["objects"][0]["primitives"][1]["screen"],
              json::parse("[[154,105],[245,105],[245,195],[154,195]]"));
}

// --fit: the model's points lie inside the image, about its centre, and span a good part of it.
TEST_F(RenderFixture, FitShowsTheWholeModelAboutTheCentre) {
    auto r = RunCli({"render", model, png, "--size", "400x300", "--distance", "50", "--angles", "0.4,0.8,0",
                     "--fit", "--dump-json", jsonPath});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(jsonPath);
    const json doc = json::parse(in);
    int left = 400, right = 0, top = 300, bottom = 0;
    for (const json& primitive : doc["objects"][0]["primitives"]) {
        const std::size_t corners = (primitive["attr"].get<int>() & 1) ? 4 : 3; // a quad's, else three
        for (std::size_t k = 0; k < corners; ++k) {
            const json& point = primitive["screen"][k];
            left = std::min(left, point[0].get<int>());
            right = std::max(right, point[0].get<int>());
            top = std::min(top, point[1].get<int>());
            bottom = std::max(bottom, point[1].get<int>());
        }
    }
    EXPECT_TRUE(left > 0 && right < 399 && top > 0 && bottom < 299)
        << left << ' ' << right << ' ' << top << ' ' << bottom;
    EXPECT_NEAR((left + right) / 2.0, 200.0, 30.0);
    EXPECT_NEAR((top + bottom) / 2.0, 150.0, 30.0);
    EXPECT_GT(std::max(right - left, bottom - top), 150);
}

TEST_F(RenderFixture, FailuresAndUsageErrorsHaveTheirExitCodes) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"render"}, 2},
        {{"render", model}, 2},
        {{"render", model, png, "extra"}, 2},
        {{"render", model, png, "--mode", "sideways"}, 2},
        {{"render", model, png, "--mode"}, 2},
        {{"render", model, png, "--size", "0x10"}, 2},
        {{"render", model, png, "--size", "100"}, 2},
        {{"render", model, png, "--size", "20000x10"}, 2},
        {{"render", model, png, "--angles", "1,2"}, 2},
        {{"render", model, png, "--angles", "1,2,x"}, 2},
        {{"render", model, png, "--distance", "far"}, 2},
        {{"render", model, png, "--frobnicate"}, 2},
        {{"render", "/nonexistent/model.tmd", png}, 1},
        {{"render", model, "/nonexistent/dir/out.png"}, 1},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        EXPECT_EQ(RunCli(c.args).exitCode, c.exitCode);
    }
    auto missing = RunCli({"render", "/nonexistent/model.tmd", png});
    EXPECT_EQ(missing.err, "Could not open file\n");
    EXPECT_FALSE(std::filesystem::exists(png));
    auto unwritable = RunCli({"render", model, "/nonexistent/dir/out.png"});
    EXPECT_EQ(unwritable.err, "polyvane-cli: cannot write /nonexistent/dir/out.png\n");
}

TEST_F(RenderFixture, RendersTheSampleInEveryMode) {
    const std::string sample = std::string(POLYVANE_SOURCE_DIR) + "/samples/cube.tmd";
    for (const char* mode : {"wireframe", "solid", "table", "vram", "blank"}) {
        SCOPED_TRACE(mode);
        auto r = RunCli({"render", sample, png, "--mode", mode, "--angles", "0.4,-0.7,0.1"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(polyvane::cli::ReadPng(png).has_value());
    }
}

} // namespace
