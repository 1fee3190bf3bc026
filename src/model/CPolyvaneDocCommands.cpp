// The document's command table: which command IDs the document answers, and with what.
#include "CPolyvaneDoc.h"

#include "CommandIds.h"

#include <utility>

namespace polyvane {

namespace {
using Entry = CommandEntry<CPolyvaneDoc>;
constexpr Entry kCommands[] = {
    {ID_OBJECT_NEXT_PRIM, &CPolyvaneDoc::OnNextPrim, nullptr},
    {ID_OBJECT_PREV_PRIM, &CPolyvaneDoc::OnPrevPrim, nullptr},
    {ID_OBJECT_NEXT_OBJECT, &CPolyvaneDoc::OnNextObject, nullptr},
    {ID_OBJECT_PREV_OBJECT, &CPolyvaneDoc::OnPrevObject, nullptr},
    {ID_EDIT_COPY, &CPolyvaneDoc::CopyPrimitive, nullptr},
    {ID_EDIT_PASTE, &CPolyvaneDoc::PastePrimitive, nullptr},
    {ID_TOOLS_SWAP_XZ, &CPolyvaneDoc::OnSwapXZ, nullptr},
    {ID_TOOLS_FLIP_Y, &CPolyvaneDoc::OnFlipY, nullptr},
    {ID_TOOLS_FLIP_X, &CPolyvaneDoc::OnFlipX, nullptr},
    {ID_TOOLS_FLIP_Z, &CPolyvaneDoc::OnFlipZ, nullptr},
    {ID_EDIT_UNDO, &CPolyvaneDoc::OnEditUndo, &CPolyvaneDoc::OnUpdateEditUndo},
    {ID_EDIT_REDO, &CPolyvaneDoc::OnEditRedo, &CPolyvaneDoc::OnUpdateEditRedo},
};
} // namespace

bool CPolyvaneDoc::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (id == 0)
        return false;
    if (DispatchCommand<CPolyvaneDoc>(this, kCommands, id, update))
        return true;
    // Commands that run dialogs are answered by the layer above, when it is linked in.
    if (!m_pCommandExtension && s_makeCommandExtension)
        m_pCommandExtension = s_makeCommandExtension(*this);
    return m_pCommandExtension && m_pCommandExtension->OnCmdMsg(id, update);
}

CPolyvaneDoc::CommandExtensionFactory CPolyvaneDoc::SetCommandExtension(CommandExtensionFactory make) {
    return std::exchange(s_makeCommandExtension, make);
}

} // namespace polyvane
