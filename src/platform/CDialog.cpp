#include "CDialog.h"

#include "DataExchange.h"
#include "HeadlessDialogHost.h"

#include <algorithm>

namespace polyvane {

namespace {
ServiceSlot<IDialogService> g_dialogService;
}

IDialogService* SetDialogService(IDialogService* service) {
    return g_dialogService.Install(service);
}

IDialogService& DialogService() {
    // Without a display every dialog opens and is cancelled at once.
    static HeadlessDialogService headless;
    return g_dialogService.Get(headless);
}

bool ListBoxLineLess(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (lower(a[i]) != lower(b[i]))
            return static_cast<unsigned char>(lower(a[i])) < static_cast<unsigned char>(lower(b[i]));
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

int CDialog::DoModal() {
    return DialogService().RunModal(*this);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

bool CDialog::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (update)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CDialog::EndDialog(int result) {
    if (m_pHost)
        m_pHost->EndDialog(result);
}

void CDialog::SetDlgItemText(int id, std::string_view text) {
    if (m_pHost)
        m_pHost->SetControlText(id, text);
}

std::string CDialog::GetDlgItemText(int id) const {
    return m_pHost ? m_pHost->GetControlText(id) : std::string();
}

void CDialog::CheckDlgButton(int id, int state) {
    if (m_pHost)
        m_pHost->SetCheck(id, state);
}

int CDialog::IsDlgButtonChecked(int id) const {
    return m_pHost ? m_pHost->GetCheck(id) : BST_UNCHECKED;
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (m_pHost)
        m_pHost->EnableControl(id, enable);
}

bool CDialog::IsDlgItemEnabled(int id) const {
    return m_pHost && m_pHost->IsControlEnabled(id);
}

void CDialog::GotoDlgCtrl(int id) {
    if (m_pHost)
        m_pHost->FocusControl(id);
}

void CDialog::Invalidate(bool erase) {
    if (m_pHost)
        m_pHost->Invalidate(erase);
}

} // namespace polyvane
