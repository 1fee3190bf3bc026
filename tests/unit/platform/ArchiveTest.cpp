// The archive over a file, and the document base's open and save around it.
#include "platform/CArchive.h"
#include "platform/CDocument.h"
#include "platform/CView.h"
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace polyvane;
namespace fs = std::filesystem;

namespace {

// A fresh directory for each test, named after it, so that no file of another test (or of an earlier
// process that had the same id) can be in it.
fs::path TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = fs::temp_directory_path() / ("polyvane-archive-" + std::to_string(::getpid()) + "-" +
                                            info->test_suite_name() + "-" + info->name());
    fs::create_directories(dir);
    return dir;
}

class Archive : public ::testing::Test {
  protected:
    void SetUp() override { fs::remove_all(TempDir()); }
    void TearDown() override { fs::remove_all(TempDir()); }
};
using Document = Archive;

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A document of raw bytes: loads whatever is there; stores its text, or fails half-way if told to.
class TextDoc : public CDocument {
  public:
    void Serialize(CArchive& ar) override {
        if (ar.IsLoading()) {
            char buf[64];
            std::size_t n = ar.Read(buf, sizeof buf);
            text.assign(buf, n);
            loaded = !text.empty();
        } else {
            ar.Write(text.data(), failHalfway ? text.size() / 2 : text.size());
            stored = !failHalfway;
        }
    }
    bool LoadSucceeded() const override { return loaded; }
    bool StoreSucceeded() const override { return stored; }
    std::string text;
    bool loaded = false, stored = false, failHalfway = false;
};

class UpdateView : public CView {
  public:
    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, long, void*) override { ++updates; }
    int updates = 0;
};

} // namespace

TEST_F(Archive, ReadGivesTheCountActuallyReadAndNamesTheFile) {
    auto path = TempDir() / "model.TMD";
    WriteFile(path, "0123456789");
    CArchive ar;
    ASSERT_TRUE(ar.OpenForLoad(path.string()));
    EXPECT_TRUE(ar.IsLoading());
    EXPECT_EQ(ar.GetFileName(), "model.TMD");
    EXPECT_EQ(ar.GetLength(), 10u);
    char buf[8];
    EXPECT_EQ(ar.Read(buf, 8), 8u);
    EXPECT_EQ(ar.Read(buf, 8), 2u); // a short read at the end does not fail
    EXPECT_EQ(ar.Read(buf, 8), 0u);
    EXPECT_EQ(ar.GetPosition(), 10u);
    CArchive missing;
    EXPECT_FALSE(missing.OpenForLoad((TempDir() / "absent.tmd").string()));
    EXPECT_FALSE(missing.OpenForLoad(TempDir().string())); // a directory is no file
}

TEST_F(Archive, MemoryArchiveReadsLikeAFile) {
    const std::uint8_t bytes[] = {1, 2, 3};
    CArchive ar = CArchive::FromMemory(bytes, "/some/dir/x.lwo");
    EXPECT_EQ(ar.GetFileName(), "x.lwo");
    std::uint8_t out[5] = {};
    EXPECT_EQ(ar.Read(out, 5), 3u);
    EXPECT_EQ(out[2], 3);
}

// A loader may borrow what a memory archive holds from the next unread byte on; a file has nothing
// to lend.
TEST_F(Archive, UnreadMemoryStartsAtTheNextByte) {
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    CArchive ar = CArchive::FromMemory(bytes, "x.tmd");
    std::uint8_t out[3] = {};
    ASSERT_EQ(ar.Read(out, 1), 1u);
    const std::vector<std::uint8_t> rest(ar.UnreadMemory().begin(), ar.UnreadMemory().end());
    EXPECT_EQ(rest, (std::vector<std::uint8_t>{2, 3, 4}));
    ASSERT_EQ(ar.Read(out, 3), 3u);
    EXPECT_TRUE(ar.UnreadMemory().empty());
    const auto path = TempDir() / "file.tmd";
    WriteFile(path, "abc");
    CArchive file;
    ASSERT_TRUE(file.OpenForLoad(path.string()));
    EXPECT_TRUE(file.UnreadMemory().empty());
}

TEST_F(Archive, StoreReplacesTheTargetOnlyWhenComplete) {
    auto path = TempDir() / "keep.tmd";
    WriteFile(path, "original");
    {
        CArchive ar;
        ASSERT_TRUE(ar.OpenForStore(path.string()));
        ar.Write("partial", 7);
        // Destroyed without Commit: the target is untouched and no temporary file remains.
    }
    EXPECT_EQ(ReadFile(path), "original");
    {
        CArchive ar;
        ASSERT_TRUE(ar.OpenForStore(path.string()));
        ar.Write("new", 3);
        EXPECT_FALSE(ar.Commit()); // not marked complete
    }
    EXPECT_EQ(ReadFile(path), "original");
    {
        CArchive ar;
        ASSERT_TRUE(ar.OpenForStore(path.string()));
        ar.Write("new", 3);
        ar.MarkComplete();
        EXPECT_TRUE(ar.Commit());
    }
    EXPECT_EQ(ReadFile(path), "new");
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(TempDir()))
        ++files;
    EXPECT_EQ(files, 1);
    fs::remove_all(TempDir());
}

TEST_F(Document, OpenBindsThePathOnlyWhenTheLoadSucceeded) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    auto good = TempDir() / "good.txt";
    auto empty = TempDir() / "empty.txt";
    WriteFile(good, "hello");
    WriteFile(empty, "");
    TextDoc a;
    EXPECT_TRUE(a.OnOpenDocument(good.string()));
    EXPECT_EQ(a.GetPathName(), good.string());
    EXPECT_EQ(a.GetTitle(), "good.txt");
    TextDoc b;
    EXPECT_FALSE(b.OnOpenDocument(empty.string()));
    EXPECT_EQ(b.GetPathName(), "");
    TextDoc c;
    EXPECT_FALSE(c.OnOpenDocument((TempDir() / "absent.txt").string()));
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Could not open file"});
    fs::remove_all(TempDir());
}

TEST_F(Document, FailedSaveKeepsTheFileAndTheModifiedFlag) {
    auto path = TempDir() / "doc.txt";
    WriteFile(path, "original");
    TextDoc doc;
    doc.text = "replacement";
    doc.SetModifiedFlag();
    doc.failHalfway = true;
    EXPECT_FALSE(doc.OnSaveDocument(path.string()));
    EXPECT_EQ(ReadFile(path), "original");
    EXPECT_TRUE(doc.IsModified());
    doc.failHalfway = false;
    EXPECT_TRUE(doc.OnSaveDocument(path.string()));
    EXPECT_EQ(ReadFile(path), "replacement");
    EXPECT_FALSE(doc.IsModified());
    fs::remove_all(TempDir());
}

TEST_F(Document, UpdateAllViewsReachesEveryViewButTheSender) {
    TextDoc doc;
    UpdateView a, b;
    a.SetDocument(&doc);
    b.SetDocument(&doc);
    doc.UpdateAllViews(nullptr);
    doc.UpdateAllViews(&a);
    EXPECT_EQ(a.updates, 1);
    EXPECT_EQ(b.updates, 2);
    {
        UpdateView c;
        c.SetDocument(&doc);
        EXPECT_EQ(doc.GetViews().size(), 3u);
    }
    EXPECT_EQ(doc.GetViews().size(), 2u); // a destroyed view leaves its document
}

TEST(MessageBoxService, ScopedServiceCollectsAndRestores) {
    HeadlessMessageBox outer, inner;
    ScopedMessageBox a(outer);
    {
        ScopedMessageBox b(inner);
        AfxMessageBox("one");
    }
    AfxMessageBox("two");
    EXPECT_EQ(inner.Texts(), std::vector<std::string>{"one"});
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"two"});
}
