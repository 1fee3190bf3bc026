#pragma once
// Edits of one loaded texture as the workbench makes them: its rectangles moved in the frame buffer,
// and its colour table's words changed, swapped, copied and replaced. Each checks first and changes
// nothing when it refuses.
#include "TimImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

enum class TimEditError {
    none,
    imagePastMemory,
    clutPastMemory,
    noClut,
    rowOutOfRange,
    entryOutOfRange,
    tooManyColours,
};
[[nodiscard]] const char* TimEditErrorText(TimEditError error);

// The column a colour table dropped at `x` lands on: the chip addresses tables in 16-word steps.
[[nodiscard]] constexpr int SnapClutColumn(int x) {
    return x < 0 ? 0 : (x + 8) / 16 * 16;
}

// Puts the image's top-left word at (x, y); refused when any of it would lie past the memory.
TimEditError MoveTimImage(TimImage& tim, int x, int y);
// Puts the colour table's first word at (x, y), x snapped to its 16-word column.
TimEditError MoveTimClut(TimImage& tim, int x, int y);

// Shows the picture through colour-table row `row`.
TimEditError ChooseTimPalette(TimImage& tim, std::size_t row);
TimEditError SetClutEntry(TimImage& tim, std::size_t row, std::size_t index, std::uint16_t word);
TimEditError SwapClutEntries(TimImage& tim, std::size_t row, std::size_t first, std::size_t second);
TimEditError CopyClutRow(TimImage& tim, std::size_t from, std::size_t to);
// Writes `words` over the start of row `row`; refused when there are more than the row holds.
TimEditError ReplaceClutRow(TimImage& tim, std::size_t row, std::span<const std::uint16_t> words);

// The colour word nearest an 8-bit RGBA colour: each channel rounded to 5 bits; a clear pixel (alpha
// 0) is the transparent 0x0000, and black that shows keeps the semi-transparency bit (0x8000).
[[nodiscard]] std::uint16_t NearestColourWord(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
// The distinct colour words of RGBA pixels in the order they first appear; none past `limit` + 1,
// so a caller sees that a picture holds too many without reading it all.
[[nodiscard]] std::vector<std::uint16_t> DistinctColourWords(std::span<const std::uint8_t> rgba,
                                                             std::size_t limit);

} // namespace polyvane
