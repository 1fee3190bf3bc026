// The document's command table: which command IDs the document answers, and with what.
#include "CPolyvaneDoc.h"

#include "platform/CommandIds.h"

namespace polyvane {

namespace {
using Entry = CommandEntry<CPolyvaneDoc>;
constexpr Entry kCommands[] = {
    {ID_OBJECT_MODIFY_PRIM, &CPolyvaneDoc::OnModifyPrim, nullptr},
    {ID_OBJECT_SELECT_PRIM, &CPolyvaneDoc::OnSelectPrim, nullptr},
    {ID_OBJECT_STATS, &CPolyvaneDoc::OnStats, nullptr},
    {ID_TEXTURES_TIM_MANAGER, &CPolyvaneDoc::OnTimManager, nullptr},
    {ID_TEXTURES_VIEW, &CPolyvaneDoc::OnTexturesView, nullptr},
    {ID_TEXTURES_LOAD_FOLDER, &CPolyvaneDoc::OnTexturesLoadFolder, nullptr},
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
    return DispatchCommand<CPolyvaneDoc>(this, kCommands, id, update);
}

} // namespace polyvane
