#pragma once
// Every TIM file of a folder added to a texture list, as the TIM manager's Add adds one.
#include "TimList.h"

#include <cstddef>
#include <string>

namespace polyvane {

// Adds the folder's files named *.tim (any letter case), in name order; a file that fails shows its
// reader's message and is skipped. Returns how many were added.
std::size_t AddTimFolder(TimList& list, const std::string& folder);

} // namespace polyvane
