#include "DialogTemplate.h"

#include <utility>

namespace polyvane {

namespace {
std::span<const DialogTemplate> g_templates;
} // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : g_templates)
        if (t.id == id)
            return &t;
    return nullptr;
}

std::span<const DialogTemplate> SetDialogTemplates(std::span<const DialogTemplate> templates) {
    return std::exchange(g_templates, templates);
}

} // namespace polyvane
