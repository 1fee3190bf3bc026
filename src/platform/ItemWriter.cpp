#include "ItemWriter.h"

#include <utility>

namespace polyvane {

namespace {

ItemWriter& Installed() {
    static ItemWriter writer;
    return writer;
}

} // namespace

void SetItemWriter(ItemWriter writer) {
    Installed() = std::move(writer);
}

bool IsWritableItemName(const std::string& name) {
    return Installed().claims && Installed().claims(name);
}

ItemWriteReport WriteNamedItem(const std::string& name, std::span<const std::uint8_t> bytes,
                               std::uint64_t knownRoom) {
    if (!Installed().write)
        return {false, "Items inside other files cannot be written here", {}};
    return Installed().write(name, bytes, knownRoom);
}

} // namespace polyvane
