// A write into an image that stops part way is undone on the next open, byte for byte; a journal
// that does not belong to its image is left alone.
#include "gamedata/ImageJournal.h"
#include "DiscBuilder.h"
#include "GameDataItems.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include <sys/mount.h>
#include <unistd.h>

namespace polyvane::gamedata {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class ImageJournalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("journal-test-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
        m_image = m_folder / "game.bin";
        m_original = test::Filler(64 * 1024, 1);
        test::WriteAll(m_image, m_original);
        m_patches = {{100, Bytes(2352, 0xaa)}, {20000, Bytes(700, 0xbb)}, {64 * 1024 - 10, Bytes(10, 0xcc)}};
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder, m_image;
    Bytes m_original;
    std::vector<ImagePatch> m_patches;
};

TEST_F(ImageJournalTest, AWriteStoppedAnywhereIsUndoneOnTheNextOpen) {
    struct Case {
        const char* name;
        WriteStop stop;
    };
    const Case cases[] = {
        {"after the journal", {true, -1}},
        {"after one range", {false, 1}},
        {"after every range, before the flush", {false, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::WriteAll(m_image, m_original);
        EXPECT_FALSE(WriteThroughJournal(m_image, m_patches, c.stop).written);
        ASSERT_TRUE(fs::exists(JournalPathFor(m_image)));
        const RecoveryResult recovery = RecoverImage(m_image);
        EXPECT_EQ(recovery.outcome, RecoveryResult::Outcome::restored) << recovery.message;
        EXPECT_NE(recovery.message.find("undone"), std::string::npos);
        EXPECT_EQ(test::ReadAll(m_image), m_original);
        EXPECT_FALSE(fs::exists(JournalPathFor(m_image)));
    }
}

TEST_F(ImageJournalTest, AJournalThatIsNotTheImagesIsReportedAndLeftInPlace) {
    struct Case {
        const char* name;
        void (*spoil)(const fs::path& image, const fs::path& journal);
        const char* says;
    };
    const Case cases[] = {
        {"cut short",
         [](const fs::path&, const fs::path& journal) {
             fs::resize_file(journal, fs::file_size(journal) - 10);
         },
         "incomplete"},
        {"another image's, of another size",
         [](const fs::path& image, const fs::path&) { fs::resize_file(image, fs::file_size(image) + 2048); },
         "another image"},
        {"another image's, of the same size",
         [](const fs::path& image, const fs::path&) { test::WriteAll(image, test::Filler(64 * 1024, 2)); },
         "another image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::WriteAll(m_image, m_original);
        fs::remove(JournalPathFor(m_image));
        ASSERT_FALSE(WriteThroughJournal(m_image, m_patches, {true, -1}).written);
        c.spoil(m_image, JournalPathFor(m_image));
        const Bytes before = test::ReadAll(m_image);
        const RecoveryResult recovery = RecoverImage(m_image);
        EXPECT_EQ(recovery.outcome, RecoveryResult::Outcome::leftInPlace);
        EXPECT_NE(recovery.message.find(c.says), std::string::npos) << recovery.message;
        EXPECT_EQ(test::ReadAll(m_image), before);
        EXPECT_TRUE(fs::exists(JournalPathFor(m_image)));
    }
}

// A small file system of its own, so the disk can be filled and made read-only; needs root.
class MountedImageJournalTest : public ImageJournalTest {
  protected:
    void SetUp() override {
        if (::geteuid() != 0 || !fs::exists("/proc/self/mountinfo"))
            GTEST_SKIP() << "mounting a small file system needs root";
        ImageJournalTest::SetUp();
        m_mount = m_folder / "disk";
        fs::create_directories(m_mount);
        if (::mount("tmpfs", m_mount.c_str(), "tmpfs", 0, "size=128k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        m_image = m_mount / "game.bin";
        test::WriteAll(m_image, m_original);
    }
    void TearDown() override {
        if (!m_mount.empty())
            ::umount(m_mount.c_str());
        ImageJournalTest::TearDown();
    }
    fs::path m_mount;
};

TEST_F(MountedImageJournalTest, AFullDiskOrAReadOnlyImageRefusesTheWriteAndChangesNothing) {
    // Fill what the image leaves free, so that the journal cannot be written.
    {
        std::ofstream filler(m_mount / "filler", std::ios::binary);
        const Bytes block(4096, 0);
        while (filler.write(reinterpret_cast<const char*>(block.data()),
                            static_cast<std::streamsize>(block.size())))
            filler.flush();
    }
    JournalWriteResult full = WriteThroughJournal(m_image, m_patches);
    EXPECT_FALSE(full.written);
    EXPECT_NE(full.message.find("journal"), std::string::npos) << full.message;
    EXPECT_EQ(test::ReadAll(m_image), m_original);
    EXPECT_FALSE(fs::exists(JournalPathFor(m_image)));
    EXPECT_EQ(RecoverImage(m_image).outcome, RecoveryResult::Outcome::noJournal);

    fs::remove(m_mount / "filler");
    ASSERT_EQ(::mount("tmpfs", m_mount.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=128k"), 0);
    JournalWriteResult readOnly = WriteThroughJournal(m_image, m_patches);
    EXPECT_FALSE(readOnly.written);
    EXPECT_NE(readOnly.message.find("cannot be written"), std::string::npos) << readOnly.message;
    EXPECT_EQ(test::ReadAll(m_image), m_original);
}

} // namespace
} // namespace polyvane::gamedata
