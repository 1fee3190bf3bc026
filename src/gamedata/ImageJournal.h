#pragma once
// Writing into an image in place without risking it: the old bytes of every range to change go to a
// journal beside the image and are flushed first, then the new bytes are written and flushed, then
// the journal is removed. A journal found later means a write did not finish; RecoverImage puts the
// old bytes back. The journal is IMAGE + kJournalSuffix.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace polyvane::gamedata {

inline constexpr const char* kJournalSuffix = ".polyvane-journal";

[[nodiscard]] std::filesystem::path JournalPathFor(const std::filesystem::path& image);

// New bytes for one range of the image; ranges must lie inside the image and not overlap.
struct ImagePatch {
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

// Where a write stops on purpose, as if the program had died there: for testing recovery.
struct WriteStop {
    bool afterJournal = false;
    // Stop after this many patches are written (and not flushed); negative: never.
    int afterPatches = -1;
};

struct JournalWriteResult {
    bool written = false;
    std::string message; // why nothing was written; empty when written
};

// Applies the patches through the journal. A read-only image, an unreadable range or a journal that
// cannot be written and flushed changes nothing.
[[nodiscard]] JournalWriteResult WriteThroughJournal(const std::filesystem::path& image,
                                                     std::span<const ImagePatch> patches,
                                                     WriteStop stop = {});

struct RecoveryResult {
    enum class Outcome {
        noJournal,   // nothing to do
        restored,    // the old bytes were put back and the journal removed
        leftInPlace, // the journal is not this image's, is incomplete, or could not be applied
    };
    Outcome outcome = Outcome::noJournal;
    std::string message; // what a user is told; empty for noJournal
};

// Looks for the image's journal and, when it belongs to this image, restores the old bytes from it.
// Called on every open of an image that may be written.
[[nodiscard]] RecoveryResult RecoverImage(const std::filesystem::path& image);

} // namespace polyvane::gamedata
