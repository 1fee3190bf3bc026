#pragma once
// Whether a TMD model or a TIM texture starts at a byte, asked of the format table's entries: a cheap
// look at its first word, then the entry's detector, its extent and the reader that opens files. This
// is the one place that knows which formats the scanner finds.
#include "DiscImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane::gamedata {

enum class ItemFormat : std::uint8_t { tmd, tim };
[[nodiscard]] const char* ItemFormatName(ItemFormat format);
[[nodiscard]] std::optional<ItemFormat> ItemFormatFromName(std::string_view name);

// Which formats to look for, one bit per ItemFormat.
using FormatMask = std::uint32_t;
inline constexpr FormatMask kAllFormats = 0x3;
[[nodiscard]] constexpr FormatMask MaskOf(ItemFormat format) {
    return FormatMask{1} << static_cast<unsigned>(format);
}

// The largest item the scanner accepts: the packets of a model at the reader's record limit, every one
// the largest polygon, take 96 MB, and a texture inside the frame buffer is far smaller. Only an item
// that really claims this much is read whole; the scan otherwise looks at a chunk at a time.
inline constexpr std::uint64_t kMaxItemBytes = std::uint64_t{128} << 20;

struct DetectedItem {
    ItemFormat format = ItemFormat::tmd;
    // Bytes of the item; for a cut-off item, the bytes there are; after Detection::needMore, the bytes
    // known to be wanted so far.
    std::uint64_t size = 0;
    bool complete = true; // false: the end of its file cuts it off
    // A model's
    std::uint32_t objects = 0;
    std::uint32_t primitives = 0;
    // A texture's
    std::uint32_t bpp = 0;
    std::uint32_t width = 0; // in pixels
    std::uint32_t height = 0;
    std::uint32_t cluts = 0; // colour-table rows
};

enum class Detection {
    none,     // no item starts here
    found,    // `item` starts here
    needMore, // something may start here, but it reaches past the bytes given: ask again with more
};

// Whether the first word could start an item of the given formats: the filter run at every offset.
[[nodiscard]] inline bool MaybeItemStart(std::uint32_t firstWord, FormatMask formats) {
    return (firstWord == 0x41 && (formats & MaskOf(ItemFormat::tmd))) ||
           (firstWord == 0x10 && (formats & MaskOf(ItemFormat::tim)));
}

// Looks for an item at bytes[0]. `toEnd`: the bytes run to the end of their file, so an item longer
// than them is cut off rather than needing more.
[[nodiscard]] Detection DetectItem(std::span<const std::uint8_t> bytes, bool toEnd, FormatMask formats,
                                   DetectedItem& item);

// Looks for an item at `offset` of a file's data (`file` null: of the image's user data), reading
// `first` bytes and then on as far as the item claims, up to kMaxItemBytes. `bytes` holds what was
// read; after Detection::found, exactly the item's bytes (the bytes there are when it is cut off).
[[nodiscard]] Detection DetectInImage(const DiscImage& image, const ImageFile* file, std::uint64_t offset,
                                      std::size_t first, FormatMask formats, DetectedItem& item,
                                      std::vector<std::uint8_t>& bytes);

} // namespace polyvane::gamedata
