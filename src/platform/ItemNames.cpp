// The installed resolver and writer of item names.
#include "ItemNames.h"

#include <utility>

namespace polyvane {

namespace {
ItemResolver& Installed() {
    static ItemResolver resolver;
    return resolver;
}
ItemWriter& InstalledWriter() {
    static ItemWriter writer;
    return writer;
}
} // namespace

void SetItemResolver(ItemResolver resolver) {
    Installed() = std::move(resolver);
}

std::optional<NamedItem> ResolveItemName(const std::string& name) {
    const ItemResolver& resolver = Installed();
    return resolver ? resolver(name) : std::nullopt;
}

void SetItemWriter(ItemWriter writer) {
    InstalledWriter() = std::move(writer);
}

bool IsWritableItemName(const std::string& name) {
    return InstalledWriter().claims && InstalledWriter().claims(name);
}

ItemWriteReport WriteNamedItem(const std::string& name, std::span<const std::uint8_t> bytes,
                               std::uint64_t knownRoom) {
    if (!InstalledWriter().write)
        return {false, "Items inside other files cannot be written here", {}};
    return InstalledWriter().write(name, bytes, knownRoom);
}

} // namespace polyvane
