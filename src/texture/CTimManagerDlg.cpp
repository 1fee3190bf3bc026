#include "CTimManagerDlg.h"

#include "DialogIds.h"
#include "TimFiles.h"
#include "formats/TimEdits.h"
#include "platform/CommonDialogs.h"

namespace polyvane {

namespace {

using Entry = CommandEntry<CTimManagerDlg>;
constexpr Entry kControls[] = {
    {IDC_TIM_ADD, &CTimManagerDlg::OnAdd, nullptr},
    {IDC_TIM_REMOVE, &CTimManagerDlg::OnRemove, nullptr},
    {IDC_TIM_SHOW_PALETTES, &CTimManagerDlg::OnShowPalettes, nullptr},
    {IDC_TIM_USE_PALETTE, &CTimManagerDlg::OnUsePalette, nullptr},
};

constexpr const char* kTimDefaultExtension = ".TIM";
constexpr const char* kTimFilter = "TIM Files (*.TIM)|*.TIM||";

} // namespace

CTimManagerDlg::CTimManagerDlg(void* parent) : CDialog(IDD_TIM_MANAGER, parent) {}

bool CTimManagerDlg::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (DispatchCommand<CTimManagerDlg>(this, kControls, id, update))
        return true;
    return CDialog::OnCmdMsg(id, update);
}

bool CTimManagerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (IDialogHost* host = GetHost(); host && m_pTimList)
        for (const TimImage& tim : *m_pTimList)
            host->ListAddString(IDC_TIM_LIST, TimListLabel(tim));
    return true;
}

int CTimManagerDlg::SelectedLine() const {
    return GetHost() ? GetHost()->ListGetCurSel(IDC_TIM_LIST) : -1;
}

void CTimManagerDlg::OnAdd() {
    if (!m_pTimList || !m_addTexture)
        return;
    CFileDialog dlg(kTimDefaultExtension, kTimFilter);
    if (dlg.DoModal() != IDOK)
        return;
    std::optional<TimImage> loaded = OpenTimFile(dlg.GetPathName());
    if (!loaded)
        return;
    const std::string name = TimListLabel(*loaded);
    m_addTexture(std::move(*loaded));
    if (GetHost())
        GetHost()->ListAddString(IDC_TIM_LIST, name);
}

void CTimManagerDlg::OnRemove() {
    const int line = SelectedLine();
    if (line < 0 || !m_pTimList || !m_removeTexture)
        return;
    // Lines are sorted, so the line's text, not its index, names the entry; with duplicates the
    // first-added one goes.
    const std::string name(TimNameOfLabel(GetHost()->ListGetText(IDC_TIM_LIST, line)));
    m_removeTexture(name);
    GetHost()->ListDeleteString(IDC_TIM_LIST, line);
}

void CTimManagerDlg::OnShowPalettes() {
    const int line = SelectedLine();
    if (line >= 0)
        ShowPalettesOf(GetHost()->ListGetText(IDC_TIM_LIST, line));
}

void CTimManagerDlg::ShowPalettesOf(const std::string& name) {
    IDialogHost* host = GetHost();
    if (!host || !m_pTimList)
        return;
    while (host->ListGetCount(IDC_TIM_PALETTES) > 0)
        host->ListDeleteString(IDC_TIM_PALETTES, 0);
    m_paletteOwner = name;
    const auto found = FindTim(*m_pTimList, m_paletteOwner);
    if (found == m_pTimList->end() || !found->hasClut)
        return;
    for (std::size_t row = 0; row < found->ClutRows(); ++row)
        host->ListAddString(IDC_TIM_PALETTES, "Row " + std::to_string(row) + " at (" +
                                                  std::to_string(found->clutX) + ", " +
                                                  std::to_string(found->clutY + row) + ")" +
                                                  (row == found->paletteRow ? "  (shown)" : ""));
}

void CTimManagerDlg::OnUsePalette() {
    IDialogHost* host = GetHost();
    const int row = host ? host->ListGetCurSel(IDC_TIM_PALETTES) : -1;
    if (row < 0 || !m_pTimList || m_paletteOwner.empty())
        return;
    if (m_choosePalette)
        m_choosePalette(m_paletteOwner, std::size_t(row));
    // The list follows: the chosen row is marked as shown.
    ShowPalettesOf(std::string(m_paletteOwner));
}

void CTimManagerDlg::OnOK() {
    m_pChosen = nullptr;
    const int line = SelectedLine();
    if (line >= 0 && m_pTimList) {
        const auto found = FindTim(*m_pTimList, TimNameOfLabel(GetHost()->ListGetText(IDC_TIM_LIST, line)));
        if (found != m_pTimList->end())
            m_pChosen = &*found;
    }
    EndDialog(IDOK);
}

} // namespace polyvane
