#pragma once
// Puts an edited model or texture back where it was found: at an address in a plain file or in a disc
// image. The new bytes take the old item's place, the rest of its extent is zeroed, every changed raw
// sector gets its codes recomputed, and the write goes through the image's journal.
#include "ImageJournal.h"
#include "ItemProbe.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane::gamedata {

struct WriteBackResult {
    bool written = false;
    std::string error;                 // why nothing was written; empty when written
    std::vector<std::string> notes;    // a journal recovered on the way
    std::vector<std::string> warnings; // a texture whose layout differs from the old one's
    std::uint64_t newSize = 0, oldSize = 0;
};

// What an address holds now, without writing: the item's size and kind, or why it is no target.
struct WriteBackTarget {
    std::string containerName; // the image's or file's name, for a user's confirmation
    ProbedItem item;
};
[[nodiscard]] std::optional<WriteBackTarget> InspectTarget(std::string_view address, std::string& error);

struct WriteBackOptions {
    // The room the item had when it was read: a smaller item written back since leaves zeros up to it,
    // and that room stays usable (undoing a change that shrank a model and saving again must fit).
    // Honoured only when every byte between the present item's end and it is zero.
    std::uint64_t knownRoom = 0;
    WriteStop stop;
};

[[nodiscard]] WriteBackResult WriteBack(std::string_view address, std::span<const std::uint8_t> newBytes,
                                        const WriteBackOptions& options = {});

// Lets every save of a document (the editor's Save, `convert`, `--do save`) take an address as well as a
// file name: installs the platform's item writer over WriteBack.
void InstallItemWriter();

} // namespace polyvane::gamedata
