// Puts the program's dialog templates where the framework finds them, in every program that links the
// dialogs.
#include "DialogTemplates.h"

namespace {
[[maybe_unused]] const bool kInstalled =
    (polyvane::SetDialogTemplates(polyvane::resources::kDialogTemplates), true);
} // namespace
