#pragma once
// Names that stand for an item inside another file (a model or texture found in game data) rather than
// for a file of their own. The program installs a resolver and a writer at start-up; without them, or
// when they do not claim a name, the name is a file's: opening reads it and saving writes it.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
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

// Saving a document back into the file it was found in.
struct ItemWriteReport {
    bool written = false;
    std::string error;                 // why nothing was written
    std::vector<std::string> messages; // what the user is told besides, such as warnings
};

struct ItemWriter {
    // Whether `name` stands for a place inside another file.
    std::function<bool(const std::string& name)> claims;
    // Writes `bytes` there. `knownRoom`: the item's size when it was read, so a shrunken item can grow
    // back into it.
    std::function<ItemWriteReport(const std::string& name, std::span<const std::uint8_t> bytes,
                                  std::uint64_t knownRoom)>
        write;
};

void SetItemWriter(ItemWriter writer);
[[nodiscard]] bool IsWritableItemName(const std::string& name);
// Writes through the installed writer; a report with an error when none is installed.
[[nodiscard]] ItemWriteReport WriteNamedItem(const std::string& name, std::span<const std::uint8_t> bytes,
                                             std::uint64_t knownRoom);

} // namespace polyvane
