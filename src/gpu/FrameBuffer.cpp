#include "FrameBuffer.h"

#include <algorithm>

namespace polyvane {

void FrameBuffer::WriteRect(int x, int y, int width, int height, std::span<const std::uint16_t> words) {
    if (width <= 0 || height <= 0 || words.size() < std::size_t(width) * std::size_t(height))
        return;
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min<long long>(static_cast<long long>(x) + width, kFrameBufferWidth);
    const int y1 = std::min<long long>(static_cast<long long>(y) + height, kFrameBufferHeight);
    for (int row = y0; row < y1; ++row) {
        const std::uint16_t* from =
            words.data() + std::size_t(row - y) * std::size_t(width) + std::size_t(x0 - x);
        std::copy(from, from + (x1 - x0), m_words.begin() + std::ptrdiff_t(Index(x0, row)));
    }
}

std::uint16_t FetchTexel(const FrameBuffer& memory, std::uint8_t tpage, std::uint8_t pmode,
                         std::uint16_t clutX, std::uint16_t clutY, std::uint8_t u, std::uint8_t v) {
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
