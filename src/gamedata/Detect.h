#pragma once
// Whether a TMD model or a TIM texture starts at a byte: a cheap look at its first words, then the
// checks a real item passes and random data does not, then the codec that opens files. This is the
// one place that knows which formats the scanner finds.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

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

// The largest item the scanner accepts: bigger ones are not what a game keeps in one piece, and the
// scan's work shares overlap by this much.
inline constexpr std::uint64_t kMaxItemBytes = std::uint64_t{4} << 20;

struct DetectedItem {
    ItemFormat format = ItemFormat::tmd;
    std::uint64_t size = 0; // bytes of the item; for a cut-off item, the bytes there are
    bool complete = true;   // false: the end of its file cuts it off
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

// Looks for an item at bytes[0]. `toEnd`: the bytes run to the end of their file (or at least
// kMaxItemBytes), so an item longer than them is cut off rather than needing more.
[[nodiscard]] Detection DetectItem(std::span<const std::uint8_t> bytes, bool toEnd, FormatMask formats,
                                   DetectedItem& item);

} // namespace polyvane::gamedata
