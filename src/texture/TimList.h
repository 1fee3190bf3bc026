#pragma once
// A document's loaded textures in the order they were added, and the operations the TIM manager
// performs on them. Entries are matched by their full path, letter case included.
#include "TimImage.h"

#include <list>
#include <optional>
#include <string>
#include <string_view>

namespace polyvane {

using TimList = std::list<TimImage>;

// The first entry, from the head, whose fileName equals `fileName`; end() when none does.
TimList::iterator FindTim(TimList& list, std::string_view fileName);
TimList::const_iterator FindTim(const TimList& list, std::string_view fileName);

// Loads `path` into a new record; none when the reader failed (it has shown its message).
std::optional<TimImage> LoadTimFile(const std::string& path);

// Loads `path` into a temporary record and, when that succeeds, moves it to the tail and
// returns its position. On failure (the reader has shown its message) the list is unchanged and
// end() is returned.
TimList::iterator AddTimFile(TimList& list, const std::string& path);

// Removes the first entry named `fileName`; false when there is none.
bool RemoveTim(TimList& list, std::string_view fileName);

} // namespace polyvane
