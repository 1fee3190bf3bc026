// The dialog framework: data exchange and its messages, the headless host's controls, the modal
// service and the common-dialog services.
#include "DialogIds.h"
#include "platform/CommonDialogs.h"
#include "platform/DataExchange.h"
#include "platform/HeadlessDialogHost.h"
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

using namespace polyvane;

TEST(DataExchange, WholeNumbersAreDigitsWithOptionalSignAndBlanks) {
    const struct {
        const char* text;
        bool ok;
        std::int64_t value;
    } cases[] = {
        {"0", true, 0},    {"42", true, 42},   {" 7\t", true, 7}, {"-12", true, -12},
        {"+3", true, 3},   {"", false, 0},     {" ", false, 0},   {"-", false, 0},
        {"1 2", false, 0}, {"0x10", false, 0}, {"12a", false, 0}, {"1.5", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t value = -99;
        EXPECT_EQ(ParseWholeNumber(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    std::int64_t huge = 0;
    EXPECT_TRUE(ParseWholeNumber("123456789012345678901234567890", huge));
    EXPECT_GT(huge, std::int64_t{1} << 40);
}

TEST(DataExchange, RangeMessageNamesBothEnds) {
    EXPECT_EQ(IntegerRangeMessage(0, 1023), "Please enter an integer between 0 and 1023.");
    EXPECT_EQ(IntegerRangeMessage(-5, 5), "Please enter an integer between -5 and 5.");
    EXPECT_EQ(kMsgEnterInteger, "Please enter an integer.");
}

namespace {

// A dialog over the modifier's template with one bound value of each width.
class BoundDialog : public CDialog {
  public:
    BoundDialog() : CDialog(IDD_PRIM_MODIFIER) {}
    std::int32_t m_wide = 5;
    std::uint8_t m_byte = 200;

  protected:
    void DoDataExchange(CDataExchange& dx) override {
        DDX_Text(dx, IDC_CLUT_X, m_wide);
        DDV_MinMaxInt(dx, m_wide, -10, 10);
        DDX_Text(dx, IDC_TPAGE, m_byte);
        DDV_MinMaxByte(dx, m_byte, 0, 250);
    }
};

} // namespace

TEST(DataExchange, LoadingWritesDecimalsAndSavingReadsThemBack) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    BoundDialog dlg;
    HeadlessDialogHost host(*FindDialogTemplate(IDD_PRIM_MODIFIER));
    host.Open(dlg);
    EXPECT_EQ(host.GetControlText(IDC_CLUT_X), "5");
    EXPECT_EQ(host.GetControlText(IDC_TPAGE), "200");
    host.Type(IDC_CLUT_X, "-10");
    host.Type(IDC_TPAGE, "250");
    host.PressEnter();
    EXPECT_EQ(host.Result(), IDOK);
    EXPECT_EQ(dlg.m_wide, -10);
    EXPECT_EQ(dlg.m_byte, 250);
    EXPECT_TRUE(box.Texts().empty());
}

TEST(DataExchange, TheFirstFailureStopsTheExchange) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    BoundDialog dlg;
    HeadlessDialogHost host(*FindDialogTemplate(IDD_PRIM_MODIFIER));
    host.Open(dlg);
    host.Type(IDC_CLUT_X, "11");
    host.Type(IDC_TPAGE, "bad");
    host.PressEnter();
    EXPECT_FALSE(host.Ended());
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Please enter an integer between -10 and 10."});
    EXPECT_EQ(host.FocusedControl(), IDC_CLUT_X);
    EXPECT_EQ(dlg.m_byte, 200);
    box.Clear();
    host.Type(IDC_CLUT_X, "1");
    host.Type(IDC_TPAGE, "256"); // beyond a byte: still the field's range that is named
    host.PressEnter();
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Please enter an integer between 0 and 250."});
    EXPECT_EQ(host.FocusedControl(), IDC_TPAGE);
}

TEST(HeadlessDialogHost, BuildsEveryAddressedControlOfItsTemplate) {
    for (int id : {IDD_SELECT_PRIM, IDD_TIM_MANAGER, IDD_PRIM_MODIFIER, IDD_STATS}) {
        const DialogTemplate* t = FindDialogTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        HeadlessDialogHost host(*t);
        for (const DialogControl& c : t->controls) {
            if (c.id == IDC_STATIC)
                continue;
            ASSERT_TRUE(host.HasControl(c.id)) << c.id;
            EXPECT_EQ(host.KindOf(c.id), c.kind);
            EXPECT_EQ(host.GetControlText(c.id), c.text);
        }
        EXPECT_FALSE(host.HasControl(IDC_STATIC));
    }
    EXPECT_EQ(FindDialogTemplate(999), nullptr);
}

TEST(HeadlessDialogHost, SortedListBoxKeepsAlphabeticalOrderAndTracksTheSelection) {
    HeadlessDialogHost host(*FindDialogTemplate(IDD_TIM_MANAGER));
    EXPECT_EQ(host.ListAddString(IDC_TIM_LIST, "/b/tex.tim"), 0);
    EXPECT_EQ(host.ListAddString(IDC_TIM_LIST, "/a/tex.tim"), 0);
    EXPECT_EQ(host.ListAddString(IDC_TIM_LIST, "/B/TEX.TIM"), 1); // before "/b/tex.tim", after "/a/..."
    EXPECT_EQ(host.ListAddString(IDC_TIM_LIST, "/a/tex.tim"), 1); // duplicates go after their twin
    EXPECT_EQ(host.ListGetCount(IDC_TIM_LIST), 4);
    EXPECT_EQ(host.ListGetCurSel(IDC_TIM_LIST), -1);
    host.SelectLine(IDC_TIM_LIST, 3);
    EXPECT_EQ(host.ListGetText(IDC_TIM_LIST, 3), "/b/tex.tim");
    host.ListDeleteString(IDC_TIM_LIST, 0);
    EXPECT_EQ(host.ListGetCurSel(IDC_TIM_LIST), 2);
    host.ListDeleteString(IDC_TIM_LIST, 2);
    EXPECT_EQ(host.ListGetCurSel(IDC_TIM_LIST), -1);
    EXPECT_EQ(host.ListGetText(IDC_TIM_LIST, 7), "");
}

TEST(HeadlessDialogHost, RadioGroupsAreSeparateAndDisabledControlsIgnoreTheUser) {
    CDialog dlg(IDD_PRIM_MODIFIER);
    HeadlessDialogHost host(*FindDialogTemplate(IDD_PRIM_MODIFIER));
    host.Open(dlg);
    host.Click(IDC_MODE_8BIT);
    host.Click(IDC_ABR_ADDITION);
    host.Click(IDC_MODE_4BIT);
    EXPECT_EQ(host.GetCheck(IDC_MODE_8BIT), BST_UNCHECKED);
    EXPECT_EQ(host.GetCheck(IDC_MODE_4BIT), BST_CHECKED);
    EXPECT_EQ(host.GetCheck(IDC_ABR_ADDITION), BST_CHECKED);
    host.EnableControl(IDC_GOURAUD, false);
    host.Click(IDC_GOURAUD);
    EXPECT_EQ(host.GetCheck(IDC_GOURAUD), BST_UNCHECKED);
    host.EnableControl(IDC_TPAGE, false);
    host.Type(IDC_TPAGE, "9");
    EXPECT_EQ(host.GetControlText(IDC_TPAGE), "");
    host.Click(IDC_CLUT_X); // an edit sends no click
    EXPECT_FALSE(host.Ended());
}

TEST(HeadlessDialogService, RunsScriptsInOrderAndCancelsUnscriptedDialogs) {
    HeadlessDialogService service;
    ScopedDialogService scoped(service);
    service.Push([](HeadlessDialogHost& host) { host.PressEnter(); });
    CDialog first(IDD_STATS), second(IDD_SELECT_PRIM), missing(4242);
    EXPECT_EQ(first.DoModal(), IDOK);
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(service.Opened(), (std::vector<int>{IDD_STATS, IDD_SELECT_PRIM}));
    EXPECT_EQ(first.GetHost(), nullptr);
}

TEST(CommonDialogs, ScriptedChoosersAnswerInOrderAndRecordTheRequests) {
    ScriptedColorChooser colours;
    ScopedColorChooser scopedColours(colours);
    colours.Push(RGB(1, 2, 3));
    CColorDialog pick(RGB(9, 9, 9));
    EXPECT_EQ(pick.DoModal(), IDOK);
    EXPECT_EQ(pick.GetColor(), RGB(1, 2, 3));
    CColorDialog cancelled(RGB(4, 5, 6));
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetColor(), RGB(4, 5, 6));
    EXPECT_EQ(colours.Requests(), (std::vector<COLORREF>{RGB(9, 9, 9), RGB(4, 5, 6)}));

    ScriptedFileChooser files;
    ScopedFileChooser scopedFiles(files);
    files.Push("/data/a.tim");
    CFileDialog open("TIM", "TIM Files (*.TIM)|*.TIM||");
    EXPECT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), "/data/a.tim");
    EXPECT_EQ(CFileDialog("TIM", "x").DoModal(), IDCANCEL);
    ASSERT_EQ(files.Requests().size(), 2u);
    EXPECT_EQ(files.Requests()[0].filter, "TIM Files (*.TIM)|*.TIM||");
    EXPECT_EQ(files.Requests()[0].defaultExtension, "TIM");
}
