#pragma once
// How many bytes a TMD or a TIM takes, from its headers and tables alone, so that one found inside a
// larger file can be cut out exactly. Pure functions over bytes.
#include <cstdint>
#include <optional>
#include <span>

namespace polyvane {

struct ItemExtent {
    // Bytes from the item's first byte to the furthest end its headers, tables and packets claim.
    std::uint64_t size = 0;
    // False when walking it ran into the end of the bytes given: `size` is then what was known so far.
    bool complete = false;
};

// What a scan reports of an item it found, read from the headers alone so that a cut-off item says it
// too. A model fills the first two fields, a texture the others.
struct ItemSummary {
    std::uint32_t objects = 0;
    std::uint32_t primitives = 0;
    std::uint32_t bpp = 0;
    std::uint32_t width = 0; // in pixels
    std::uint32_t height = 0;
    std::uint32_t cluts = 0; // colour-table rows
};

// The end of the header, the object table, every object's vertex and normal tables and its packets
// (walked by their ILEN words). None when the bytes do not start with a TMD header or its packets
// outnumber what a reader accepts.
[[nodiscard]] std::optional<ItemExtent> TmdExtent(std::span<const std::uint8_t> bytes);
// The end of the header, the colour-table block and the image block, as the reader takes them (the
// pixel data is the larger of the length word's and the image size's). None when the bytes do not
// start with a TIM's ID byte.
[[nodiscard]] std::optional<ItemExtent> TimExtent(std::span<const std::uint8_t> bytes);

} // namespace polyvane
