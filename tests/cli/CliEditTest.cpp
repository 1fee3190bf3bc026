// polyvane-cli's editing commands and convert, run as a user runs them.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace polyvane::test;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

std::string SamplePath() {
    return std::string(POLYVANE_SOURCE_DIR) + "/samples/cube.tmd";
}

fs::path TempPath(const std::string& name) {
    return fs::temp_directory_path() / ("polyvane-edit-" + std::to_string(::getpid()) + "-" + name);
}

json Dump(const std::vector<std::string>& args) {
    auto r = RunCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return json::parse(r.out);
}

} // namespace

TEST(CliEdit, NavigationCommandsMoveTheSelection) {
    struct Case {
        std::vector<std::string> commands;
        int object;
        int primitive;
    };
    const Case cases[] = {
        {{"next-prim"}, 0, 1},
        {{"prev-prim"}, 0, 5},
        {{"next-object"}, 1, 0},
        {{"prev-object"}, 1, 0},
        {{"next-object", "next-object"}, 0, 0},
        {{"select-prim:4"}, 0, 4},
        {{"select-prim:4", "next-prim", "next-prim"}, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"dump", SamplePath()};
        for (const auto& command : c.commands)
            args.insert(args.end(), {"--do", command});
        const json doc = Dump(args);
        EXPECT_EQ(doc["current_object"], c.object) << c.commands[0];
        EXPECT_EQ(doc["current_primitive"], c.primitive) << c.commands[0];
        EXPECT_EQ(doc["modified"], false);
    }
}

TEST(CliEdit, CopyAndPasteCarryAttributesButNotTheVertexCount) {
    // Primitive 4 of object 0 is a textured quad; object 1's primitive 0 is a triangle.
    const json doc = Dump({"dump", SamplePath(), "--do", "select-prim:4", "--do", "copy", "--do",
                           "next-object", "--do", "paste"});
    const json& pasted = doc["objects"][1]["primitives"][0];
    EXPECT_EQ(pasted["attr"], 0x20 | 0x08 | 0x80);
    EXPECT_EQ(pasted["tpage"], 10);
    EXPECT_EQ(doc["modified"], true);
}

TEST(CliEdit, FlipsAndSwapChangeTheExtents) {
    const json flipped = Dump({"dump", SamplePath(), "--do", "next-object", "--do", "flip-y"});
    EXPECT_EQ(flipped["extents"]["min"], json::array({-100, -150, -100}));
    EXPECT_EQ(flipped["modified"], true);
    const json twice = Dump({"dump", SamplePath(), "--do", "flip-x", "--do", "flip-x", "--do", "swap-xz",
                             "--do", "swap-xz", "--do", "flip-z", "--do", "flip-z"});
    const json original = Dump({"dump", SamplePath()});
    for (int p = 0; p < 6; ++p)
        for (const char* axis : {"x", "y", "z"})
            EXPECT_EQ(twice["objects"][0]["primitives"][p][axis],
                      original["objects"][0]["primitives"][p][axis]);
}

TEST(CliEdit, SelectPrimOutOfRangeFails) {
    auto r = RunCli({"dump", SamplePath(), "--do", "select-prim:6"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "polyvane-cli: select-prim: no primitive 6 in the selected object\n");
    EXPECT_EQ(json::parse(r.out)["current_primitive"], 0);
    EXPECT_EQ(RunCli({"dump", SamplePath(), "--do", "select-prim:x"}).exitCode, 2);
    EXPECT_EQ(RunCli({"dump", SamplePath(), "--do", "select-prim"}).exitCode, 2);
}

TEST(CliConvert, WritesWhatSaveWritesAndReadsBack) {
    const auto out = TempPath("cube-out.tmd");
    auto r = RunCli({"convert", SamplePath(), out.string(), "--do", "flip-x"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const json saved = Dump({"dump", out.string()});
    EXPECT_EQ(saved["header"]["nobj"], 2);
    EXPECT_EQ(saved["objects"][0]["n_vert"], 8);
    EXPECT_EQ(saved["objects"][0]["primitives"][0]["x"][0], -100.0); // flipped from 100

    // The same commands through dump's save give the same file.
    const auto viaSave = TempPath("cube-save.tmd");
    ASSERT_EQ(RunCli({"dump", SamplePath(), "--do", "flip-x", "--do", "save:" + viaSave.string()}).exitCode,
              0);
    EXPECT_EQ(ReadWholeFile(out), ReadWholeFile(viaSave));
    fs::remove(out);
    fs::remove(viaSave);
}

TEST(CliConvert, ImportsLightWaveObjects) {
    const fs::path dir = std::string(POLYVANE_REALDATA_DIR) + "/lwo";
    if (!fs::is_directory(dir))
        GTEST_SKIP() << "no real LWOB files at " << dir;
    const auto out = TempPath("greenball.tmd");
    auto r = RunCli({"convert", (dir / "java3d_greenball.lwo").string(), out.string()});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "Read LWO\n");
    const json saved = Dump({"dump", out.string()});
    EXPECT_EQ(saved["objects"][0]["n_primitive"], 528);
    EXPECT_EQ(saved["objects"][0]["n_normal"].get<int>() > 0, true);
    fs::remove(out);
}

TEST(CliConvert, FailuresExitWithOneAndKeepTheOldFile) {
    const auto out = TempPath("keep.tmd");
    {
        std::ofstream f(out, std::ios::binary);
        f << "old";
    }
    auto missingFolder = RunCli({"convert", SamplePath(), "/nonexistent-folder/out.tmd"});
    EXPECT_EQ(missingFolder.exitCode, 1);
    EXPECT_EQ(missingFolder.err, "Could not save file\n");
    auto badCommand = RunCli({"convert", SamplePath(), out.string(), "--do", "select-prim:99"});
    EXPECT_EQ(badCommand.exitCode, 1);
    auto badInput = RunCli({"convert", "/nonexistent/in.tmd", out.string()});
    EXPECT_EQ(badInput.exitCode, 1);
    EXPECT_EQ(badInput.err, "Could not open file\n");
    EXPECT_EQ(ReadWholeFile(out), "old");
    auto failedSave = RunCli({"dump", SamplePath(), "--do", "save:/nonexistent-folder/x.tmd"});
    EXPECT_EQ(failedSave.exitCode, 1);
    fs::remove(out);
}

TEST(CliConvert, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunCli({"convert", SamplePath()}).exitCode, 2);
    EXPECT_EQ(RunCli({"convert", SamplePath(), "a.tmd", "b.tmd"}).exitCode, 2);
    EXPECT_EQ(RunCli({"convert", SamplePath(), "a.tmd", "--do", "save"}).exitCode, 2);
}
