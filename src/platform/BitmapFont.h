#pragma once
// The software surface's font: printable ASCII in five-by-nine glyphs on a fixed six-by-twelve cell.
#include <cstdint>

namespace polyvane {

class BitmapFont {
  public:
    static constexpr int kGlyphColumns = 5;
    static constexpr int kGlyphRows = 9;
    static constexpr int kCellWidth = 6;
    static constexpr int kCellHeight = 12;
    // Glyph rows start this far below the top of the cell.
    static constexpr int kTopMargin = 2;

    // Whether the glyph of `c` has ink at (column, row) of its glyph box.
    [[nodiscard]] static bool Ink(unsigned char c, int column, int row);
};

} // namespace polyvane
