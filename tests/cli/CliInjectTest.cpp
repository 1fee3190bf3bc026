// `inject` end to end: a shorter model put back into an archive, and an unfinished
// write undone by `inject --recover`.
#include "CliRunner.h"
#include "GameDataItems.h"
#include "gamedata/ImageJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace polyvane {
namespace {

namespace fs = std::filesystem;

std::string Triangles(unsigned count, std::uint32_t shade) {
    const auto bytes = test::FlatTriangles(count, shade);
    return {bytes.begin(), bytes.end()};
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(CliInject, PutsAModelBackAndRecoversAnUnfinishedWrite) {
    const fs::path folder = fs::temp_directory_path() / ("cli-inject-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string oldModel = Triangles(20, 0x404040), newModel = Triangles(12, 0x202020);
    const std::string archive = std::string(0x100, 'x') + oldModel + std::string(300, 'y');
    const fs::path image = folder / "archive.dat";
    Write(image, archive);
    Write(folder / "new.tmd", newModel);
    const std::string address = image.string() + "@0x100";

    const auto injected = test::RunCli({"inject", address, (folder / "new.tmd").string()});
    EXPECT_EQ(injected.exitCode, 0) << injected.err;
    std::string expected = archive;
    expected.replace(0x100, oldModel.size(), newModel + std::string(oldModel.size() - newModel.size(), '\0'));
    EXPECT_EQ(test::ReadWholeFile(image), expected);

    const gamedata::ImagePatch patch{0x100, std::vector<std::uint8_t>(40, 0xee)};
    ASSERT_FALSE(gamedata::WriteThroughJournal(image, std::span(&patch, 1), {false, 1}).written);
    ASSERT_NE(test::ReadWholeFile(image), expected);
    const auto recovered = test::RunCli({"inject", "--recover", image.string()});
    EXPECT_EQ(recovered.exitCode, 0);
    EXPECT_NE(recovered.err.find("undone"), std::string::npos) << recovered.err;
    EXPECT_EQ(test::ReadWholeFile(image), expected);
    fs::remove_all(folder);
}

} // namespace
} // namespace polyvane
