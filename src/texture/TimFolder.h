#pragma once
// Every TIM file of a folder added to a texture list, as the TIM manager's Add adds one.
#include "formats/TimList.h"

#include <cstddef>
#include <functional>
#include <string>

namespace polyvane {

// Loads the folder's files named *.tim (any letter case), in name order, and hands each to `add`; a
// file that fails shows its reader's message and is skipped. Returns how many were added.
std::size_t AddTimFolder(const std::string& folder, const std::function<void(TimImage&&)>& add);
// The same, adding them at the end of `list`.
std::size_t AddTimFolder(TimList& list, const std::string& folder);

} // namespace polyvane
