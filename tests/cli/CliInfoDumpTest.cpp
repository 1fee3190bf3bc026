// polyvane-cli info and dump, run as a user runs them: output, messages on standard error, exit codes.
#include "CliRunner.h"
#include "PngFile.h"
#include "TmdBuilder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace polyvane::test;
using nlohmann::json;

namespace {

std::string SamplePath() {
    return std::string(POLYVANE_SOURCE_DIR) + "/samples/cube.tmd";
}

std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    auto path =
        std::filesystem::temp_directory_path() / ("polyvane-cli-" + std::to_string(::getpid()) + "-" + name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

} // namespace

TEST(CliInfo, SummarisesTheSample) {
    auto r = RunCli({"info", SamplePath()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Objects: 2"), std::string::npos);
    EXPECT_NE(r.out.find("Object 0: vertices 8, normals 14, primitives 6"), std::string::npos);
    EXPECT_NE(r.out.find("triangles 4, quads 1"), std::string::npos);
    EXPECT_NE(r.out.find("extents x -100..100, y -100..150, z -100..100"), std::string::npos);
}

TEST(CliDump, PrintsTheDocumentAsJson) {
    auto r = RunCli({"dump", SamplePath()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json doc = json::parse(r.out);
    EXPECT_EQ(doc["header"]["id"], 0x41);
    EXPECT_EQ(doc["header"]["nobj"], 2);
    EXPECT_EQ(doc["current_object"], 0);
    EXPECT_EQ(doc["current_primitive"], 0);
    EXPECT_EQ(doc["modified"], false);
    EXPECT_EQ(doc["extents"]["min"], json::array({-100, -100, -100}));
    ASSERT_EQ(doc["objects"].size(), 2u);
    EXPECT_EQ(doc["objects"][0]["n_primitive"], 6);
    EXPECT_EQ(doc["objects"][1]["primitives"].size(), 5u);
    const json& prim = doc["objects"][0]["primitives"][4];
    EXPECT_EQ(prim["attr"], 0x20 | 0x08 | 0x80 | 0x01);
    EXPECT_EQ(prim["tpage"], 10);
    EXPECT_EQ(prim["clutY"], 480);
    EXPECT_EQ(prim["u"], json::array({0, 0, 63, 63}));
    EXPECT_EQ(doc["clipboard"], doc["objects"][0]["primitives"][0]);
    EXPECT_EQ(doc["surfaces"], json::array());
    EXPECT_FALSE(doc.contains("draw_order"));
}

TEST(CliDump, DoublesReadBackExactly) {
    auto r = RunCli({"dump", SamplePath()});
    json doc = json::parse(r.out);
    // Normals of the Gouraud faces are the file's fixed-point values as read.
    EXPECT_EQ(doc["objects"][0]["primitives"][2]["nx"][0].get<double>(), -2365.0);
}

TEST(CliDump, FailedLoadPrintsTheEmptyDocumentAndItsMessage) {
    polyvane::test::Bytes bad;
    bad.u32(0x40);
    bad.u32(0);
    bad.u32(0);
    auto path = WriteTemp("bad.tmd", bad.data());
    auto r = RunCli({"dump", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Bad TMD file header\n");
    json doc = json::parse(r.out);
    EXPECT_EQ(doc["header"]["nobj"], 0);
    EXPECT_EQ(doc["objects"], json::array());
    EXPECT_EQ(doc["current_primitive"], nullptr);
    EXPECT_EQ(doc["clipboard"], nullptr);
    std::filesystem::remove(path);
}

TEST(CliDump, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunCli({}).exitCode, 2);
    EXPECT_EQ(RunCli({"dump"}).exitCode, 2);
    EXPECT_EQ(RunCli({"dump", SamplePath(), "--do", "no-such-command"}).exitCode, 2);
    EXPECT_EQ(RunCli({"dump", SamplePath(), "--do"}).exitCode, 2);
    EXPECT_EQ(RunCli({"frobnicate", SamplePath()}).exitCode, 2);
    EXPECT_EQ(RunCli({"info", SamplePath(), "extra"}).exitCode, 2);
}

TEST(CliInfo, MissingFileAndUnknownExtensionFail) {
    auto missing = RunCli({"info", "/nonexistent/model.tmd"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Could not open file\n");
    // A name ending in neither tmd nor lwo loads nothing and shows nothing.
    auto other = RunCli({"info", SamplePath().substr(0, SamplePath().size() - 3) + "tim"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(other.err, "");
}

TEST(CliOptions, DoubleDashEndsOptionsSoAFileMayStartWithADash) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("polyvane-cli-dash-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(SamplePath(), dir / "-x.tmd",
                               std::filesystem::copy_options::overwrite_existing);
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"info", "--", "-x.tmd"}, 0},
        {{"dump", "--", "-x.tmd"}, 0},
        {{"dump", "--", "-x.tmd", "--do", "next-prim"}, 2}, // "--do" after "--" is a second file
        {{"info", "-x.tmd"}, 2},                            // without "--" it is an unknown option
    };
    for (const Case& c : cases) {
        auto r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << ' ' << c.args.back() << ": " << r.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(r.err, "");
        }
    }
    std::filesystem::current_path(before);
    std::filesystem::remove_all(dir);
}

TEST(CliInfo, AFailedOpenSaysWhyOnce) {
    const std::string sample = ReadWholeFile(SamplePath());
    const std::vector<std::uint8_t> cube(sample.begin(), sample.end());
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* err;
    };
    const Case cases[] = {
        {"short.tmd", {0x41, 0, 0, 0, 0}, "Bad TMD file\n"},
        // The object table then points past the end of what is left.
        {"cut.tmd", {cube.begin(), cube.begin() + 60}, "Bad TMD file\n"},
        {"badid.tmd", {0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "Bad TMD file header\n"},
        {"short.lwo", {'F', 'O', 'R'}, "Read LWO\nNot an IFF file\n"},
        {"text.lwo",
         {'t', 'e', 'x', 't', ' ', 'f', 'i', 'l', 'e', ' ', 'n', 'o', 't', ' ', 'I', 'F', 'F'},
         "Read LWO\nNot an IFF file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteTemp(c.name, c.bytes);
        const auto result = RunCli({"info", path});
        std::filesystem::remove(path);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
}

// A model with a line and a sprite among its triangles goes through convert, keeps both, and its line
// shows in the textured picture.
TEST(CliKeptPackets, ALineAndASpriteSurviveConvertAndTheLineIsDrawn) {
    TmdObjectSpec o;
    o.vertices = {-100, 50, 0, 100, 50, 0, 0, -150, 400, 10, -150, 400, 0, -160, 400};
    o.packets = {PacketHeader(4, 3, 1, 0x20),
                 0x00808080,
                 Halves(2, 3),
                 Halves(4, 0),
                 PacketHeader(3, 2, 1, 0x40),
                 0x400000FF,
                 Halves(0, 1),
                 PacketHeader(4, 3, 1, 0x64),
                 Halves(2, 0),
                 Halves(0, 0),
                 Halves(4, 4)};
    o.nPrimitive = 3;
    const std::string in = WriteTemp("kept.tmd", BuildTmd({o}).data());
    const std::string out = in + ".out.tmd";
    const std::string png = in + ".png";
    ASSERT_EQ(RunCli({"convert", in, out}).exitCode, 0);
    const auto info = RunCli({"info", out});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Object 0: vertices 5, normals 0, primitives 1\n"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("  lines 1, sprites 1, other packets 0\n"), std::string::npos) << info.out;

    ASSERT_EQ(RunCli({"render", out, png, "--mode", "textured"}).exitCode, 0);
    const auto image = polyvane::cli::ReadPng(png);
    ASSERT_TRUE(image);
    // The line runs along y = 50 of the model: row 240 - 50 of the 640 x 480 picture.
    EXPECT_EQ(image->pixels[190 * 640 + 300], polyvane::RGB(255, 0, 0));
    EXPECT_EQ(image->pixels[150 * 640 + 300], polyvane::RGB(255, 255, 255));
    for (const auto& path : {in, out, png})
        std::filesystem::remove(path);
}
