#include "CDocumentDialogCommands.h"

#include "CPrimModifierDlg.h"
#include "CSelectPrimDlg.h"
#include "CStatsDlg.h"
#include "CommandIds.h"
#include "model/CPolyvaneDoc.h"
#include "texture/CTimManagerDlg.h"

#include <memory>

namespace polyvane {

namespace {

using Entry = CommandEntry<CDocumentDialogCommands>;
constexpr Entry kCommands[] = {
    {ID_OBJECT_MODIFY_PRIM, &CDocumentDialogCommands::OnModifyPrim, nullptr},
    {ID_OBJECT_SELECT_PRIM, &CDocumentDialogCommands::OnSelectPrim, nullptr},
    {ID_OBJECT_STATS, &CDocumentDialogCommands::OnStats, nullptr},
    {ID_TEXTURES_TIM_MANAGER, &CDocumentDialogCommands::OnTimManager, nullptr},
    {ID_TEXTURES_VIEW, &CDocumentDialogCommands::OnTexturesView, nullptr},
};

std::unique_ptr<CCmdTarget> MakeCommands(CPolyvaneDoc& doc) {
    return std::make_unique<CDocumentDialogCommands>(doc);
}

// Every document answers these commands once this layer is linked in.
[[maybe_unused]] const bool kRegistered = (CPolyvaneDoc::SetCommandExtension(&MakeCommands), true);

} // namespace

bool CDocumentDialogCommands::OnCmdMsg(unsigned id, CCmdUI* update) {
    return DispatchCommand<CDocumentDialogCommands>(this, kCommands, id, update);
}

void CDocumentDialogCommands::OnModifyPrim() {
    // An object without primitives has nothing to modify.
    if (!m_doc.m_pWork || !m_doc.m_pCurPrim)
        return;
    CPrimModifierDlg dlg(nullptr);
    dlg.m_pTarget = m_doc.m_pCurPrim;
    dlg.m_pickTim = TimManagerPicker<CTimManagerDlg>(m_doc.m_timList);
    if (dlg.DoModal() != IDOK)
        return;
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
    m_doc.SetModifiedFlag(true);
}

void CDocumentDialogCommands::OnSelectPrim() {
    // Without a current primitive there is no index to start from and none to choose.
    const std::optional<std::uint32_t> current = m_doc.CurrentPrimitiveIndex();
    if (!m_doc.m_pWork || !current)
        return;
    CSelectPrimDlg dlg(nullptr);
    dlg.m_nPosition = static_cast<std::int32_t>(*current);
    dlg.m_nMaximum = static_cast<std::int32_t>(m_doc.WorkCount()) - 1;
    if (dlg.DoModal() == IDOK && dlg.m_nPosition >= 0)
        m_doc.SelectPrimitive(static_cast<std::uint32_t>(dlg.m_nPosition));
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void CDocumentDialogCommands::OnStats() {
    m_doc.ComputeExtents();
    CStatsDlg dlg(nullptr);
    dlg.m_pDoc = &m_doc;
    dlg.DoModal();
}

void CDocumentDialogCommands::OnTimManager() {
    CTimManagerDlg dlg(nullptr);
    dlg.m_pTimList = &m_doc.m_timList;
    dlg.DoModal();
    // Added or removed textures change what a texture view finds, whatever the dialog returned.
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

// The model view switches itself to the texture view; once the texture view is active the command
// reaches the document and there is nothing more to do.
void CDocumentDialogCommands::OnTexturesView() {}

} // namespace polyvane
