#pragma once
// Game data as the scanner and the address resolver see it: a plain file, or a CD image (ISO 9660
// with 2048-byte sectors, raw 2352-byte sectors, or the data track of a cue sheet) with the files its
// ISO 9660 file system lists. The data file is mapped, never copied; sectors are read where they lie.
#include "formats/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane::gamedata {

inline constexpr std::uint32_t kUserDataSize = 2048;
inline constexpr std::uint32_t kRawSectorSize = 2352;

enum class ImageKind {
    plainFile, // any file: its bytes are the user data, and there is no file system
    iso,       // 2048-byte sectors of user data
    raw,       // 2352-byte sectors with sync, header and (Mode 2) subheader
};

// How a sector holds its data. Cooked sectors (ISO images, plain files) are all user data.
enum class SectorMode : std::uint8_t {
    cooked,
    mode1,      // 2048 bytes of user data at byte 16
    mode2Form1, // 2048 bytes of user data at byte 24
    mode2Form2, // 2324 bytes at byte 24: streamed audio and video, never scanned or written
    invalid,    // no sync pattern, or a mode byte that is neither 1 nor 2
};
[[nodiscard]] const char* SectorModeName(SectorMode mode);
// Whether the scanner reads the sector's 2048 bytes of user data.
[[nodiscard]] constexpr bool HoldsUserData(SectorMode mode) {
    return mode == SectorMode::cooked || mode == SectorMode::mode1 || mode == SectorMode::mode2Form1;
}

// A file the image's ISO 9660 file system lists.
struct ImageFile {
    std::string path; // '/' separators, no leading '/', no ";1" version suffix
    std::uint32_t firstLsn = 0;
    std::uint64_t size = 0; // bytes of the file's data inside the image (clipped at the image's end)
    bool cutOff = false;    // its directory record claims more than the image holds
};

// Where one piece of an item's bytes lies in the data file.
struct SectorPiece {
    std::uint32_t lsn = 0;          // the sector (its index in the data file)
    std::uint64_t sectorOffset = 0; // byte offset of the whole sector in the data file
    std::uint64_t dataOffset = 0;   // byte offset of the piece's first byte in the data file
    std::uint32_t length = 0;       // bytes of the piece, all inside this one sector's user data
    SectorMode mode = SectorMode::cooked;
};

class DiscImage;

// Where a path of an image names data: the image holding it (the image itself, or one of a cue sheet's
// further data tracks) and the file in that image's file system (null: its user data outside files).
struct DataPlace {
    const DiscImage* image = nullptr;
    const ImageFile* file = nullptr;
};

class DiscImage {
  public:
    // Opens `path`: a cue sheet (by its ".cue" name), a raw or ISO image (recognised by its sectors),
    // or any other file as plain data. The error is one message saying why it cannot be read.
    [[nodiscard]] static Result<std::unique_ptr<DiscImage>, std::string> Open(const std::string& path);

    // A cue sheet's data tracks after the first that lie in BINs of their own, each read as an image
    // of its own. Their data is named under "TRACKnn" (the track's number): "TRACKnn" alone is the
    // track's user data, "TRACKnn/PATH" a file of its file system.
    struct Track {
        std::string name;
        std::unique_ptr<DiscImage> image;
    };
    [[nodiscard]] const std::vector<Track>& MoreTracks() const { return m_tracks; }
    // The data a path names (none: the image's user data outside files); none when nothing has it.
    [[nodiscard]] std::optional<DataPlace> Resolve(const std::optional<std::string>& path) const;

    DiscImage(const DiscImage&) = delete;
    DiscImage& operator=(const DiscImage&) = delete;
    ~DiscImage();

    [[nodiscard]] ImageKind Kind() const { return m_kind; }
    // The name the user gave (the cue sheet for a cue), and the file holding the sectors.
    [[nodiscard]] const std::string& Path() const { return m_path; }
    [[nodiscard]] const std::string& DataPath() const { return m_dataPath; }
    // 2352 for a raw image, 2048 for an ISO; a plain file counts as 2048-byte sectors too.
    [[nodiscard]] std::uint32_t SectorSize() const { return m_sectorSize; }
    [[nodiscard]] std::uint32_t SectorCount() const { return m_sectorCount; }
    // Bytes of user data in the image's address space: sectors x 2048 (a plain file: its size).
    [[nodiscard]] std::uint64_t UserDataSize() const { return m_userSize; }
    [[nodiscard]] SectorMode ModeOf(std::uint32_t lsn) const;
    // The whole sector as it lies in the data file (the last one of a plain file or a short image may
    // be shorter).
    [[nodiscard]] std::span<const std::uint8_t> RawSector(std::uint32_t lsn) const;
    // The sector's user data (2048 bytes, fewer at a short end); empty when it holds none.
    [[nodiscard]] std::span<const std::uint8_t> UserData(std::uint32_t lsn) const;
    // Cooked images keep all user data contiguous: their whole user data as one span.
    [[nodiscard]] bool IsCooked() const { return m_kind != ImageKind::raw; }
    [[nodiscard]] std::span<const std::uint8_t> CookedBytes() const {
        return {m_map + m_dataBase, m_mapSize - static_cast<std::size_t>(m_dataBase)};
    }

    // The file system's files, sorted by path; empty when the image has none.
    [[nodiscard]] const std::vector<ImageFile>& Files() const { return m_files; }
    [[nodiscard]] const ImageFile* FindFile(std::string_view path) const;
    // Things the reader noticed and stepped over (a directory that loops, a file past the end...).
    [[nodiscard]] const std::vector<std::string>& Warnings() const { return m_warnings; }

    // The pieces holding `length` bytes at `offset` of a file's data (`file` null: of the image's
    // user data). Refused, with a message, when a byte lies past the data's end or in a sector that
    // holds no user data.
    [[nodiscard]] Result<std::vector<SectorPiece>, std::string>
    Locate(const ImageFile* file, std::uint64_t offset, std::uint64_t length) const;
    // Copies up to `out.size()` bytes at `offset` of a file's data (`file` null: of the image's user
    // data) into `out`, stopping at the data's end or at a sector without user data. Returns the
    // bytes copied.
    std::size_t Read(const ImageFile* file, std::uint64_t offset, std::span<std::uint8_t> out) const;
    // Bytes of a file's data (or of the image's user data).
    [[nodiscard]] std::uint64_t DataSize(const ImageFile* file) const {
        return file ? file->size : m_userSize;
    }

  private:
    DiscImage() = default;
    // Opens the data in `dataPath` from byte `base` on, as the image `path` names it.
    [[nodiscard]] static Result<std::unique_ptr<DiscImage>, std::string>
    OpenData(const std::string& path, const std::string& dataPath, std::uint64_t base, bool fromCue);
    [[nodiscard]] bool MapData(std::string& error);
    void ListFiles();
    // Bytes at `at` of the data file; fewer at its end or on an error.
    std::size_t ReadAt(std::uint64_t at, std::uint8_t* out, std::size_t count) const;

    ImageKind m_kind = ImageKind::plainFile;
    std::string m_path;
    std::string m_dataPath;
    int m_fd = -1;
    const std::uint8_t* m_map = nullptr;
    std::size_t m_mapSize = 0;
    std::uint64_t m_dataBase = 0; // byte offset of the data track in the data file
    std::uint32_t m_sectorSize = kUserDataSize;
    std::uint32_t m_sectorCount = 0;
    std::uint64_t m_userSize = 0;
    std::vector<ImageFile> m_files;
    std::vector<std::string> m_warnings;
    std::vector<Track> m_tracks;
};

} // namespace polyvane::gamedata
