#pragma once
// A container an item may be written back into: a plain file, an ISO 9660 image of 2048-byte
// sectors, or a raw image of 2352-byte sectors (named directly or by its cue sheet), seen as its
// user data: for a raw image, the 2048 bytes of each Mode 1 or Mode 2 Form 1 sector in turn.
#include "SectorCodes.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace polyvane::gamedata {

// IMAGE::PATH@0xOFFSET (a file inside a disc image's file system) or FILE@0xOFFSET.
struct ItemAddress {
    std::filesystem::path container;
    std::string pathInImage; // empty for FILE@0xOFFSET
    std::uint64_t offset = 0;
};

[[nodiscard]] std::optional<ItemAddress> ParseItemAddress(std::string_view text);
[[nodiscard]] bool LooksLikeItemAddress(std::string_view text);

enum class ImageKind { plain, iso, raw };

// Where a file of the image's file system lies in the user data.
struct FileExtent {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
};

class DiscImage {
  public:
    // Opens `container` (a cue sheet is followed to its data file); an error message when it cannot.
    [[nodiscard]] static std::optional<DiscImage> Open(const std::filesystem::path& container,
                                                       std::string& error);

    [[nodiscard]] ImageKind kind() const { return m_kind; }
    // The file that holds the sectors (the cue sheet's data file, or the container itself).
    [[nodiscard]] const std::filesystem::path& dataFile() const { return m_dataFile; }
    [[nodiscard]] std::uint64_t fileSize() const { return m_fileSize; }
    [[nodiscard]] std::uint64_t userDataSize() const;

    // The file of that path in the image's file system; none when the file system does not list it.
    [[nodiscard]] std::optional<FileExtent> LookUpFile(const std::string& path) const;

    // Reads user data from `offset`; stops early at the end, at an unreadable sector or at a sector
    // that holds no Form 1 user data (then `stoppedAtForm2` is set). Returns the bytes read.
    std::size_t Read(std::uint64_t offset, std::uint8_t* out, std::size_t count, bool& stoppedAtForm2) const;

    // The whole raw sector `index` of a raw image; false when it cannot be read.
    [[nodiscard]] bool ReadRawSector(std::uint64_t index, std::span<std::uint8_t, kRawSectorBytes> out) const;

  private:
    ImageKind m_kind = ImageKind::plain;
    std::filesystem::path m_dataFile;
    std::uint64_t m_fileSize = 0;
};

} // namespace polyvane::gamedata
