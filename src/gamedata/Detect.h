#pragma once
// Whether an item of a format the table finds inside other data starts at a byte, asked of the table's
// entries: a cheap look at its first word, then the entry's detector, its extent and the reader that
// opens files.
#include "DiscImage.h"
#include "formats/FormatRegistry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane::gamedata {

// A format the scanner finds: its place in the scan table below.
using ItemFormat = std::uint8_t;

// Which formats to look for, one bit per place in the scan table.
using FormatMask = std::uint32_t;
inline constexpr FormatMask kAllFormats = ~FormatMask{0};
[[nodiscard]] constexpr FormatMask MaskOf(ItemFormat format) {
    return FormatMask{1} << format;
}

// The first words the scan looks for at every offset, in a small fixed array compared in place.
struct StartFilter {
    static constexpr std::size_t kMaxWords = 8;
    std::array<std::uint32_t, kMaxWords> words{};
    std::uint32_t count = 0;
    [[nodiscard]] bool Passes(std::uint32_t word) const {
        for (std::uint32_t i = 0; i < count; ++i)
            if (words[i] == word)
                return true;
        return false;
    }
};

// The formats the scanner finds: the format table's entries that are found inside other data, in the
// table's order, copied once (later additions to a table may move its entries).
class ScanTable {
  public:
    // What a hit of a format reports besides its place and size.
    enum class Kind : std::uint8_t { model, texture, other };

    explicit ScanTable(const FormatRegistry& registry);

    [[nodiscard]] std::size_t Size() const { return m_entries.size(); }
    [[nodiscard]] const FileFormat& Entry(ItemFormat format) const { return m_entries[format]; }
    // The lower-case name hits, `--formats` and the scan window give it.
    [[nodiscard]] const std::string& Name(ItemFormat format) const { return m_names[format]; }
    // The extension an extracted item is written with.
    [[nodiscard]] const std::string& Extension(ItemFormat format) const;
    [[nodiscard]] Kind KindOf(ItemFormat format) const;
    [[nodiscard]] std::optional<ItemFormat> Find(std::string_view name) const;
    // The names, joined by ", ", for messages.
    [[nodiscard]] std::string NameList() const;
    // The first words of the formats in `formats`.
    [[nodiscard]] StartFilter Filter(FormatMask formats) const;

  private:
    std::vector<FileFormat> m_entries;
    std::vector<std::string> m_names;
};

// The scan table of the program's format table.
[[nodiscard]] const ScanTable& ScanFormats();

// The largest item the scanner accepts: the packets of a model at the reader's record limit, every one
// the largest polygon, take 96 MB, and a texture inside the frame buffer is far smaller. Only an item
// that really claims this much is read whole; the scan otherwise looks at a chunk at a time.
inline constexpr std::uint64_t kMaxItemBytes = std::uint64_t{128} << 20;

struct DetectedItem : ItemSummary {
    ItemFormat format = 0;
    // Bytes of the item; for a cut-off item, the bytes there are; after Detection::needMore, the bytes
    // known to be wanted so far.
    std::uint64_t size = 0;
    bool complete = true; // false: the end of its file cuts it off
};

enum class Detection {
    none,     // no item starts here
    found,    // `item` starts here
    needMore, // something may start here, but it reaches past the bytes given: ask again with more
};

// Looks for an item at bytes[0]. `toEnd`: the bytes run to the end of their file, so an item longer
// than them is cut off rather than needing more.
[[nodiscard]] Detection DetectItem(std::span<const std::uint8_t> bytes, bool toEnd, FormatMask formats,
                                   DetectedItem& item, const ScanTable& table = ScanFormats());

// Looks for an item at `offset` of a file's data (`file` null: of the image's user data), reading
// `first` bytes and then on as far as the item claims, up to kMaxItemBytes. `bytes` holds what was
// read; after Detection::found, exactly the item's bytes (the bytes there are when it is cut off).
[[nodiscard]] Detection DetectInImage(const DiscImage& image, const ImageFile* file, std::uint64_t offset,
                                      std::size_t first, FormatMask formats, DetectedItem& item,
                                      std::vector<std::uint8_t>& bytes,
                                      const ScanTable& table = ScanFormats());

} // namespace polyvane::gamedata
