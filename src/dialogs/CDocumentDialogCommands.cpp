#include "CDocumentDialogCommands.h"

#include "CPrimModifierDlg.h"
#include "CSelectPrimDlg.h"
#include "CStatsDlg.h"
#include "CommandIds.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CommonDialogs.h"
#include "texture/CTimManagerDlg.h"
#include "texture/TextureWorkbench.h"
#include "texture/TimFolder.h"

#include <functional>
#include <string_view>

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
    {ID_TEXTURES_LOAD_FOLDER, &CDocumentDialogCommands::OnTexturesLoadFolder, nullptr},
};

// Makes a TIM manager's adds and removes steps of the document's history.
void HookTextureChanges(CPolyvaneDoc& doc, CTimManagerDlg& dlg) {
    dlg.m_addTexture = [&doc](TimImage&& tim) { doc.AddTexture(std::move(tim)); };
    dlg.m_removeTexture = [&doc](std::string_view name) { return doc.RemoveTexture(name); };
    dlg.m_choosePalette = [&doc](std::string_view name, std::size_t row) {
        const auto found = FindTim(doc.Textures(), name);
        if (found != doc.Textures().end())
            (void)EditTexture(doc, static_cast<std::size_t>(std::distance(doc.Textures().begin(), found)),
                              "Choose Palette", [row](TimImage& tim) { return ChooseTimPalette(tim, row); });
    };
}

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
    const WorkPrimitive* current = m_doc.CurrentPrimitive();
    if (!current)
        return;
    CPrimModifierDlg dlg(nullptr);
    dlg.m_work = *current;
    dlg.m_pickTim = TimManagerPicker<CTimManagerDlg>(
        m_doc.Textures(), std::function<void(CTimManagerDlg&)>(
                              [this](CTimManagerDlg& manager) { HookTextureChanges(m_doc, manager); }));
    if (dlg.DoModal() != IDOK)
        return;
    m_doc.ChangeCurrentPrimitive("Modify Primitive", [&dlg](WorkPrimitive& record) { record = dlg.m_work; });
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void CDocumentDialogCommands::OnSelectPrim() {
    // Without a current primitive there is no index to start from and none to choose.
    const std::optional<std::uint32_t> current = m_doc.CurrentPrimitiveIndex();
    if (!current)
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
    dlg.m_pTimList = &m_doc.Textures();
    HookTextureChanges(m_doc, dlg);
    dlg.DoModal();
    // Added or removed textures change what a texture view finds, whatever the dialog returned.
    m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

// The model view switches itself to the texture view and the texture view back; the document has
// nothing more to do.
void CDocumentDialogCommands::OnTexturesView() {}

void CDocumentDialogCommands::OnTexturesLoadFolder() {
    const auto folder = FileChooserService().ChooseFolder();
    if (!folder)
        return;
    if (AddTimFolder(*folder, [this](TimImage&& tim) { m_doc.AddTexture(std::move(tim)); }) > 0)
        m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

} // namespace polyvane
