// The document's texture commands.
#include "CPolyvaneDoc.h"

#include "platform/CommonDialogs.h"
#include "texture/CTimManagerDlg.h"
#include "texture/TimFolder.h"

namespace polyvane {

void CPolyvaneDoc::HookTextureChanges(CTimManagerDlg& dlg) {
    dlg.m_addTexture = [this](TimImage&& tim) { AddTexture(std::move(tim)); };
    dlg.m_removeTexture = [this](std::string_view name) { return RemoveTexture(name); };
}

void CPolyvaneDoc::OnTimManager() {
    CTimManagerDlg dlg(nullptr);
    dlg.m_pTimList = &m_timList;
    HookTextureChanges(dlg);
    dlg.DoModal();
    // Added or removed textures change what a texture view finds, whatever the dialog returned.
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::OnTexturesLoadFolder() {
    const auto folder = FileChooserService().ChooseFolder();
    if (!folder)
        return;
    if (AddTimFolder(*folder, [this](TimImage&& tim) { AddTexture(std::move(tim)); }) > 0)
        UpdateAllViews(nullptr, 0, nullptr);
}

// The model view switches itself to the texture view; once the texture view is active the command
// reaches the document and there is nothing more to do.
void CPolyvaneDoc::OnTexturesView() {}

} // namespace polyvane
