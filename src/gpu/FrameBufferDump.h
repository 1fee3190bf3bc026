#pragma once
// The frame-buffer memory as files: the raw dump emulators write (1024 x 512 little-endian words,
// row after row), the memory read as 4- or 8-bit texels through a colour-table row, and a rectangle
// of it cut out as a new texture.
#include "FrameBuffer.h"
#include "formats/Result.h"
#include "formats/TimImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

inline constexpr std::size_t kFrameBufferDumpBytes = std::size_t{kFrameBufferWidth} * kFrameBufferHeight * 2;

enum class FrameBufferFileError { wrongDumpSize, rectPastMemory, clutPastMemory, badDepth };
[[nodiscard]] const char* FrameBufferFileErrorText(FrameBufferFileError error);

[[nodiscard]] Result<FrameBuffer, FrameBufferFileError>
ReadFrameBufferDump(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::vector<std::uint8_t> FrameBufferDumpBytes(const FrameBuffer& memory);

// The words (x, y) to (x + widthWords, y + height) read as texels of colour mode `pmode`: the colour
// word the chip fetches for each, through the colour-table row at (clutX, clutY) for 4- and 8-bit
// texels. widthWords x TexelsPerUnit(pmode) texels a row, rows from the top.
[[nodiscard]] std::vector<std::uint16_t> DecodeTexels(const FrameBuffer& memory, int x, int y, int widthWords,
                                                      int height, std::uint8_t pmode, std::uint16_t clutX,
                                                      std::uint16_t clutY);

// The rectangle (x, y, widthWords, height) of the memory as a texture of `depth` bits a texel (4, 8
// or 16) placed where it was; 4- and 8-bit ones take the 16 or 256 words at (clutX, clutY) as their
// colour table. Refused when the rectangle or the table passes the memory's edge.
[[nodiscard]] Result<TimImage, FrameBufferFileError>
CutTim(const FrameBuffer& memory, int x, int y, int widthWords, int height, int depth, int clutX, int clutY);

} // namespace polyvane
