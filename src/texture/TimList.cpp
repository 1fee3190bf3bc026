#include "TimList.h"

#include <algorithm>
#include <utility>

namespace polyvane {

TimList::iterator FindTim(TimList& list, std::string_view fileName) {
    return std::find_if(list.begin(), list.end(), [&](const TimImage& t) { return t.fileName == fileName; });
}

TimList::const_iterator FindTim(const TimList& list, std::string_view fileName) {
    return std::find_if(list.begin(), list.end(), [&](const TimImage& t) { return t.fileName == fileName; });
}

std::optional<TimImage> LoadTimFile(const std::string& path) {
    std::optional<TimImage> loaded(std::in_place);
    loaded->fileName = path;
    if (!loaded->LoadTim())
        return std::nullopt;
    return loaded;
}

TimList::iterator AddTimFile(TimList& list, const std::string& path) {
    std::optional<TimImage> loaded = LoadTimFile(path);
    if (!loaded)
        return list.end();
    list.push_back(std::move(*loaded));
    return std::prev(list.end());
}

bool RemoveTim(TimList& list, std::string_view fileName) {
    auto it = FindTim(list, fileName);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace polyvane
