#include "CommandRouting.h"

namespace polyvane {

bool RouteCommand(std::initializer_list<CCmdTarget*> chain, unsigned id, CCmdUI* update) {
    for (CCmdTarget* target : chain)
        if (target && target->OnCmdMsg(id, update))
            return true;
    if (update)
        update->Enable(false);
    return false;
}

} // namespace polyvane
