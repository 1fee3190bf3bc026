#pragma once
// The console's frame-buffer memory, 1024 x 512 16-bit words, and the graphics chip's texture fetch
// from it. Colour words hold red in bits 0-4, green 5-9, blue 10-14 and the semi-transparency bit 15.
#include "formats/FrameBufferLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace polyvane {

class FrameBuffer {
  public:
    FrameBuffer() : m_words(std::size_t{kFrameBufferWidth} * kFrameBufferHeight, 0) {}

    // The word at (x, y), both wrapping at the memory's edges as the chip's addressing does.
    [[nodiscard]] std::uint16_t Word(int x, int y) const { return m_words[Index(x, y)]; }
    void SetWord(int x, int y, std::uint16_t word) { m_words[Index(x, y)] = word; }

    // Copies `width` x `height` words, row after row from `words`, to (x, y); what falls outside the
    // memory is cut off. Nothing is written when `words` holds fewer than width x height.
    void WriteRect(int x, int y, int width, int height, std::span<const std::uint16_t> words);

    // One block set: the view clears the whole memory before every paint.
    void Clear() { std::memset(m_words.data(), 0, m_words.size() * sizeof(std::uint16_t)); }
    [[nodiscard]] std::span<const std::uint16_t> Words() const { return m_words; }
    // Row after row, for drawing into the memory directly.
    [[nodiscard]] std::span<std::uint16_t> MutableWords() { return m_words; }
    [[nodiscard]] bool operator==(const FrameBuffer& other) const = default;

  private:
    [[nodiscard]] static std::size_t Index(int x, int y) {
        return std::size_t(y & (kFrameBufferHeight - 1)) * kFrameBufferWidth +
               std::size_t(x & (kFrameBufferWidth - 1));
    }
    std::vector<std::uint16_t> m_words;
};

// Where one primitive's texels are read: the memory's words, its page's corner and its colour
// table's row and first column, found once for all the primitive's texels.
struct TexelSource {
    const std::uint16_t* words;
    int pageX, pageY;
    const std::uint16_t* clutRow;
    int clutX;

    TexelSource(const FrameBuffer& memory, std::uint8_t tpage, std::uint16_t tableX, std::uint16_t tableY)
        : words(memory.Words().data()), pageX(TexturePageX(tpage)), pageY(TexturePageY(tpage)),
          clutRow(words + std::size_t(tableY & (kFrameBufferHeight - 1)) * kFrameBufferWidth), clutX(tableX) {
    }

    // The colour word the chip fetches at texture coordinate (u, v) in colour mode kPixelMode:
    // 4-bit texels take nibble u % 4 of word (x + u / 4, y + v) from the lowest, 8-bit ones byte
    // u % 2 of word (x + u / 2, y + v), both then the colour-table entry they name; 15-bit ones the
    // word (x + u, y + v) itself. Columns and rows wrap at the memory's edges.
    template <int kPixelMode> [[nodiscard]] std::uint16_t At(unsigned u, unsigned v) const {
        const std::uint16_t* line =
            words + std::size_t((pageY + int(v)) & (kFrameBufferHeight - 1)) * kFrameBufferWidth;
        constexpr int kColumns = kFrameBufferWidth - 1;
        if constexpr (kPixelMode == kPixelMode4Bit) {
            const std::uint16_t word = line[(pageX + int(u / 4)) & kColumns];
            return clutRow[(clutX + ((word >> ((u % 4) * 4)) & 0x0F)) & kColumns];
        } else if constexpr (kPixelMode == kPixelMode8Bit) {
            const std::uint16_t word = line[(pageX + int(u / 2)) & kColumns];
            return clutRow[(clutX + ((word >> ((u % 2) * 8)) & 0xFF)) & kColumns];
        } else {
            return line[(pageX + int(u)) & kColumns];
        }
    }
};

// What a textured primitive samples at texture coordinate (u, v): the colour word the chip fetches
// from page `tpage` in colour mode `pmode` (3 reads as 15-bit), through the colour table at
// (clutX, clutY) for 4- and 8-bit texels. 0x0000 is the transparent texel.
[[nodiscard]] inline std::uint16_t FetchTexel(const FrameBuffer& memory, std::uint8_t tpage,
                                              std::uint8_t pmode, std::uint16_t clutX, std::uint16_t clutY,
                                              std::uint8_t u, std::uint8_t v) {
    const TexelSource source(memory, tpage, clutX, clutY);
    switch (pmode) {
    case kPixelMode4Bit:
        return source.At<kPixelMode4Bit>(u, v);
    case kPixelMode8Bit:
        return source.At<kPixelMode8Bit>(u, v);
    default:
        return source.At<kPixelMode15Bit>(u, v);
    }
}

} // namespace polyvane
