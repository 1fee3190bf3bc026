#pragma once
// Saving a document back into the file it was found in (a model or texture inside game data) rather
// than into a file of its own. The program installs a writer at start-up; without one, or when the
// writer does not claim a name, the name is a file's and saving writes that file.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

struct ItemWriteReport {
    bool written = false;
    std::string error;                 // why nothing was written
    std::vector<std::string> messages; // what the user is told besides: warnings, a recovered journal
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
