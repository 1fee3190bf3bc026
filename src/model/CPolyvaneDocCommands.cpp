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
};
} // namespace

bool CPolyvaneDoc::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (id == 0)
        return false;
    return DispatchCommand<CPolyvaneDoc>(this, kCommands, id, update);
}

} // namespace polyvane
