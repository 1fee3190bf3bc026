#pragma once
// Whether bytes at a place read as a model or a texture through the codecs that open files, and how
// far the item reaches: a TIM its blocks, a TMD the furthest end of its object tables and packets.
#include <cstdint>
#include <optional>
#include <span>

namespace polyvane::gamedata {

enum class ItemFormat { tmd, tim };

struct TextureLayout {
    std::uint8_t pixelMode = 0;
    std::uint16_t imageX = 0, imageY = 0, imageWidth = 0, imageHeight = 0;
    bool hasClut = false;
    std::uint16_t clutX = 0, clutY = 0, clutWidth = 0, clutHeight = 0;
    bool operator==(const TextureLayout&) const = default;
};

struct ProbedItem {
    ItemFormat format = ItemFormat::tmd;
    std::uint64_t size = 0;
    TextureLayout texture; // a TIM's only
};

// The item starting at bytes[0], or none when they read as neither format or are cut off.
[[nodiscard]] std::optional<ProbedItem> ProbeItem(std::span<const std::uint8_t> bytes);

[[nodiscard]] const char* ItemFormatName(ItemFormat format);

} // namespace polyvane::gamedata
