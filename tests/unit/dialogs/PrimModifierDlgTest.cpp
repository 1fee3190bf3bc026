// The primitive modifier's logic against a headless host: what each refresh shows and enables, what
// each control does to the working copy, and what OK and Cancel leave in the document.
#include "DialogTestSupport.h"
#include "dialogs/CPrimModifierDlg.h"
#include "platform/CommonDialogs.h"
#include "platform/DataExchange.h"

#include <cstring>
#include <list>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr std::uint16_t Q = PA_QUAD, S = PA_GOURAUD, G = PA_GRADATION, L = PA_LIGHT, T = PA_TEXTURED;

WorkPrimitive MakePrimitive(std::uint16_t attr) {
    WorkPrimitive p{};
    p.attr = attr;
    p.colour[0] = 0x000000FF;
    p.colour[1] = 0x0000FF00;
    p.colour[2] = 0x00FF0000;
    p.colour[3] = 0x00808080;
    p.tpage = 7;
    p.clutX = 320;
    p.clutY = 480;
    p.pmode = 1;
    p.abr = 2;
    return p;
}

// The modifier opened on one record, with scripted message box, colour chooser and TIM picker.
class Modifier {
  public:
    explicit Modifier(std::uint16_t attr) : before(MakePrimitive(attr)) {
        dlg.m_work = before;
        dlg.m_pickTim = [this]() -> std::optional<TimTextureSettings> {
            ++timRuns;
            return tim;
        };
        host.Open(dlg);
    }
    bool Enabled(int id) const { return host.IsControlEnabled(id); }
    std::string Text(int id) const { return host.GetControlText(id); }
    bool Checked(int id) const { return host.GetCheck(id) == BST_CHECKED; }
    // The record the caller takes: the edited one after OK, else the one it had.
    const WorkPrimitive& Target() const {
        return host.Ended() && host.Result() == IDOK ? dlg.m_work : before;
    }
    bool TargetUnchanged() const { return std::memcmp(&Target(), &before, sizeof before) == 0; }

    HeadlessMessageBox box;
    ScopedMessageBox scopedBox{box};
    ScriptedColorChooser colours;
    ScopedColorChooser scopedColours{colours};
    const WorkPrimitive before;
    std::optional<TimTextureSettings> tim;
    int timRuns = 0;
    CPrimModifierDlg dlg;
    HeadlessDialogHost host{TemplateOf(IDD_PRIM_MODIFIER)};
};

struct SwatchCase {
    const char* name;
    std::uint16_t attr;
    bool v0, v1, v2, v3;
};

const SwatchCase kSwatchCases[] = {
    {"lit textured quad", L | T | S | G | Q, false, false, false, false},
    {"flat unlit triangle", 0, true, false, false, false},
    {"flat unlit quad", Q, true, false, false, false},
    {"gouraud unlit triangle", S, true, true, true, false},
    {"gouraud unlit quad", S | Q, true, true, true, true},
    {"lit gradation triangle", L | G, true, true, true, false},
    {"lit gradation quad", L | G | Q, true, true, true, true},
    {"lit quad without gradation", L | S | Q, true, false, false, false},
    {"unlit textured gouraud quad", T | S | Q, true, true, true, true},
    {"unlit textured flat quad", T | Q, true, false, false, false},
    {"lit textured triangle", L | T, false, false, false, false},
};

} // namespace

TEST(PrimModifierDlg, SwatchesAndLabelsFollowLightingTextureGradationAndShading) {
    for (const SwatchCase& c : kSwatchCases) {
        SCOPED_TRACE(c.name);
        Modifier m(c.attr);
        const bool expected[4] = {c.v0, c.v1, c.v2, c.v3};
        const int swatches[4] = {IDC_SWATCH_V0, IDC_SWATCH_V1, IDC_SWATCH_V2, IDC_SWATCH_V3};
        const int labels[4] = {IDC_LABEL_V0, IDC_LABEL_V1, IDC_LABEL_V2, IDC_LABEL_V3};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(m.Enabled(swatches[k]), expected[k]) << "swatch " << k;
            EXPECT_EQ(m.Enabled(labels[k]), expected[k]) << "label " << k;
            EXPECT_EQ(m.host.Control(swatches[k])->fillRect.has_value(), expected[k]) << "fill " << k;
        }
        EXPECT_EQ(m.Text(IDC_LABEL_V0), c.v1 ? " V0" : "Prim");
        EXPECT_EQ(m.Text(IDC_LABEL_V1), "V1");
    }
}

TEST(PrimModifierDlg, ATriangleNeverEnablesV3) {
    for (std::uint16_t attr = 0; attr < 0x100; attr = static_cast<std::uint16_t>(attr + 2)) {
        Modifier m(attr);
        EXPECT_FALSE(m.Enabled(IDC_SWATCH_V3)) << "attr " << attr;
        EXPECT_FALSE(m.Enabled(IDC_LABEL_V3)) << "attr " << attr;
    }
}

TEST(PrimModifierDlg, EnabledSwatchesAreFilledWithTheirColoursV1InsideAMargin) {
    Modifier m(S | Q);
    const HeadlessControl* v0 = m.host.Control(IDC_SWATCH_V0);
    const HeadlessControl* v1 = m.host.Control(IDC_SWATCH_V1);
    const HeadlessControl* v3 = m.host.Control(IDC_SWATCH_V3);
    EXPECT_EQ(*v0->fillRect, v0->client);
    EXPECT_EQ(v0->fillColour, 0x000000FFu);
    EXPECT_EQ(*v1->fillRect, (CRect{2, 2, v1->client.right - 2, v1->client.bottom - 2}));
    EXPECT_EQ(v1->fillColour, 0x0000FF00u);
    EXPECT_EQ(*v3->fillRect, v3->client);
    EXPECT_EQ(v3->fillColour, 0x00808080u);
}

TEST(PrimModifierDlg, OpeningShowsTheTextureFieldsAndTheFirstRepaintTheAttributes) {
    Modifier m(L | G | S | PA_DOUBLE | PA_BRIGHTNESS);
    EXPECT_EQ(m.Text(IDC_TPAGE), "7");
    EXPECT_EQ(m.Text(IDC_CLUT_X), "320");
    EXPECT_EQ(m.Text(IDC_CLUT_Y), "480");
    const std::pair<int, bool> checks[] = {
        {IDC_GOURAUD, true},   {IDC_GRADATION, true},  {IDC_LIGHTSOURCED, true}, {IDC_DOUBLE_SIDED, true},
        {IDC_TEXTURED, false}, {IDC_BRIGHTNESS, true}, {IDC_TRANSLUCENT, false},
    };
    for (auto [id, checked] : checks) {
        EXPECT_EQ(m.Checked(id), checked) << id;
        EXPECT_TRUE(m.Enabled(id)) << id;
    }
    EXPECT_EQ(m.host.Repaints(), 1);
}

TEST(PrimModifierDlg, WithoutTextureTheTextureControlsAreDisabledAndRadioChecksUntouched) {
    Modifier m(S);
    for (int id : {IDC_TEXTURE_GROUP, IDC_COLOUR_MODE_GROUP, IDC_TRANSPARENCY_GROUP, IDC_TPAGE, IDC_CLUT_X,
                   IDC_CLUT_Y, IDC_MODE_4BIT, IDC_MODE_8BIT, IDC_MODE_15BIT, IDC_ABR_NORMAL, IDC_ABR_ADDITION,
                   IDC_ABR_SUBTRACTION, IDC_ABR_QUARTER})
        EXPECT_FALSE(m.Enabled(id)) << id;
    for (int id : {IDC_MODE_4BIT, IDC_MODE_8BIT, IDC_MODE_15BIT, IDC_ABR_NORMAL, IDC_ABR_SUBTRACTION})
        EXPECT_FALSE(m.Checked(id)) << id;
    for (int id : {IDC_SELECT_TIM, IDOK, IDCANCEL})
        EXPECT_TRUE(m.Enabled(id)) << id;
}

TEST(PrimModifierDlg, TexturedShowsColourModeAndTransparencyChecks) {
    Modifier m(T | S);
    EXPECT_TRUE(m.Checked(IDC_MODE_8BIT));
    EXPECT_FALSE(m.Checked(IDC_MODE_4BIT));
    EXPECT_TRUE(m.Checked(IDC_ABR_SUBTRACTION));
    EXPECT_FALSE(m.Checked(IDC_ABR_NORMAL));
    for (int id : {IDC_TEXTURE_GROUP, IDC_TPAGE, IDC_CLUT_X, IDC_CLUT_Y, IDC_MODE_4BIT, IDC_ABR_QUARTER})
        EXPECT_TRUE(m.Enabled(id)) << id;
}

TEST(PrimModifierDlg, ClearingGradationDisablesV1ToV3AtOnce) {
    Modifier m(L | G | Q);
    EXPECT_TRUE(m.Enabled(IDC_SWATCH_V3));
    EXPECT_EQ(m.Text(IDC_LABEL_V0), " V0");
    m.host.Click(IDC_GRADATION);
    EXPECT_EQ(m.dlg.m_work.attr, L | Q);
    for (int id : {IDC_SWATCH_V1, IDC_SWATCH_V2, IDC_SWATCH_V3, IDC_LABEL_V1})
        EXPECT_FALSE(m.Enabled(id)) << id;
    EXPECT_TRUE(m.Enabled(IDC_SWATCH_V0));
    EXPECT_EQ(m.Text(IDC_LABEL_V0), "Prim");
}

TEST(PrimModifierDlg, ClearingLightsourcedDisablesGradationButKeepsItsBitAndCheck) {
    Modifier m(L | G);
    m.host.Click(IDC_LIGHTSOURCED);
    EXPECT_FALSE(m.Enabled(IDC_GRADATION));
    EXPECT_TRUE(m.Checked(IDC_GRADATION));
    EXPECT_EQ(m.dlg.m_work.attr, G);
}

TEST(PrimModifierDlg, CheckBoxesSetAndClearOnlyTheirBitAndRepaintOnlyWhenEnablingDepends) {
    struct Case {
        int id;
        std::uint16_t bit;
        bool repaints;
    };
    const Case cases[] = {
        {IDC_GOURAUD, PA_GOURAUD, true},          {IDC_GRADATION, PA_GRADATION, true},
        {IDC_LIGHTSOURCED, PA_LIGHT, true},       {IDC_TEXTURED, PA_TEXTURED, true},
        {IDC_DOUBLE_SIDED, PA_DOUBLE, false},     {IDC_BRIGHTNESS, PA_BRIGHTNESS, false},
        {IDC_TRANSLUCENT, PA_TRANSLUCENT, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Modifier m(static_cast<std::uint16_t>(0xAB00 | L)); // high bits must survive
        const int repaints = m.host.Repaints();
        m.host.Click(c.id);
        EXPECT_EQ(m.dlg.m_work.attr, static_cast<std::uint16_t>((0xAB00 | L) ^ c.bit));
        EXPECT_EQ(m.host.Repaints(), repaints + (c.repaints ? 1 : 0));
        m.host.Click(c.id);
        EXPECT_EQ(m.dlg.m_work.attr, 0xAB00 | L);
    }
}

TEST(PrimModifierDlg, ClearingTexturedKeepsTheShownValuesAndOkStillWritesThem) {
    Modifier m(T | S);
    m.host.Type(IDC_TPAGE, "12");
    m.host.Click(IDC_TEXTURED);
    for (int id : {IDC_TEXTURE_GROUP, IDC_COLOUR_MODE_GROUP, IDC_TRANSPARENCY_GROUP, IDC_TPAGE, IDC_CLUT_X,
                   IDC_CLUT_Y, IDC_MODE_8BIT, IDC_ABR_SUBTRACTION})
        EXPECT_FALSE(m.Enabled(id)) << id;
    EXPECT_TRUE(m.Checked(IDC_MODE_8BIT));
    EXPECT_EQ(m.Text(IDC_TPAGE), "12");
    m.host.PressEnter();
    ASSERT_TRUE(m.host.Ended());
    EXPECT_EQ(m.host.Result(), IDOK);
    EXPECT_EQ(m.Target().attr, S);
    EXPECT_EQ(m.Target().tpage, 12);
    EXPECT_EQ(m.Target().clutX, 320);
    EXPECT_EQ(m.Target().clutY, 480);
}

TEST(PrimModifierDlg, FifteenBitDisablesTheClutEditsWhichAreStillValidatedAndWritten) {
    Modifier m(T);
    m.host.Click(IDC_MODE_15BIT);
    EXPECT_EQ(m.dlg.m_work.pmode, 2);
    EXPECT_FALSE(m.Enabled(IDC_CLUT_X));
    EXPECT_FALSE(m.Enabled(IDC_CLUT_Y));
    EXPECT_TRUE(m.Enabled(IDC_TPAGE));
    EXPECT_TRUE(m.Checked(IDC_MODE_15BIT));
    EXPECT_FALSE(m.Checked(IDC_MODE_8BIT));

    // The user cannot type into a disabled edit; what it held before still counts.
    m.host.Click(IDC_MODE_4BIT);
    m.host.Type(IDC_CLUT_Y, "600");
    m.host.Click(IDC_MODE_15BIT);
    m.host.PressEnter();
    EXPECT_FALSE(m.host.Ended());
    EXPECT_EQ(m.box.Texts(), std::vector<std::string>{"Please enter an integer between 0 and 511."});
    EXPECT_EQ(m.host.FocusedControl(), IDC_CLUT_Y);

    m.host.Click(IDC_MODE_4BIT);
    m.host.Type(IDC_CLUT_Y, "96");
    m.host.Click(IDC_MODE_15BIT);
    m.host.PressEnter();
    ASSERT_TRUE(m.host.Ended());
    EXPECT_EQ(m.Target().pmode, 2);
    EXPECT_EQ(m.Target().clutY, 96);
}

TEST(PrimModifierDlg, RadioButtonsStoreModesAndOnlyColourModeRepaints) {
    Modifier m(T);
    const std::pair<int, int> abr[] = {
        {IDC_ABR_NORMAL, 0}, {IDC_ABR_ADDITION, 1}, {IDC_ABR_SUBTRACTION, 2}, {IDC_ABR_QUARTER, 3}};
    for (auto [id, value] : abr) {
        const int repaints = m.host.Repaints();
        m.host.Click(id);
        EXPECT_EQ(m.dlg.m_work.abr, value);
        EXPECT_EQ(m.host.Repaints(), repaints);
    }
    const std::pair<int, int> modes[] = {{IDC_MODE_4BIT, 0}, {IDC_MODE_8BIT, 1}, {IDC_MODE_15BIT, 2}};
    for (auto [id, value] : modes) {
        const int repaints = m.host.Repaints();
        m.host.Click(id);
        EXPECT_EQ(m.dlg.m_work.pmode, value);
        EXPECT_EQ(m.host.Repaints(), repaints + 1);
    }
    // The two radio groups do not clear each other.
    EXPECT_TRUE(m.Checked(IDC_ABR_QUARTER));
    EXPECT_TRUE(m.Checked(IDC_MODE_15BIT));
}

TEST(PrimModifierDlg, SwatchClickOpensTheChooserPresetAndStoresTheChosenColour) {
    Modifier m(S | Q);
    m.colours.Push(0x00123456);
    m.colours.Push(std::nullopt);
    const int repaints = m.host.Repaints();
    m.host.Click(IDC_SWATCH_V2);
    m.host.Click(IDC_SWATCH_V3);
    EXPECT_EQ(m.colours.Requests(), (std::vector<COLORREF>{0x00FF0000, 0x00808080}));
    EXPECT_EQ(m.dlg.m_work.colour[2], 0x00123456u);
    EXPECT_EQ(m.dlg.m_work.colour[3], 0x00808080u);
    EXPECT_EQ(m.host.Repaints(), repaints + 2);
    EXPECT_EQ(m.host.Control(IDC_SWATCH_V2)->fillColour, 0x00123456u);
    EXPECT_TRUE(m.TargetUnchanged());
}

TEST(PrimModifierDlg, ADisabledSwatchIgnoresClicks) {
    Modifier m(0);
    m.host.Click(IDC_SWATCH_V1);
    EXPECT_TRUE(m.colours.Requests().empty());
}

TEST(PrimModifierDlg, SelectTimTakesColourModeClutAndTexturePageAndRewritesTheEdits) {
    Modifier m(T);
    m.host.Type(IDC_TPAGE, "3");
    m.tim = TimTextureSettings{1, true, 16, 500, 640, 256};
    m.host.Click(IDC_SELECT_TIM);
    EXPECT_EQ(m.timRuns, 1);
    EXPECT_EQ(m.dlg.m_work.tpage, 26);
    EXPECT_EQ(m.dlg.m_work.pmode, 1);
    EXPECT_EQ(m.dlg.m_work.clutX, 16);
    EXPECT_EQ(m.dlg.m_work.clutY, 500);
    EXPECT_EQ(m.Text(IDC_TPAGE), "26");
    EXPECT_EQ(m.Text(IDC_CLUT_X), "16");
    EXPECT_EQ(m.Text(IDC_CLUT_Y), "500");
    EXPECT_EQ(m.dlg.m_work.attr, T);
    EXPECT_EQ(m.dlg.m_work.abr, 2);
}

TEST(PrimModifierDlg, SelectTimWithADirectColourTimKeepsTheClut) {
    Modifier m(T);
    m.tim = TimTextureSettings{2, false, 999, 999, 0, 0};
    m.host.Click(IDC_SELECT_TIM);
    EXPECT_EQ(m.dlg.m_work.pmode, 2);
    EXPECT_EQ(m.dlg.m_work.clutX, 320);
    EXPECT_EQ(m.dlg.m_work.clutY, 480);
    EXPECT_EQ(m.dlg.m_work.tpage, 0);
    EXPECT_TRUE(m.Checked(IDC_MODE_15BIT));
    EXPECT_FALSE(m.Enabled(IDC_CLUT_X));
}

TEST(PrimModifierDlg, SelectTimWithA24BitTimChecksNoColourMode) {
    Modifier m(T);
    m.tim = TimTextureSettings{3, false, 0, 0, 64, 0};
    m.host.Click(IDC_SELECT_TIM);
    EXPECT_EQ(m.dlg.m_work.pmode, 3);
    EXPECT_EQ(m.dlg.m_work.tpage, 1);
    for (int id : {IDC_MODE_4BIT, IDC_MODE_8BIT, IDC_MODE_15BIT})
        EXPECT_FALSE(m.Checked(id)) << id;
}

TEST(PrimModifierDlg, SelectTimWithoutAChoiceChangesNothingButRepaints) {
    Modifier m(T);
    m.host.Type(IDC_TPAGE, "3");
    const WorkPrimitive work = m.dlg.m_work;
    const int repaints = m.host.Repaints();
    m.host.Click(IDC_SELECT_TIM);
    EXPECT_EQ(m.timRuns, 1);
    EXPECT_EQ(std::memcmp(&work, &m.dlg.m_work, sizeof work), 0);
    EXPECT_EQ(m.Text(IDC_TPAGE), "3");
    EXPECT_EQ(m.host.Repaints(), repaints + 1);
}

TEST(PrimModifierDlg, TexturePageOfAFrameBufferPoint) {
    const struct {
        std::uint16_t x, y;
        int page;
    } cases[] = {{0, 0, 0}, {63, 255, 0}, {64, 0, 1}, {640, 256, 26}, {1023, 511, 31}, {0xFFFF, 0xFFFF, 239}};
    for (const auto& c : cases)
        EXPECT_EQ(TexturePageAt(c.x, c.y), c.page) << c.x << "," << c.y;
}

TEST(PrimModifierDlg, TimSettingsAreReadFromAnyTextureRecord) {
    struct Record {
        int pixelMode = 9;
        bool hasClut = true;
        int clutX = 1, clutY = 2, imageX = 3, imageY = 4;
    } record;
    const TimTextureSettings s = TimTextureSettingsOf(record);
    EXPECT_EQ(s.pixelMode, 9);
    EXPECT_TRUE(s.hasClut);
    EXPECT_EQ(s.clutX, 1);
    EXPECT_EQ(s.clutY, 2);
    EXPECT_EQ(s.imageX, 3);
    EXPECT_EQ(s.imageY, 4);
}

namespace {

struct FakeTim {
    std::string fileName;
    int pixelMode;
    bool hasClut;
    int clutX, clutY, imageX, imageY;
};

// A manager with the texture manager's contract: the list in, the chosen position out on OK.
class FakeTimManagerDlg : public CDialog {
  public:
    explicit FakeTimManagerDlg(void* parent) : CDialog(IDD_TIM_MANAGER, parent) {}
    bool OnInitDialog() override {
        for (const FakeTim& tim : *m_pTimList)
            GetHost()->ListAddString(IDC_TIM_LIST, tim.fileName);
        return true;
    }
    void OnOK() override {
        m_pChosen.reset();
        const int line = GetHost()->ListGetCurSel(IDC_TIM_LIST);
        const std::string text = GetHost()->ListGetText(IDC_TIM_LIST, line);
        for (auto it = m_pTimList->begin(); line >= 0 && it != m_pTimList->end(); ++it)
            if (it->fileName == text) {
                m_pChosen = it;
                break;
            }
        EndDialog(IDOK);
    }
    std::list<FakeTim>* m_pTimList = nullptr;
    std::optional<std::list<FakeTim>::iterator> m_pChosen;
};

} // namespace

TEST(PrimModifierDlg, SelectTimThroughTheManagerTakesTheChosenEntryOnly) {
    std::list<FakeTim> tims = {{"/z.tim", 0, true, 16, 480, 640, 256}, {"/a.tim", 2, false, 0, 0, 0, 0}};
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    const TimPicker pick = TimManagerPicker<FakeTimManagerDlg>(tims);
    dialogs.Push([](HeadlessDialogHost& host) {
        EXPECT_EQ(host.ListGetText(IDC_TIM_LIST, 1), "/z.tim");
        host.SelectLine(IDC_TIM_LIST, 1);
        host.PressEnter();
    });
    dialogs.Push([](HeadlessDialogHost& host) { host.PressEnter(); }); // "Done" without a line
    dialogs.Push([](HeadlessDialogHost& host) {
        host.SelectLine(IDC_TIM_LIST, 0);
        host.PressEscape();
    });
    const std::optional<TimTextureSettings> chosen = pick();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->pixelMode, 0);
    EXPECT_EQ(TexturePageAt(chosen->imageX, chosen->imageY), 26);
    EXPECT_EQ(chosen->clutY, 480);
    EXPECT_FALSE(pick().has_value());
    EXPECT_FALSE(pick().has_value());
    EXPECT_EQ(dialogs.Opened(), (std::vector<int>{IDD_TIM_MANAGER, IDD_TIM_MANAGER, IDD_TIM_MANAGER}));

    // A chosen position that is a plain pointer serves as well.
    struct PointerManager : CDialog {
        explicit PointerManager(void*) : CDialog(IDD_TIM_MANAGER) {}
        void OnOK() override {
            m_pChosen = &m_pTimList->back();
            EndDialog(IDOK);
        }
        std::list<FakeTim>* m_pTimList = nullptr;
        const FakeTim* m_pChosen = nullptr;
    };
    dialogs.Push([](HeadlessDialogHost& host) { host.PressEnter(); });
    EXPECT_EQ(TimManagerPicker<PointerManager>(tims)()->pixelMode, 2);
}

TEST(PrimModifierDlg, InvalidFieldsOnOkShowOneMessageFocusTheFieldAndKeepTheDialogOpen) {
    struct Case {
        const char* clutX;
        const char* clutY;
        const char* tpage;
        const char* message;
        int focus;
    };
    const std::string range1023 = "Please enter an integer between 0 and 1023.";
    const Case cases[] = {
        {"1024", "0", "0", "Please enter an integer between 0 and 1023.", IDC_CLUT_X},
        {"", "0", "0", "Please enter an integer.", IDC_CLUT_X},
        {"12a", "0", "0", "Please enter an integer.", IDC_CLUT_X},
        {"-1", "0", "0", "Please enter an integer between 0 and 1023.", IDC_CLUT_X},
        {"99999999999999999999", "0", "0", "Please enter an integer between 0 and 1023.", IDC_CLUT_X},
        {"0", "512", "0", "Please enter an integer between 0 and 511.", IDC_CLUT_Y},
        {"0", "0", "32", "Please enter an integer between 0 and 31.", IDC_TPAGE},
        {"0", "0", "300", "Please enter an integer between 0 and 31.", IDC_TPAGE},
        {"0", "0", "x", "Please enter an integer.", IDC_TPAGE},
        {"2000", "x", "300", "Please enter an integer between 0 and 1023.", IDC_CLUT_X}, // first one only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clutX) + "/" + c.clutY + "/" + c.tpage);
        Modifier m(T);
        m.host.Type(IDC_CLUT_X, c.clutX);
        m.host.Type(IDC_CLUT_Y, c.clutY);
        m.host.Type(IDC_TPAGE, c.tpage);
        m.host.Click(IDC_DOUBLE_SIDED);
        m.host.PressEnter();
        EXPECT_FALSE(m.host.Ended());
        EXPECT_EQ(m.box.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(m.host.FocusedControl(), c.focus);
        EXPECT_TRUE(m.TargetUnchanged());
        m.host.PressEscape();
        EXPECT_EQ(m.host.Result(), IDCANCEL);
        EXPECT_TRUE(m.TargetUnchanged());
    }
}

TEST(PrimModifierDlg, OkWritesTheWholeWorkingCopyBack) {
    Modifier m(S | Q | 0x0300);
    m.colours.Push(0x00010203);
    m.host.Click(IDC_SWATCH_V1);
    m.host.Click(IDC_TEXTURED);
    m.host.Click(IDC_ABR_QUARTER);
    m.host.Type(IDC_CLUT_X, " 1023 ");
    m.host.Type(IDC_CLUT_Y, "511");
    m.host.Type(IDC_TPAGE, "31");
    m.host.PressEnter();
    ASSERT_EQ(m.host.Result(), IDOK);
    WorkPrimitive expected = m.before;
    expected.attr = S | Q | T | 0x0300;
    expected.colour[1] = 0x00010203;
    expected.abr = 3;
    expected.clutX = 1023;
    expected.clutY = 511;
    expected.tpage = 31;
    EXPECT_EQ(std::memcmp(&expected, &m.Target(), sizeof expected), 0);
    EXPECT_TRUE(m.box.Texts().empty());
}

TEST(PrimModifierDlg, CancelAfterChangesLeavesTheTargetAlone) {
    Modifier m(L | G | Q);
    m.colours.Push(0x00ABCDEF);
    m.tim = TimTextureSettings{0, true, 48, 8, 640, 256};
    m.host.Click(IDC_SWATCH_V0);
    m.host.Click(IDC_GRADATION);
    m.host.Click(IDC_SELECT_TIM);
    m.host.PressEscape();
    EXPECT_EQ(m.host.Result(), IDCANCEL);
    EXPECT_TRUE(m.TargetUnchanged());
}

// Through the document's command, with the headless dialog service.
TEST(PrimModifierCommand, OkRedrawsEveryViewAndMarksTheDocumentModified) {
    DocWithView d(TrianglesTmd(3));
    d.doc().SelectPrimitive(1);
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    dialogs.Push([](HeadlessDialogHost& host) {
        host.Click(IDC_GOURAUD);
        host.Click(IDC_TEXTURED);
        host.Type(IDC_TPAGE, "9");
        host.PressEnter();
    });
    const std::uint16_t attr = d.doc().Records()[1].attr;
    EXPECT_TRUE(d.doc().OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr));
    EXPECT_EQ(dialogs.Opened(), std::vector<int>{IDD_PRIM_MODIFIER});
    EXPECT_EQ(d.doc().Records()[1].attr, attr ^ (PA_GOURAUD | PA_TEXTURED));
    EXPECT_EQ(d.doc().Records()[1].tpage, 9);
    EXPECT_EQ(d.view.updates, 1);
    EXPECT_TRUE(d.doc().IsModified());
}

TEST(PrimModifierCommand, InvalidOkThenCancelLeavesTheDocumentAsItWas) {
    DocWithView d(TrianglesTmd(2));
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    HeadlessMessageBox box;
    ScopedMessageBox scopedBox(box);
    dialogs.Push([](HeadlessDialogHost& host) {
        host.Click(IDC_GOURAUD);
        host.Click(IDC_TEXTURED);
        host.Type(IDC_CLUT_X, "1024");
        host.PressEnter();
        EXPECT_FALSE(host.Ended());
        host.PressEscape();
    });
    std::vector<WorkPrimitive> before(d.doc().Records().data(), d.doc().Records().data() + 2);
    d.doc().OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr);
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Please enter an integer between 0 and 1023."});
    EXPECT_EQ(std::memcmp(before.data(), d.doc().Records().data(), sizeof(WorkPrimitive) * 2), 0);
    EXPECT_EQ(d.view.updates, 0);
    EXPECT_FALSE(d.doc().IsModified());
}

TEST(PrimModifierCommand, NothingOpensWithoutAPrimitive) {
    HeadlessDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    CPolyvaneDoc empty;
    empty.OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr);
    DocWithView d(TrianglesTmd(0));
    ASSERT_TRUE(d.doc().HasSelection());
    d.doc().OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr);
    EXPECT_TRUE(dialogs.Opened().empty());
    EXPECT_EQ(d.view.updates, 0);
    EXPECT_FALSE(d.doc().IsModified());
}
