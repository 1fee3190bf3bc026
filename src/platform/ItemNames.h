#pragma once
// Names that stand for an item inside another file (a model or texture found in game data) rather than
// for a file of their own. The program installs a resolver at start-up; without one, or when the
// resolver does not claim a name, the name is a file's.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace polyvane {

struct NamedItem {
    std::string error;               // non-empty: the name is an item's, but it cannot be read
    std::vector<std::uint8_t> bytes; // exactly the item's bytes
    std::string extension;           // what kind of file the bytes would be: "tmd", "tim"
    std::string title;               // what a window showing it is called
};

// Returns none for a name that is not an item's.
using ItemResolver = std::function<std::optional<NamedItem>(const std::string& name)>;

void SetItemResolver(ItemResolver resolver);
[[nodiscard]] std::optional<NamedItem> ResolveItemName(const std::string& name);

} // namespace polyvane
