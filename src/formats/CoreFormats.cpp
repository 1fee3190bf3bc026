#include "CoreFormats.h"

namespace polyvane {

void AddCoreFormats(FormatRegistry& registry) {
#define POLYVANE_ADD_FORMAT(name) registry.Add(name());
    POLYVANE_CORE_FORMATS(POLYVANE_ADD_FORMAT)
#undef POLYVANE_ADD_FORMAT
}

std::vector<std::string> MessageTexts(const std::vector<std::string_view>& views) {
    return {views.begin(), views.end()};
}

} // namespace polyvane
