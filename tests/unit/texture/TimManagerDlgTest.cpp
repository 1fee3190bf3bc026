// The TIM manager's logic against a headless host: the sorted lines, Add through the file chooser,
// Remove and Done matching lines to entries by text, and the commands that run it.
#include "CommandIds.h"
#include "DialogIds.h"
#include "DocTestSupport.h"
#include "TimBuilder.h"
#include "TmdBuilder.h"
#include "platform/CView.h"
#include "platform/CommonDialogs.h"
#include "platform/HeadlessDialogHost.h"
#include "texture/CTimManagerDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// A 15-bit TIM of two pixels at (imageX, imageY).
TimSpec DirectTim(std::uint16_t imageX, std::uint16_t imageY) {
    TimSpec s;
    s.flag = 2;
    s.imageX = imageX;
    s.imageY = imageY;
    s.imageWidth = 2;
    s.imageHeight = 1;
    s.pixels = CountingBytes(4);
    return s;
}

// An 8-bit TIM of four pixels at (imageX, imageY) with its CLUT at (clutX, clutY).
TimSpec IndexedTim(std::uint16_t imageX, std::uint16_t imageY, std::uint16_t clutX, std::uint16_t clutY) {
    TimSpec s = DirectTim(imageX, imageY);
    s.flag = 1;
    s.clut = std::vector<std::uint16_t>(256, 0x7FFF);
    s.clutX = clutX;
    s.clutY = clutY;
    s.clutWidth = 256;
    return s;
}

const DialogTemplate& ManagerTemplate() {
    const DialogTemplate* t = FindDialogTemplate(IDD_TIM_MANAGER);
    EXPECT_NE(t, nullptr);
    return *t;
}

// The manager opened on a list, with scripted message box and file chooser.
class TimManagerTest : public ::testing::Test {
  protected:
    void Open() {
        dlg.m_pTimList = &list;
        dlg.m_addTexture = [this](TimImage&& tim) { list.push_back(std::move(tim)); };
        dlg.m_removeTexture = [this](std::string_view name) { return RemoveTim(list, name); };
        host.Open(dlg);
    }
    std::vector<std::string> Lines() const { return host.Control(IDC_TIM_LIST)->lines; }
    // Adds `path` through the Add button, the chooser answering with it.
    void Add(const std::string& path) {
        files.Push(path);
        host.Click(IDC_TIM_ADD);
    }
    int LineOf(const std::string& text) const {
        const auto lines = Lines();
        const auto at = std::find(lines.begin(), lines.end(), text);
        return at == lines.end() ? -1 : static_cast<int>(at - lines.begin());
    }

    TimFileDir dir;
    HeadlessMessageBox box;
    ScopedMessageBox scopedBox{box};
    ScriptedFileChooser files;
    ScopedFileChooser scopedFiles{files};
    TimList list;
    CTimManagerDlg dlg{nullptr};
    HeadlessDialogHost host{ManagerTemplate()};
};

} // namespace

TEST_F(TimManagerTest, OpensWithOneSortedLinePerEntryWhileTheListKeepsItsOrder) {
    const auto b = dir.Write("b.tim", DirectTim(0, 0)), a = dir.Write("a.tim", DirectTim(0, 0)),
               c = dir.Write("C.tim", DirectTim(0, 0));
    for (const auto& path : {b, c, a})
        AddTimFile(list, path);
    Open();
    EXPECT_EQ(Lines(), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(list.front().fileName, b);
    EXPECT_EQ(list.back().fileName, a);
    EXPECT_EQ(dlg.TemplateId(), IDD_TIM_MANAGER);
}

TEST_F(TimManagerTest, AddAsksForATimFileAndAppendsItWithItsFullPath) {
    Open();
    const auto path = dir.Write("tex.tim", DirectTim(64, 0));
    Add(path);
    ASSERT_EQ(files.Requests().size(), 1u);
    EXPECT_EQ(files.Requests()[0].filter, "TIM Files (*.TIM)|*.TIM||");
    EXPECT_EQ(files.Requests()[0].defaultExtension, ".TIM");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().fileName, path);
    EXPECT_EQ(list.front().imageX, 64);
    EXPECT_EQ(Lines(), std::vector<std::string>{path});
    EXPECT_TRUE(box.Texts().empty());
}

TEST_F(TimManagerTest, AddCancelledOrUnreadableChangesNothing) {
    Open();
    host.Click(IDC_TIM_ADD); // the chooser has no answer: cancelled
    Add((dir.Path() / "missing.tim").string());
    TimSpec bad = DirectTim(0, 0);
    bad.id = 0x11;
    Add(dir.Write("bad.tim", bad));
    EXPECT_EQ(files.Requests().size(), 3u);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(box.Texts(), (std::vector<std::string>{"Could not open file", "Bad TIM ID"}));
}

TEST_F(TimManagerTest, TheSameFileAddedTwiceGivesTwoEntriesAndTwoLines) {
    Open();
    const auto path = dir.Write("tex.tim", DirectTim(0, 0));
    Add(path);
    Add(path);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{path, path}));
}

TEST_F(TimManagerTest, RemovingEitherDuplicateLineRemovesTheFirstAddedEntryAndOneLine) {
    const auto path = dir.Write("tex.tim", DirectTim(0, 0));
    for (int line : {0, 1}) {
        TimList duplicates;
        AddTimFile(duplicates, path);
        AddTimFile(duplicates, path);
        const TimImage* second = &duplicates.back();
        CTimManagerDlg manager(nullptr);
        manager.m_pTimList = &duplicates;
        manager.m_removeTexture = [&duplicates](std::string_view name) {
            return RemoveTim(duplicates, name);
        };
        HeadlessDialogHost h(ManagerTemplate());
        h.Open(manager);
        h.SelectLine(IDC_TIM_LIST, line);
        h.Click(IDC_TIM_REMOVE);
        ASSERT_EQ(duplicates.size(), 1u) << line;
        EXPECT_EQ(&duplicates.front(), second) << line;
        EXPECT_EQ(h.Control(IDC_TIM_LIST)->lines, std::vector<std::string>{path}) << line;
    }
}

TEST_F(TimManagerTest, DoneOnEitherDuplicateLineChoosesTheFirstAddedEntry) {
    const auto path = dir.Write("tex.tim", DirectTim(0, 0));
    AddTimFile(list, path);
    AddTimFile(list, path);
    for (int line : {0, 1}) {
        CTimManagerDlg manager(nullptr);
        manager.m_pTimList = &list;
        HeadlessDialogHost h(ManagerTemplate());
        h.Open(manager);
        h.SelectLine(IDC_TIM_LIST, line);
        h.PressEnter();
        EXPECT_EQ(h.Result(), IDOK) << line;
        EXPECT_EQ(manager.m_pChosen, &list.front()) << line;
    }
}

TEST_F(TimManagerTest, PathsDifferingOnlyInCaseAreSeparateEntries) {
    const auto lower = dir.Write("tex.tim", DirectTim(0, 0)), upper = dir.Write("TEX.tim", DirectTim(64, 0));
    Open();
    Add(lower);
    Add(upper);
    ASSERT_EQ(list.size(), 2u);
    host.SelectLine(IDC_TIM_LIST, LineOf(upper));
    host.Click(IDC_TIM_REMOVE);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().fileName, lower);
    EXPECT_EQ(Lines(), std::vector<std::string>{lower});

    Add(upper);
    host.SelectLine(IDC_TIM_LIST, LineOf(upper));
    host.PressEnter();
    ASSERT_NE(dlg.m_pChosen, nullptr);
    EXPECT_EQ(dlg.m_pChosen->fileName, upper);
    EXPECT_EQ(dlg.m_pChosen->imageX, 64);
}

TEST_F(TimManagerTest, RemoveWithoutASelectionDoesNothing) {
    AddTimFile(list, dir.Write("tex.tim", DirectTim(0, 0)));
    Open();
    host.Click(IDC_TIM_REMOVE);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(TimManagerTest, RemovingTheLastEntryLeavesAnEmptyList) {
    AddTimFile(list, dir.Write("tex.tim", DirectTim(0, 0)));
    Open();
    host.SelectLine(IDC_TIM_LIST, 0);
    host.Click(IDC_TIM_REMOVE);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(Lines().empty());
    host.PressEnter();
    EXPECT_EQ(dlg.m_pChosen, nullptr);
}

TEST_F(TimManagerTest, ATextureOnlyInMemoryIsListedAsNotSavedAndStillChosen) {
    const auto path = dir.Write("car.tim", DirectTim(0, 0));
    AddTimFile(list, path);
    AddTimFile(list, path);
    list.back().fileName = "/nowhere/import.tim";
    list.back().unsaved = true;
    Open();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"(not saved) /nowhere/import.tim", path}));
    host.SelectLine(IDC_TIM_LIST, 0);
    host.PressEnter();
    EXPECT_EQ(dlg.m_pChosen, &list.back());
}

TEST_F(TimManagerTest, DoneWithoutASelectionClosesWithOkAndNothingChosen) {
    AddTimFile(list, dir.Write("tex.tim", DirectTim(0, 0)));
    Open();
    host.PressEnter();
    EXPECT_TRUE(host.Ended());
    EXPECT_EQ(host.Result(), IDOK);
    EXPECT_EQ(dlg.m_pChosen, nullptr);
}

TEST_F(TimManagerTest, CancelClosesWithCancelAndChoosesNothing) {
    AddTimFile(list, dir.Write("tex.tim", DirectTim(0, 0)));
    Open();
    host.SelectLine(IDC_TIM_LIST, 0);
    host.PressEscape();
    EXPECT_EQ(host.Result(), IDCANCEL);
    EXPECT_EQ(dlg.m_pChosen, nullptr);
    EXPECT_EQ(list.size(), 1u);
}

namespace {

// A textured quad in object 0 of a loaded document, with a counting view.
struct TexturedDoc {
    TexturedDoc() : loaded(LoadBytes(Bytes())) {
        EXPECT_TRUE(loaded.ok);
        view.SetDocument(loaded.doc.get());
    }
    ~TexturedDoc() { view.SetDocument(nullptr); }
    static std::vector<std::uint8_t> Bytes() {
        TmdObjectSpec o;
        o.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
        // An unlit textured quad: four texture words (CLUT at (512, 480), page 7), a colour, four
        // vertex indices.
        o.packets = {PacketHeader(9, 7, 0x01, 0x2C),
                     Halves(0, 0x7820),
                     Halves(0, 0x0007),
                     Halves(0, 0),
                     Halves(0, 0),
                     0x00808080,
                     Halves(0, 1),
                     Halves(2, 3)};
        o.nPrimitive = 1;
        return BuildTmd({o}).data();
    }
    CPolyvaneDoc& doc() { return *loaded.doc; }
    LoadResult loaded;
    UpdateCounter view;
};

} // namespace

TEST(TimManagerCommand, RunsTheManagerOnTheDocumentsListAndRedrawsWhateverTheResult) {
    TimFileDir dir;
    const auto path = dir.Write("tex.tim", DirectTim(0, 0));
    ScriptedFileChooser files;
    ScopedFileChooser scopedFiles(files);
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    TexturedDoc d;
    files.Push(path);
    dialogs.Push([](HeadlessDialogHost& host) {
        host.Click(IDC_TIM_ADD);
        host.PressEscape();
    });
    EXPECT_TRUE(d.doc().OnCmdMsg(ID_TEXTURES_TIM_MANAGER, nullptr));
    ASSERT_EQ(d.doc().Textures().size(), 1u);
    EXPECT_EQ(d.doc().Textures().front().fileName, path);
    EXPECT_EQ(d.view.updates, 1);

    dialogs.Push([](HeadlessDialogHost& host) {
        EXPECT_EQ(host.ListGetCount(IDC_TIM_LIST), 1);
        host.PressEnter();
    });
    d.doc().OnCmdMsg(ID_TEXTURES_TIM_MANAGER, nullptr);
    EXPECT_EQ(d.view.updates, 2);
    EXPECT_EQ(dialogs.Opened(), (std::vector<int>{IDD_TIM_MANAGER, IDD_TIM_MANAGER}));
    EXPECT_FALSE(d.doc().IsModified());

    // Adding is a step of the history, but textures are not saved with the model.
    EXPECT_EQ(d.doc().History().UndoNames(), std::vector<std::string>{"Add Texture"});
    d.doc().OnCmdMsg(ID_EDIT_UNDO, nullptr);
    EXPECT_TRUE(d.doc().Textures().empty());
    d.doc().OnCmdMsg(ID_EDIT_REDO, nullptr);
    ASSERT_EQ(d.doc().Textures().size(), 1u);
    EXPECT_EQ(d.doc().Textures().front().fileName, path);
    EXPECT_FALSE(d.doc().IsModified());
}

TEST(TimManagerCommand, TheTextureViewCommandReachingTheDocumentDoesNothing) {
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    TexturedDoc d;
    const WorkPrimitive before = *d.doc().CurrentPrimitive();
    EXPECT_TRUE(d.doc().OnCmdMsg(ID_TEXTURES_VIEW, nullptr));
    EXPECT_TRUE(dialogs.Opened().empty());
    EXPECT_EQ(d.view.updates, 0);
    EXPECT_EQ(std::memcmp(&before, d.doc().CurrentPrimitive(), sizeof before), 0);
}

TEST(TimManagerCommand, SelectTimInTheModifierRunsTheManagerOnTheDocumentsTextures) {
    struct Case {
        const char* name;
        TimSpec tim;
        std::uint8_t tpage, pmode;
        std::uint16_t clutX, clutY;
    };
    const Case cases[] = {
        // An indexed texture brings its CLUT along.
        {"indexed.tim", IndexedTim(640, 256, 16, 500), 26, 1, 16, 500},
        // A direct-colour texture has none: the primitive's CLUT stays.
        {"direct.tim", DirectTim(128, 0), 2, 2, 512, 480},
    };
    for (const Case& c : cases) {
        TimFileDir dir;
        HeadlessDialogService dialogs;
        ScopedDialogService scoped(dialogs);
        TexturedDoc d;
        d.doc().AttachTexture(*OpenTimFile(dir.Write("other.tim", DirectTim(0, 0))));
        const auto path = dir.Write(c.name, c.tim);
        d.doc().AttachTexture(*OpenTimFile(path));
        ASSERT_EQ(d.doc().CurrentPrimitive()->clutX, 512);
        ASSERT_EQ(d.doc().CurrentPrimitive()->clutY, 480);
        dialogs.Push([](HeadlessDialogHost& host) {
            host.Click(IDC_SELECT_TIM);
            host.PressEnter();
        });
        dialogs.Push([&path](HeadlessDialogHost& host) {
            for (int line = 0; line < host.ListGetCount(IDC_TIM_LIST); ++line)
                if (host.ListGetText(IDC_TIM_LIST, line) == path)
                    host.SelectLine(IDC_TIM_LIST, line);
            host.PressEnter();
        });
        d.doc().OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr);
        EXPECT_EQ(dialogs.Opened(), (std::vector<int>{IDD_PRIM_MODIFIER, IDD_TIM_MANAGER})) << c.name;
        const WorkPrimitive& p = *d.doc().CurrentPrimitive();
        EXPECT_EQ(p.tpage, c.tpage) << c.name;
        EXPECT_EQ(p.pmode, c.pmode) << c.name;
        EXPECT_EQ(p.clutX, c.clutX) << c.name;
        EXPECT_EQ(p.clutY, c.clutY) << c.name;
        EXPECT_TRUE(d.doc().IsModified()) << c.name;
        EXPECT_EQ(d.doc().Textures().size(), 2u) << c.name;
    }
}
