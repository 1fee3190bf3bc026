#pragma once
// The console's frame-buffer memory, 1024 x 512 16-bit words, and the graphics chip's texture fetch
// from it. Colour words hold red in bits 0-4, green 5-9, blue 10-14 and the semi-transparency bit 15.
#include "formats/FrameBufferLayout.h"

#include <algorithm>
#include <cstdint>
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

    void Clear() { std::fill(m_words.begin(), m_words.end(), std::uint16_t{0}); }
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

// What a textured primitive samples at texture coordinate (u, v): the colour word the chip fetches
// from page `tpage` in colour mode `pmode`, through the colour table at (clutX, clutY) for 4- and
// 8-bit texels. 0x0000 is the transparent texel. Inline, as it runs for every textured pixel.
[[nodiscard]] inline std::uint16_t FetchTexel(const FrameBuffer& memory, std::uint8_t tpage,
                                              std::uint8_t pmode, std::uint16_t clutX, std::uint16_t clutY,
                                              std::uint8_t u, std::uint8_t v) {
    const int x = TexturePageX(tpage);
    const int y = TexturePageY(tpage) + v;
    switch (pmode) {
    case kPixelMode4Bit: {
        const std::uint16_t word = memory.Word(x + u / 4, y);
        const int index = (word >> ((u % 4) * 4)) & 0x0F;
        return memory.Word(clutX + index, clutY);
    }
    case kPixelMode8Bit: {
        const std::uint16_t word = memory.Word(x + u / 2, y);
        const int index = (word >> ((u % 2) * 8)) & 0xFF;
        return memory.Word(clutX + index, clutY);
    }
    default:
        return memory.Word(x + u, y);
    }
}

} // namespace polyvane
