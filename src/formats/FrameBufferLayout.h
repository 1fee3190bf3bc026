#pragma once
// Where things live in the console's frame buffer: 1024 x 512 16-bit words, texture pages of 64 words
// across and 256 rows, colour tables addressed in 16-word steps, and how the packet fields that name
// them (the CBA and TSB halfwords) are packed.
#include <cstdint>

namespace polyvane {

inline constexpr int kFrameBufferWidth = 1024;
inline constexpr int kFrameBufferHeight = 512;

// Texture colour modes of a primitive's `pmode`.
inline constexpr std::uint8_t kPixelMode4Bit = 0;
inline constexpr std::uint8_t kPixelMode8Bit = 1;
inline constexpr std::uint8_t kPixelMode15Bit = 2;

// True when the rectangle of `width` words by `height` rows at (x, y) lies wholly in the memory.
[[nodiscard]] constexpr bool InsideFrameBuffer(long long x, long long y, long long width, long long height) {
    return x >= 0 && y >= 0 && width >= 0 && height >= 0 && x + width <= kFrameBufferWidth &&
           y + height <= kFrameBufferHeight;
}

// Texels in one 16-bit frame-buffer word for a texture colour mode: 4 (4-bit), 2 (8-bit), else 1.
[[nodiscard]] constexpr int TexelsPerUnit(std::uint8_t mode) {
    return mode == kPixelMode4Bit ? 4 : mode == kPixelMode8Bit ? 2 : 1;
}

// Frame-buffer origin of texture page `tpage`: 16 pages of 64 words across, 256 rows each.
[[nodiscard]] constexpr int TexturePageX(std::uint8_t tpage) {
    return (tpage & 0x0F) * 64;
}
[[nodiscard]] constexpr int TexturePageY(std::uint8_t tpage) {
    return (tpage >> 4) * 256;
}

// The texture page whose top-left corner holds frame-buffer point (x, y), kept to 8 bits.
[[nodiscard]] constexpr std::uint8_t TexturePageAt(std::uint16_t x, std::uint16_t y) {
    return static_cast<std::uint8_t>((y >> 8) * 16 + (x >> 6));
}

// Words across that a page covers in a colour mode: 64, 128 or 256 for 4-, 8- and 15-bit texels.
[[nodiscard]] constexpr int TexturePageWords(std::uint8_t mode) {
    return 256 / TexelsPerUnit(mode);
}

// The CBA halfword: colour-table x in 16-word steps (bits 0-5) and its row (bits 6-14).
[[nodiscard]] constexpr std::uint16_t ClutXFromCba(std::uint16_t cba) {
    return static_cast<std::uint16_t>((cba & 0x3F) * 16);
}
[[nodiscard]] constexpr std::uint16_t ClutYFromCba(std::uint16_t cba) {
    return static_cast<std::uint16_t>((cba >> 6) & 0x1FF);
}
[[nodiscard]] constexpr std::uint16_t PackCba(std::uint16_t clutX, std::uint16_t clutY) {
    return static_cast<std::uint16_t>(((clutY & 0x1FF) << 6) | ((clutX >> 4) & 0x3F));
}

// The TSB halfword: texture page (bits 0-4), semi-transparency rate (5-6), colour mode (7-8).
[[nodiscard]] constexpr std::uint8_t PageFromTsb(std::uint16_t tsb) {
    return static_cast<std::uint8_t>(tsb & 0x1F);
}
[[nodiscard]] constexpr std::uint8_t RateFromTsb(std::uint16_t tsb) {
    return static_cast<std::uint8_t>((tsb >> 5) & 3);
}
[[nodiscard]] constexpr std::uint8_t ModeFromTsb(std::uint16_t tsb) {
    return static_cast<std::uint8_t>((tsb >> 7) & 3);
}
[[nodiscard]] constexpr std::uint16_t PackTsb(std::uint8_t tpage, std::uint8_t abr, std::uint8_t pmode) {
    return static_cast<std::uint16_t>(((pmode & 3) << 7) | ((abr & 3) << 5) | (tpage & 0x1F));
}

} // namespace polyvane
