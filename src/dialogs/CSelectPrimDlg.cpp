#include "CSelectPrimDlg.h"

#include "DialogIds.h"
#include "platform/DataExchange.h"

#include <string>

namespace polyvane {

CSelectPrimDlg::CSelectPrimDlg(void* parent) : CDialog(IDD_SELECT_PRIM, parent) {}

bool CSelectPrimDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (IDialogHost* host = GetHost()) {
        host->SetSliderRange(IDC_PRIM_SLIDER, 0, m_nMaximum, true);
        host->SetSliderTickFrequency(IDC_PRIM_SLIDER, SliderTickFrequency(m_nMaximum));
        // The exchange above placed the thumb within the slider's old range; place it again.
        host->SetSliderPos(IDC_PRIM_SLIDER, m_nPosition);
        SetDlgItemText(IDC_PRIM_INDEX, std::to_string(host->GetSliderPos(IDC_PRIM_SLIDER)));
    }
    // Typing the number is the quick way; the field starts with the focus and its text selected.
    GotoDlgCtrl(IDC_PRIM_INDEX);
    return false;
}

bool CSelectPrimDlg::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (id != IDC_PRIM_SLIDER && id != IDC_PRIM_INDEX)
        return CDialog::OnCmdMsg(id, update);
    IDialogHost* host = GetHost();
    if (update || !host)
        return true;
    std::int64_t typed = 0;
    const bool number = ParseWholeNumber(GetDlgItemText(IDC_PRIM_INDEX), typed);
    if (id == IDC_PRIM_INDEX) {
        // The thumb follows a number in range as it is typed.
        if (number && typed >= 0 && typed <= m_nMaximum)
            host->SetSliderPos(IDC_PRIM_SLIDER, static_cast<int>(typed));
    } else if (!number || typed != host->GetSliderPos(IDC_PRIM_SLIDER)) {
        SetDlgItemText(IDC_PRIM_INDEX, std::to_string(host->GetSliderPos(IDC_PRIM_SLIDER)));
    }
    return true;
}

void CSelectPrimDlg::DoDataExchange(CDataExchange& dx) {
    // The field decides; the slider is only another way of filling it in.
    DDX_Text(dx, IDC_PRIM_INDEX, m_nPosition);
    DDV_MinMaxInt(dx, m_nPosition, 0, m_nMaximum);
    if (!dx.Failed() && GetHost())
        GetHost()->SetSliderPos(IDC_PRIM_SLIDER, m_nPosition);
}

} // namespace polyvane
