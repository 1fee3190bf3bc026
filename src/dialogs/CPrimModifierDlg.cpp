#include "CPrimModifierDlg.h"

#include "DialogIds.h"
#include "platform/CommonDialogs.h"
#include "platform/DataExchange.h"

#include <string>

namespace polyvane {

namespace {

using Entry = CommandEntry<CPrimModifierDlg>;
constexpr Entry kControls[] = {
    {IDC_GOURAUD, &CPrimModifierDlg::OnGouraud, nullptr},
    {IDC_GRADATION, &CPrimModifierDlg::OnGradation, nullptr},
    {IDC_LIGHTSOURCED, &CPrimModifierDlg::OnLightsourced, nullptr},
    {IDC_DOUBLE_SIDED, &CPrimModifierDlg::OnDoubleSided, nullptr},
    {IDC_TEXTURED, &CPrimModifierDlg::OnTextured, nullptr},
    {IDC_TRANSLUCENT, &CPrimModifierDlg::OnTranslucent, nullptr},
    {IDC_BRIGHTNESS, &CPrimModifierDlg::OnBrightness, nullptr},
    {IDC_MODE_4BIT, &CPrimModifierDlg::On4Bit, nullptr},
    {IDC_MODE_8BIT, &CPrimModifierDlg::On8Bit, nullptr},
    {IDC_MODE_15BIT, &CPrimModifierDlg::On15Bit, nullptr},
    {IDC_ABR_NORMAL, &CPrimModifierDlg::OnAbrNormal, nullptr},
    {IDC_ABR_ADDITION, &CPrimModifierDlg::OnAbrAddition, nullptr},
    {IDC_ABR_SUBTRACTION, &CPrimModifierDlg::OnAbrSubtraction, nullptr},
    {IDC_ABR_QUARTER, &CPrimModifierDlg::OnAbrQuarter, nullptr},
    {IDC_SWATCH_V0, &CPrimModifierDlg::OnSwatchV0, nullptr},
    {IDC_SWATCH_V1, &CPrimModifierDlg::OnSwatchV1, nullptr},
    {IDC_SWATCH_V2, &CPrimModifierDlg::OnSwatchV2, nullptr},
    {IDC_SWATCH_V3, &CPrimModifierDlg::OnSwatchV3, nullptr},
    {IDC_SELECT_TIM, &CPrimModifierDlg::OnSelectTim, nullptr},
};

// Check boxes in the order the refresh sets them, with their bits.
struct CheckBit {
    int id;
    std::uint16_t bit;
};
constexpr CheckBit kCheckBits[] = {
    {IDC_GOURAUD, PA_GOURAUD},         {IDC_GRADATION, PA_GRADATION}, {IDC_LIGHTSOURCED, PA_LIGHT},
    {IDC_DOUBLE_SIDED, PA_DOUBLE},     {IDC_TEXTURED, PA_TEXTURED},   {IDC_BRIGHTNESS, PA_BRIGHTNESS},
    {IDC_TRANSLUCENT, PA_TRANSLUCENT},
};

constexpr int kColourModeButtons[] = {IDC_MODE_4BIT, IDC_MODE_8BIT, IDC_MODE_15BIT};
constexpr int kAbrButtons[] = {IDC_ABR_NORMAL, IDC_ABR_ADDITION, IDC_ABR_SUBTRACTION, IDC_ABR_QUARTER};
constexpr int kSwatches[] = {IDC_SWATCH_V0, IDC_SWATCH_V1, IDC_SWATCH_V2, IDC_SWATCH_V3};
constexpr int kSwatchLabels[] = {IDC_LABEL_V0, IDC_LABEL_V1, IDC_LABEL_V2, IDC_LABEL_V3};

std::string Unsigned(unsigned value) {
    return std::to_string(value);
}

} // namespace

void ApplyTimTexture(WorkPrimitive& prim, const TimTextureSettings& tim) {
    prim.pmode = tim.pixelMode;
    if (tim.hasClut) {
        prim.clutX = tim.clutX;
        prim.clutY = tim.clutY;
    }
    prim.tpage = TexturePageAt(tim.imageX, tim.imageY);
}

CPrimModifierDlg::CPrimModifierDlg(void* parent) : CDialog(IDD_PRIM_MODIFIER, parent) {}

bool CPrimModifierDlg::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (DispatchCommand<CPrimModifierDlg>(this, kControls, id, update))
        return true;
    return CDialog::OnCmdMsg(id, update);
}

bool CPrimModifierDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    WriteTextureEdits();
    return true;
}

void CPrimModifierDlg::WriteTextureEdits() {
    SetDlgItemText(IDC_TPAGE, Unsigned(m_work.tpage));
    SetDlgItemText(IDC_CLUT_X, Unsigned(m_work.clutX));
    SetDlgItemText(IDC_CLUT_Y, Unsigned(m_work.clutY));
}

void CPrimModifierDlg::OnPaint() {
    const std::uint16_t attr = m_work.attr;
    const bool lit = attr & PA_LIGHT;
    const bool textured = attr & PA_TEXTURED;
    const bool gradation = attr & PA_GRADATION;
    const bool gouraud = attr & PA_GOURAUD;
    const bool quad = attr & PA_QUAD;

    for (const CheckBit& c : kCheckBits) {
        CheckDlgButton(c.id, (attr & c.bit) ? BST_CHECKED : BST_UNCHECKED);
        EnableDlgItem(c.id, c.id == IDC_GRADATION ? lit : true);
    }

    // With texturing off the radio buttons keep whatever check they had.
    for (int k = 0; k < 3; ++k) {
        EnableDlgItem(kColourModeButtons[k], textured);
        if (textured)
            CheckDlgButton(kColourModeButtons[k], m_work.pmode == k ? BST_CHECKED : BST_UNCHECKED);
    }
    for (int k = 0; k < 4; ++k) {
        EnableDlgItem(kAbrButtons[k], textured);
        if (textured)
            CheckDlgButton(kAbrButtons[k], m_work.abr == k ? BST_CHECKED : BST_UNCHECKED);
    }

    for (int id : {IDC_COLOUR_MODE_GROUP, IDC_TEXTURE_GROUP, IDC_TRANSPARENCY_GROUP, IDC_TPAGE})
        EnableDlgItem(id, textured);
    EnableDlgItem(IDC_CLUT_X, textured && m_work.pmode != 2);
    EnableDlgItem(IDC_CLUT_Y, textured && m_work.pmode != 2);

    // A lit textured primitive takes its colours from the texture and the light alone; a lit one
    // has per-vertex colours only with gradation, an unlit one only when Gouraud shaded.
    const bool perVertex = lit ? gradation && !textured : gouraud;
    const bool swatchEnabled[4] = {!(lit && textured), perVertex, perVertex, perVertex && quad};
    for (int k = 0; k < 4; ++k)
        EnableDlgItem(kSwatches[k], swatchEnabled[k]);

    if (IDialogHost* host = GetHost()) {
        for (int k = 0; k < 4; ++k) {
            if (!swatchEnabled[k])
                continue;
            CRect rect = host->GetControlClientRect(kSwatches[k]);
            if (k == 1)
                rect = CRect{rect.left + 2, rect.top + 2, rect.left + 2 + rect.Width() - 4,
                             rect.top + 2 + rect.Height() - 4};
            host->FillSolidRect(kSwatches[k], rect, m_work.colour[k]);
        }
    }

    for (int k = 0; k < 4; ++k)
        EnableDlgItem(kSwatchLabels[k], swatchEnabled[k]);
    SetDlgItemText(IDC_LABEL_V0, " V0");
    if (!swatchEnabled[1])
        SetDlgItemText(IDC_LABEL_V0, "Prim");

    for (int id : {IDC_SELECT_TIM, IDOK, IDCANCEL})
        EnableDlgItem(id, true);
}

void CPrimModifierDlg::ToggleBit(int id, std::uint16_t bit, bool repaint) {
    if (IsDlgButtonChecked(id) == BST_CHECKED)
        m_work.attr = static_cast<std::uint16_t>(m_work.attr | bit);
    else
        m_work.attr = static_cast<std::uint16_t>(m_work.attr & ~bit);
    if (repaint)
        Invalidate(false);
}

void CPrimModifierDlg::SetColourMode(std::uint8_t mode) {
    m_work.pmode = mode;
    Invalidate(false);
}

void CPrimModifierDlg::ChooseColour(int vertex) {
    CColorDialog chooser(m_work.colour[vertex]);
    if (chooser.DoModal() == IDOK)
        m_work.colour[vertex] = chooser.GetColor();
    Invalidate(false);
}

void CPrimModifierDlg::OnSelectTim() {
    std::optional<TimTextureSettings> chosen = m_pickTim ? m_pickTim() : std::nullopt;
    if (chosen) {
        ApplyTimTexture(m_work, *chosen);
        WriteTextureEdits();
    }
    Invalidate(false);
}

void CPrimModifierDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Text(dx, IDC_CLUT_X, m_nClutX);
    DDV_MinMaxInt(dx, m_nClutX, 0, 1023);
    DDX_Text(dx, IDC_CLUT_Y, m_nClutY);
    DDV_MinMaxInt(dx, m_nClutY, 0, 511);
    DDX_Text(dx, IDC_TPAGE, m_nTpage);
    DDV_MinMaxByte(dx, m_nTpage, 0, 31);
}

void CPrimModifierDlg::OnOK() {
    if (!UpdateData(true))
        return;
    m_work.tpage = m_nTpage;
    m_work.clutX = static_cast<std::uint16_t>(m_nClutX);
    m_work.clutY = static_cast<std::uint16_t>(m_nClutY);
    EndDialog(IDOK);
}

} // namespace polyvane
