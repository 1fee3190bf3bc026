#include "TimList.h"

#include <algorithm>

namespace polyvane {

TimList::iterator FindTim(TimList& list, std::string_view fileName) {
    return std::find_if(list.begin(), list.end(), [&](const TimImage& t) { return t.fileName == fileName; });
}

TimList::const_iterator FindTim(const TimList& list, std::string_view fileName) {
    return std::find_if(list.begin(), list.end(), [&](const TimImage& t) { return t.fileName == fileName; });
}

bool RemoveTim(TimList& list, std::string_view fileName) {
    auto it = FindTim(list, fileName);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace polyvane
