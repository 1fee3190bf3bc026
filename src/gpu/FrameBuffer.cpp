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
    // A rectangle wholly left or right of the memory has no column in it.
    if (x0 >= x1)
        return;
    for (int row = y0; row < y1; ++row) {
        const std::uint16_t* from =
            words.data() + std::size_t(row - y) * std::size_t(width) + std::size_t(x0 - x);
        std::copy(from, from + (x1 - x0), m_words.begin() + std::ptrdiff_t(Index(x0, row)));
    }
}

} // namespace polyvane
