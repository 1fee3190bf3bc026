// Picking a primitive with the slider, and the statistics fields.
#include "DialogTestSupport.h"
#include "WorkDocBuilder.h"
#include "dialogs/CSelectPrimDlg.h"
#include "dialogs/CStatsDlg.h"

using namespace polyvane;
using namespace polyvane::test;

namespace {

struct SliderState {
    int minimum, maximum, position, ticks;
};

SliderState OpenSelectPrim(std::int32_t position, std::int32_t maximum) {
    CSelectPrimDlg dlg;
    dlg.m_nPosition = position;
    dlg.m_nMaximum = maximum;
    HeadlessDialogHost host(TemplateOf(IDD_SELECT_PRIM));
    host.Open(dlg);
    const HeadlessControl* s = host.Control(IDC_PRIM_SLIDER);
    return {s->sliderMin, s->sliderMax, s->sliderPos, s->tickFrequency};
}

} // namespace

TEST(SelectPrimDlg, SliderRangeTicksAndThumbFollowTheObject) {
    const struct {
        std::int32_t position, maximum;
        SliderState expected;
    } cases[] = {
        {180, 249, {0, 249, 180, 24}}, // past the track bar's initial range of 0-100
        {0, 0, {0, 0, 0, 0}},          {5, 9, {0, 9, 5, 0}}, {10, 10, {0, 10, 10, 1}}, {3, 99, {0, 99, 3, 9}},
    };
    for (const auto& c : cases) {
        const SliderState s = OpenSelectPrim(c.position, c.maximum);
        EXPECT_EQ(s.minimum, c.expected.minimum);
        EXPECT_EQ(s.maximum, c.expected.maximum) << c.maximum;
        EXPECT_EQ(s.position, c.expected.position) << c.maximum;
        EXPECT_EQ(s.ticks, c.expected.ticks) << c.maximum;
    }
}

TEST(SelectPrimDlg, OkReadsTheSliderAndCancelDoesNot) {
    CSelectPrimDlg dlg;
    dlg.m_nPosition = 2;
    dlg.m_nMaximum = 20;
    HeadlessDialogHost host(TemplateOf(IDD_SELECT_PRIM));
    host.Open(dlg);
    host.DragSlider(IDC_PRIM_SLIDER, 17);
    host.PressEscape();
    EXPECT_EQ(host.Result(), IDCANCEL);
    EXPECT_EQ(dlg.m_nPosition, 2);

    CSelectPrimDlg again;
    again.m_nMaximum = 20;
    HeadlessDialogHost second(TemplateOf(IDD_SELECT_PRIM));
    second.Open(again);
    second.DragSlider(IDC_PRIM_SLIDER, 40); // the thumb stops at the end of the track
    second.PressEnter();
    EXPECT_EQ(second.Result(), IDOK);
    EXPECT_EQ(again.m_nPosition, 20);
}

TEST(SelectPrimDlg, TheTypedNumberIsAppliedAndOneOutOfRangeIsRefused) {
    const struct {
        const char* typed;
        bool closes;
        std::int32_t chosen; // when it closes
        const char* message; // when it does not
    } cases[] = {
        {"100", true, 100, nullptr},
        {" 0 ", true, 0, nullptr},
        {"250", false, 0, "Please enter an integer between 0 and 249."},
        {"-1", false, 0, "Please enter an integer between 0 and 249."},
        {"x", false, 0, "Please enter an integer."},
    };
    for (const auto& c : cases) {
        HeadlessMessageBox box;
        ScopedMessageBox scopedBox(box);
        CSelectPrimDlg dlg;
        dlg.m_nPosition = 7;
        dlg.m_nMaximum = 249;
        HeadlessDialogHost host(TemplateOf(IDD_SELECT_PRIM));
        host.Open(dlg);
        EXPECT_EQ(host.FocusedControl(), IDC_PRIM_INDEX) << c.typed;
        host.Type(IDC_PRIM_INDEX, c.typed);
        host.PressEnter();
        EXPECT_EQ(host.Ended(), c.closes) << c.typed;
        if (c.closes) {
            EXPECT_EQ(dlg.m_nPosition, c.chosen) << c.typed;
            EXPECT_EQ(host.Control(IDC_PRIM_SLIDER)->sliderPos, c.chosen) << c.typed;
            EXPECT_TRUE(box.Texts().empty()) << c.typed;
        } else {
            EXPECT_EQ(box.Texts(), std::vector<std::string>{c.message}) << c.typed;
            EXPECT_EQ(host.FocusedControl(), IDC_PRIM_INDEX) << c.typed;
        }
    }
}

TEST(SelectPrimCommand, OkMakesTheChosenPrimitiveCurrentAndRedrawsWithoutModifying) {
    DocWithView d(TrianglesTmd(250));
    d.doc().SelectPrimitive(180);
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    dialogs.Push([](HeadlessDialogHost& host) {
        const HeadlessControl* s = host.Control(IDC_PRIM_SLIDER);
        EXPECT_EQ(s->sliderMax, 249);
        EXPECT_EQ(s->sliderPos, 180);
        EXPECT_EQ(s->tickFrequency, 24);
        host.DragSlider(IDC_PRIM_SLIDER, 3);
        host.PressEnter();
    });
    EXPECT_TRUE(d.doc().OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr));
    EXPECT_EQ(dialogs.PendingScripts(), 0u);
    EXPECT_EQ(d.doc().CurrentPrimitiveIndex(), 3u);
    EXPECT_EQ(d.view.updates, 1);
    EXPECT_FALSE(d.doc().IsModified());
}

TEST(SelectPrimCommand, OnePrimitiveObjectChoosesIndexZero) {
    DocWithView d(TrianglesTmd(1));
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    dialogs.Push([](HeadlessDialogHost& host) {
        EXPECT_EQ(host.Control(IDC_PRIM_SLIDER)->sliderMax, 0);
        host.PressEnter();
    });
    d.doc().OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr);
    EXPECT_EQ(d.doc().CurrentPrimitiveIndex(), 0u);
}

TEST(SelectPrimCommand, CancelKeepsTheCurrentPrimitiveButStillRedraws) {
    DocWithView d(TrianglesTmd(5));
    d.doc().SelectPrimitive(4);
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    dialogs.Push([](HeadlessDialogHost& host) {
        host.DragSlider(IDC_PRIM_SLIDER, 1);
        host.PressEscape();
    });
    d.doc().OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr);
    EXPECT_EQ(d.doc().CurrentPrimitiveIndex(), 4u);
    EXPECT_EQ(d.view.updates, 1);
}

TEST(SelectPrimCommand, AnObjectWithoutPrimitivesDoesNotOpenIt) {
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    DocWithView d(TrianglesTmd(0));
    d.doc().OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr);
    CPolyvaneDoc empty;
    empty.OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr);
    EXPECT_TRUE(dialogs.Opened().empty());
    EXPECT_EQ(d.view.updates, 0);
}

TEST(StatsCommand, ShowsTheRecomputedExtentsAsSignedDecimals) {
    // Vertices (-32768, 0, 7) and (32767, -5, 0).
    DocWithView d(TrianglesTmd(2, {-32768, 0, 7, 32767, -5, 0}));
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    std::vector<std::string> shown;
    dialogs.Push([&shown](HeadlessDialogHost& host) {
        for (int id : {IDC_MIN_X, IDC_MAX_X, IDC_MIN_Y, IDC_MAX_Y, IDC_MIN_Z, IDC_MAX_Z})
            shown.push_back(host.GetControlText(id));
        host.PressEnter();
    });
    EXPECT_TRUE(d.doc().OnCmdMsg(ID_OBJECT_STATS, nullptr));
    EXPECT_EQ(dialogs.Opened(), std::vector<int>{IDD_STATS});
    EXPECT_EQ(shown, (std::vector<std::string>{"-32768", "32767", "-5", "0", "0", "7"}));
    EXPECT_FALSE(d.doc().IsModified());
}

TEST(StatsDlg, RepaintReplacesThePlaceholders) {
    const auto doc = test::MakeDoc({test::Record({{-3, 0, -32768}, {12, 0, 32767}, {0, 0, 0}})});
    CStatsDlg dlg;
    dlg.m_pDoc = doc.get();
    HeadlessDialogHost host(TemplateOf(IDD_STATS));
    EXPECT_EQ(host.GetControlText(IDC_MIN_X), "-32768");
    host.Open(dlg);
    const std::pair<int, const char*> fields[] = {
        {IDC_MIN_X, "-3"},
        {IDC_MIN_Y, "0"},
        {IDC_MIN_Z, "-32768"},
        {IDC_MAX_X, "12"},
        {IDC_MAX_Y, "0"},
        {IDC_MAX_Z, "32767"},
        {IDC_PACKET_COUNTS, "Polygons 1, lines 0, sprites 0, other 0"}};
    for (auto [id, text] : fields)
        EXPECT_EQ(host.GetControlText(id), text) << id;
}
