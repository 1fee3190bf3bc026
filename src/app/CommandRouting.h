#pragma once
// Routing of one command along a chain of targets: the first target that handles the ID runs it or
// fills its update state; a command nobody handles is shown disabled.
#include "platform/CCmdTarget.h"

#include <initializer_list>

namespace polyvane {

// Returns whether a target of `chain` (nulls skipped) handled `id`. With `update`, the state is left
// disabled when none did.
bool RouteCommand(std::initializer_list<CCmdTarget*> chain, unsigned id, CCmdUI* update);

} // namespace polyvane
