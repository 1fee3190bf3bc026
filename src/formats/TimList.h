#pragma once
// A document's loaded textures in the order they were added, and the operations on them. Entries are matched
// by their full path, letter case included.
#include "TimImage.h"

#include <list>
#include <string>
#include <string_view>

namespace polyvane {

using TimList = std::list<TimImage>;

// The first entry, from the head, whose fileName equals `fileName`; end() when none does.
TimList::iterator FindTim(TimList& list, std::string_view fileName);
TimList::const_iterator FindTim(const TimList& list, std::string_view fileName);

// Removes the first entry named `fileName`; false when there is none.
bool RemoveTim(TimList& list, std::string_view fileName);

} // namespace polyvane
