// The document's command table: which command IDs the document answers, and with what.
#include "CPolyvaneDoc.h"

#include "platform/CommandIds.h"

namespace polyvane {

namespace {
using Entry = CommandEntry<CPolyvaneDoc>;
constexpr Entry kCommands[] = {
    {0, nullptr, nullptr}, // placeholder; commands are added with their handlers
};
} // namespace

bool CPolyvaneDoc::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (id == 0)
        return false;
    return DispatchCommand<CPolyvaneDoc>(this, kCommands, id, update);
}

} // namespace polyvane
