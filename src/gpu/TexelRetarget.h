#pragma once
// Keeping a primitive on its texels when the texture it reads moves in the frame buffer: the texture
// page, colour-table position and texture coordinates that address the same texels at the new place.
#include <array>
#include <cstdint>

namespace polyvane {

// Where a textured primitive reads: the fields of its packet that address the frame buffer.
struct TexelAddress {
    std::uint8_t tpage = 0;
    std::uint8_t pmode = 0;
    std::uint16_t clutX = 0, clutY = 0;
    std::array<std::uint8_t, 4> u{}, v{};
    int corners = 3;
};

// A rectangle of frame-buffer words.
struct WordRect {
    int x = 0, y = 0, width = 0, height = 0;
    [[nodiscard]] bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

// A texture's image and colour table, where they were and how far each moves, in words.
struct TextureMove {
    WordRect image;
    int dx = 0, dy = 0;
    WordRect clut; // empty without a table
    int clutDx = 0, clutDy = 0;
};

enum class RetargetResult {
    untouched,   // reads neither the image nor the table
    moved,       // now reads the same texels at the new place
    unreachable, // no page and coordinates reach them; left as it was
};

// Applies the move to a primitive reading the image (every corner's texel inside it) or the table
// (its colour-table position inside it). On `unreachable` the address is unchanged.
RetargetResult RetargetTexels(TexelAddress& address, const TextureMove& move);

} // namespace polyvane
