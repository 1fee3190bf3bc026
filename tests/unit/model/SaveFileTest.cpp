// Saving to disk through the document: the file is replaced only when the whole of it was written.
#include "DocTestSupport.h"
#include "TmdBuilder.h"
#include "WorkDocBuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>

using namespace polyvane;
using namespace polyvane::test;
namespace fs = std::filesystem;

namespace {

class TempDir {
  public:
    TempDir()
        : m_path(fs::temp_directory_path() /
                 ("polyvane-save-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++))) {
        fs::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    [[nodiscard]] fs::path operator/(const std::string& name) const { return m_path / name; }
    [[nodiscard]] std::size_t FileCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_path), fs::directory_iterator()));
    }

  private:
    static inline int s_counter = 0;
    fs::path m_path;
};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One object of `count` unlit triangles over three vertices.
std::unique_ptr<CPolyvaneDoc> Triangles(std::uint32_t count) {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0};
    for (std::uint32_t i = 0; i < count; ++i)
        o.packets.insert(o.packets.end(), {PacketHeader(4, 3, 1, 0x20), i, Halves(0, 1), Halves(2, 0)});
    o.nPrimitive = count;
    auto r = LoadBytes(BuildTmd({o}).data());
    EXPECT_TRUE(r.ok);
    return std::move(r.doc);
}

// Lowers the file-size limit for the scope, with the signal that would end the process ignored.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_saved{};
    void (*m_oldHandler)(int);
};

} // namespace

TEST(SaveFile, ReplacesTheFileAndKeepsItsPermissions) {
    TempDir dir;
    const auto target = dir / "model.tmd";
    WriteFile(target, {1, 2, 3});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto doc = Triangles(2);
    doc->SetModifiedFlag(true);
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    ASSERT_TRUE(doc->OnSaveDocument(target.string()));
    EXPECT_TRUE(box.Texts().empty());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), target.string());
    const auto bytes = ReadFile(target);
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.FileCount(), 1u); // no temporary file left behind
    EXPECT_TRUE(LoadBytes(bytes).ok);
}

TEST(SaveFile, ANameEndingInLwoStillWritesTmd) {
    TempDir dir;
    const auto target = dir / "model.lwo";
    auto doc = Triangles(1);
    ASSERT_TRUE(doc->OnSaveDocument(target.string()));
    const auto bytes = ReadFile(target);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<std::uint8_t>{0x41, 0, 0, 0}));
    auto again = LoadBytes(bytes, "model.tmd");
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.doc->WorkCount(), 1u);
}

TEST(SaveFile, AWriteCutShortKeepsTheOldFile) {
    TempDir dir;
    const auto target = dir / "model.tmd";
    const std::vector<std::uint8_t> old(100, 0x5A);
    WriteFile(target, old);
    auto doc = Triangles(500); // about 8 KB
    doc->SetModifiedFlag(true);
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    bool saved = true;
    {
        FileSizeLimit limit(1000);
        saved = doc->OnSaveDocument(target.string());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Could not save file"});
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(dir.FileCount(), 1u);
}

TEST(SaveFile, AMissingFolderFailsWithAMessage) {
    TempDir dir;
    auto doc = Triangles(1);
    doc->SetModifiedFlag(true);
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    EXPECT_FALSE(doc->OnSaveDocument((dir / "no-such-folder" / "model.tmd").string()));
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Could not save file"});
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), "");
}

TEST(SaveFile, AnObjectBeyond16BitIndicesIsRefusedAndTheOldFileKept) {
    TempDir dir;
    const auto target = dir / "model.tmd";
    const std::vector<std::uint8_t> old{9, 9, 9};
    WriteFile(target, old);
    // 21846 triangles with corners of their own: 65538 distinct vertices, two more than an index reaches.
    auto doc = Triangles(21846);
    test::EditRecords(*doc, 0, [](std::span<WorkPrimitive> records) {
        for (std::size_t r = 0; r < records.size(); ++r)
            for (int k = 0; k < 3; ++k) {
                records[r].x[k] = static_cast<double>(r % 30000);
                records[r].y[k] = static_cast<double>(r / 30000);
                records[r].z[k] = k;
            }
    });
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    EXPECT_FALSE(doc->OnSaveDocument(target.string()));
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Too many vertices in object"});
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(dir.FileCount(), 1u);
}

TEST(SaveFile, SavingThroughASymbolicLinkReplacesTheFileItPointsTo) {
    TempDir dir;
    const auto real = dir / "real.tmd";
    const auto link = dir / "link.tmd";
    WriteFile(real, {1});
    fs::create_symlink(real, link);
    auto doc = Triangles(1);
    ASSERT_TRUE(doc->OnSaveDocument(link.string()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real).at(0), 0x41);
}
