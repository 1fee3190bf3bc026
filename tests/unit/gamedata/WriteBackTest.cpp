// Writing an item back into containers the test builds: a plain archive, an ISO made by xorriso, and
// that ISO's blocks wrapped in raw Mode 1 and Mode 2 XA sectors written here.
#include "gamedata/WriteBack.h"
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "SlowSectorCodes.h"
#include "gamedata/Address.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace polyvane::gamedata {
namespace {

namespace fs = std::filesystem;
using ByteVector = std::vector<std::uint8_t>;

constexpr std::size_t kArchiveBytes = 40 * 1024;
constexpr std::uint64_t kItemOffset = 0x7f4; // crosses a sector boundary

// The archive a game keeps its models in: filler with the model at kItemOffset.
ByteVector Archive(const ByteVector& model) {
    ByteVector archive = test::Filler(kArchiveBytes, 5);
    std::copy(model.begin(), model.end(), archive.begin() + kItemOffset);
    return archive;
}

class WriteBackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("writeback-test-" + std::to_string(::getpid()));
        fs::create_directories(m_folder / "tree" / "DATA");
        m_oldModel = test::FlatTriangles(300, 0x404040 + 1);
        m_newModel = test::FlatTriangles(200, 0x404040 + 9);
        test::WriteAll(m_folder / "archive.bin", Archive(m_oldModel));
        test::WriteAll(m_folder / "tree" / "DATA" / "MODELS.BIN", Archive(m_oldModel));
        test::WriteAll(m_folder / "tree" / "README.TXT", test::Filler(5000, 6));
        if (!test::HaveXorriso() || !test::MakeIso(m_folder / "tree", m_folder / "disc.iso"))
            return;
        // The ISO's sectors as raw Mode 1, and as Mode 2 Form 1 with Form 2 sectors after them (a
        // stream no file lists).
        ByteVector iso = test::ReadAll(m_folder / "disc.iso");
        const auto blocks = static_cast<std::uint32_t>(iso.size() / 2048);
        test::WriteAll(m_folder / "mode1.bin",
                       test::RawFromCooked(iso, [](std::uint32_t) { return test::RawMode::mode1; }));
        iso.resize(iso.size() + 4 * 2048, 0x5a);
        const ByteVector mode2 = test::RawFromCooked(iso, [blocks](std::uint32_t lsn) {
            return lsn < blocks ? test::RawMode::form1 : test::RawMode::form2;
        });
        test::WriteAll(m_folder / "mode2.bin", mode2);
        // The same sectors named by a cue sheet, in a file of their own.
        test::WriteAll(m_folder / "cued.bin", mode2);
        std::ofstream(m_folder / "cued.cue")
            << "FILE \"cued.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
        m_haveImages = true;
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
    ByteVector m_oldModel, m_newModel;
    bool m_haveImages = false;
};

// Reads back the user data of a container: the file itself, or each data sector's 2048 bytes.
ByteVector UserData(const ByteVector& file, bool raw) {
    if (!raw)
        return file;
    ByteVector data;
    for (std::size_t at = 0; at + 2352 <= file.size(); at += 2352)
        if (!(file[at + 15] == 2 && (file[at + 18] & 0x20))) {
            const std::size_t from = at + (file[at + 15] == 1 ? 16 : 24);
            data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(from),
                        file.begin() + static_cast<std::ptrdiff_t>(from + 2048));
        }
    return data;
}

TEST_F(WriteBackTest, TheNewItemTakesTheOldOnesPlaceAndNothingElseChanges) {
    struct Case {
        const char* container;
        const char* pathInImage;
        bool raw;
        const char* dataFile; // what holds the sectors, when not the container itself
    };
    const Case cases[] = {
        {"archive.bin", nullptr, false, nullptr},          {"disc.iso", "DATA/MODELS.BIN", false, nullptr},
        {"mode1.bin", "DATA/MODELS.BIN", true, nullptr},   {"mode2.bin", "DATA/MODELS.BIN", true, nullptr},
        {"cued.cue", "DATA/MODELS.BIN", true, "cued.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.container);
        const fs::path image = m_folder / c.container;
        if (!fs::exists(image))
            continue; // no xorriso: only the plain archive
        const fs::path data = m_folder / (c.dataFile ? c.dataFile : c.container);
        const ByteVector before = test::ReadAll(data);
        char offset[32];
        std::snprintf(offset, sizeof offset, "@0x%llx", static_cast<unsigned long long>(kItemOffset));
        const std::string address =
            image.string() + (c.pathInImage ? std::string("::") + c.pathInImage : std::string()) + offset;

        const WriteBackResult result = WriteBack(address, m_newModel);
        ASSERT_TRUE(result.written) << result.error;
        EXPECT_EQ(result.room, m_oldModel.size());
        EXPECT_TRUE(result.warnings.empty());

        const ByteVector after = test::ReadAll(data);
        ASSERT_EQ(after.size(), before.size());
        const ByteVector oldData = UserData(before, c.raw), newData = UserData(after, c.raw);
        // Where the item lies in the user data: the plain archive's offset, or the file's place found by
        // the archive's unchanged bytes around it.
        const ByteVector archive = Archive(m_oldModel);
        const auto found = std::search(oldData.begin(), oldData.end(), archive.begin(), archive.end());
        ASSERT_NE(found, oldData.end());
        const std::size_t itemStart = static_cast<std::size_t>(found - oldData.begin()) + kItemOffset;
        ByteVector expected = oldData;
        std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(itemStart), m_oldModel.size(),
                    std::uint8_t{0});
        std::copy(m_newModel.begin(), m_newModel.end(),
                  expected.begin() + static_cast<std::ptrdiff_t>(itemStart));
        EXPECT_TRUE(newData == expected) << "the new bytes, a zero tail, and every other user byte as it was";

        int changedSectors = 0;
        for (std::size_t at = 0; c.raw && at < after.size(); at += 2352) {
            if (std::equal(after.begin() + static_cast<std::ptrdiff_t>(at),
                           after.begin() + static_cast<std::ptrdiff_t>(at + 2352),
                           before.begin() + static_cast<std::ptrdiff_t>(at)))
                continue;
            ++changedSectors;
            Sector sector;
            std::copy_n(after.begin() + static_cast<std::ptrdiff_t>(at), 2352, sector.begin());
            EXPECT_TRUE(SectorCodesHold(sector)) << "sector " << at / 2352;
            const std::ptrdiff_t headerBytes = sector[15] == 1 ? 16 : 24;
            EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + headerBytes,
                                   before.begin() + static_cast<std::ptrdiff_t>(at)))
                << "sync, header and subheader kept";
        }
        EXPECT_TRUE(!c.raw || changedSectors > 0);

        auto loaded = LoadItem(*ParseAddress(address));
        ASSERT_TRUE(loaded) << loaded.error();
        EXPECT_TRUE(loaded->bytes == m_newModel) << "the address now reads as the new model";
    }
}

TEST_F(WriteBackTest, WhatCannotBeWrittenIsRefusedAndTheImageIsUntouched) {
    if (!m_haveImages)
        GTEST_SKIP() << "xorriso is needed to build the disc image";
    const std::string image = (m_folder / "mode2.bin").string();
    const std::size_t form2Sector = fs::file_size(image) / 2352 - 2;
    char form2Address[64];
    std::snprintf(form2Address, sizeof form2Address, "@0x%zx", form2Sector * 2048);
    struct Case {
        std::string address;
        ByteVector bytes;
        std::vector<std::string> says;
    };
    const ByteVector longer = test::FlatTriangles(400, 0x404040 + 3);
    test::TimSpec texture;
    texture.flag = 2, texture.imageWidth = 2, texture.imageHeight = 1;
    texture.pixels = ByteVector(4, 1);
    const Case cases[] = {
        {image + "::DATA/MODELS.BIN@0x7f4",
         longer,
         {std::to_string(longer.size()) + " bytes",
          "room for " + std::to_string(m_oldModel.size()) + " bytes"}},
        {image + "::DATA/MODELS.BIN@0x7f0", m_newModel, {"no longer read"}},
        {image + form2Address, m_newModel, {"holds no user data (mode2form2)"}},
        {image + "::DATA/MODELS.BIN@0x100000", m_newModel, {"past the end"}},
        {image + "@0x10000000", m_newModel, {"past the end"}},
        {image + "::DATA/GONE.BIN@0x7f4", m_newModel, {"lists no file DATA/GONE.BIN"}},
        {image + "::DATA/MODELS.BIN@0x7f4", test::BuildTim(texture).data(), {"cannot replace"}},
    };
    const ByteVector before = test::ReadAll(image);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const WriteBackResult result = WriteBack(c.address, c.bytes);
        EXPECT_FALSE(result.written);
        for (const std::string& part : c.says)
            EXPECT_NE(result.error.find(part), std::string::npos) << result.error;
        EXPECT_TRUE(test::ReadAll(image) == before);
    }
}

TEST_F(WriteBackTest, TheRoomKnownFromTheFirstReadStaysUsableWhileItsTailIsZero) {
    const fs::path archive = m_folder / "archive.bin";
    const std::string address = archive.string() + "@0x7f4";
    ASSERT_TRUE(WriteBack(address, m_newModel).written);
    EXPECT_FALSE(WriteBack(address, m_oldModel).written) << "the item alone is smaller now";
    ASSERT_TRUE(WriteBack(address, m_oldModel, {.knownRoom = m_oldModel.size(), .stop = {}}).written);
    EXPECT_TRUE(test::ReadAll(archive) == Archive(m_oldModel))
        << "undo and save again restores the first version";

    ASSERT_TRUE(WriteBack(address, m_newModel).written);
    ByteVector spoiled = test::ReadAll(archive);
    spoiled[kItemOffset + m_oldModel.size() - 1] = 1; // something else now lies in the old tail
    test::WriteAll(archive, spoiled);
    EXPECT_FALSE(WriteBack(address, m_oldModel, {.knownRoom = m_oldModel.size(), .stop = {}}).written);
}

TEST_F(WriteBackTest, ATextureOfAnotherLayoutIsWrittenWithAWarning) {
    test::TimSpec layout;
    layout.flag = 2; // 15-bit direct
    layout.imageWidth = 4, layout.imageHeight = 2;
    layout.pixels = test::CountingBytes(16);
    const ByteVector oldTexture = test::BuildTim(layout).data();
    layout.imageX = 320;
    layout.pixels = ByteVector(16, 7);
    const ByteVector moved = test::BuildTim(layout).data();
    ByteVector archive = test::Filler(4096, 8);
    std::copy(oldTexture.begin(), oldTexture.end(), archive.begin() + 100);
    test::WriteAll(m_folder / "textures.bin", archive);

    const WriteBackResult result = WriteBack((m_folder / "textures.bin").string() + "@0x64", moved);
    ASSERT_TRUE(result.written) << result.error;
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("(320,0)"), std::string::npos) << result.warnings[0];
    EXPECT_NE(result.warnings[0].find("may expect the old one"), std::string::npos);
}

} // namespace
} // namespace polyvane::gamedata
