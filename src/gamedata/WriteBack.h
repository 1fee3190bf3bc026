#pragma once
// Puts an edited model or texture back where it was found: at an address in a plain file or in a disc
// image. The new bytes take the old item's place, the rest of its extent is zeroed, every changed raw
// sector gets its codes recomputed, and the write goes through the image's journal.
#include "ImageJournal.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane::gamedata {

struct WriteBackResult {
    bool written = false;
    std::string error;                 // why nothing was written; empty when written
    std::vector<std::string> warnings; // a texture whose layout differs from the old one's
    std::uint64_t newSize = 0;
    std::uint64_t room = 0; // bytes the old item's extent offered
};

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
