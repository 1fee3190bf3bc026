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
    return true;
}

bool CSelectPrimDlg::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (id != IDC_PRIM_SLIDER)
        return CDialog::OnCmdMsg(id, update);
    if (!update && GetHost())
        SetDlgItemText(IDC_PRIM_INDEX, std::to_string(GetHost()->GetSliderPos(IDC_PRIM_SLIDER)));
    return true;
}

void CSelectPrimDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Slider(dx, IDC_PRIM_SLIDER, m_nPosition);
}

} // namespace polyvane
