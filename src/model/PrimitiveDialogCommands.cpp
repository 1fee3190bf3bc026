// The document commands that open the primitive dialogs.
#include "CPolyvaneDoc.h"

#include "dialogs/CPrimModifierDlg.h"
#include "dialogs/CSelectPrimDlg.h"
#include "dialogs/CStatsDlg.h"
#include "texture/CTimManagerDlg.h"

namespace polyvane {

void CPolyvaneDoc::OnModifyPrim() {
    // An object without primitives has nothing to modify.
    if (!m_pWork || !m_pCurPrim)
        return;
    const WorkPrimitive before = *m_pCurPrim;
    CPrimModifierDlg dlg(nullptr);
    dlg.m_pTarget = m_pCurPrim;
    dlg.m_pickTim = TimManagerPicker<CTimManagerDlg>(
        m_timList, std::function<void(CTimManagerDlg&)>(
                       [this](CTimManagerDlg& manager) { HookTextureChanges(manager); }));
    if (dlg.DoModal() != IDOK)
        return;
    RecordPrimitiveChange("Modify Primitive", before);
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::OnSelectPrim() {
    // Without a current primitive there is no index to start from and none to choose.
    const std::optional<std::uint32_t> current = CurrentPrimitiveIndex();
    if (!m_pWork || !current)
        return;
    CSelectPrimDlg dlg(nullptr);
    dlg.m_nPosition = static_cast<std::int32_t>(*current);
    dlg.m_nMaximum = static_cast<std::int32_t>(WorkCount()) - 1;
    if (dlg.DoModal() == IDOK && dlg.m_nPosition >= 0 &&
        static_cast<std::uint32_t>(dlg.m_nPosition) < WorkCount())
        m_pCurPrim = &m_pWork[dlg.m_nPosition];
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::OnStats() {
    ComputeExtents();
    CStatsDlg dlg(nullptr);
    dlg.m_pDoc = this;
    dlg.DoModal();
}

} // namespace polyvane
