// The installed resolver of item names.
#include "ItemNames.h"

#include <utility>

namespace polyvane {

namespace {
ItemResolver& Installed() {
    static ItemResolver resolver;
    return resolver;
}
} // namespace

void SetItemResolver(ItemResolver resolver) {
    Installed() = std::move(resolver);
}

std::optional<NamedItem> ResolveItemName(const std::string& name) {
    const ItemResolver& resolver = Installed();
    return resolver ? resolver(name) : std::nullopt;
}

} // namespace polyvane
