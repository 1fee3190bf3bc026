#include "DialogTemplate.h"

#include "DialogTemplates.h"

namespace polyvane {

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : resources::kDialogTemplates)
        if (t.id == id)
            return &t;
    return nullptr;
}

} // namespace polyvane
