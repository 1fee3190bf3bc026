#include "TexelRetarget.h"

#include "formats/FrameBufferLayout.h"

#include <algorithm>

namespace polyvane {

namespace {

bool ReadsImage(const TexelAddress& a, const WordRect& image) {
    const int perWord = TexelsPerUnit(a.pmode);
    for (int k = 0; k < a.corners; ++k) {
        const int x = TexturePageX(a.tpage) + a.u[std::size_t(k)] / perWord;
        const int y = TexturePageY(a.tpage) + a.v[std::size_t(k)];
        if (!image.Contains(x, y))
            return false;
    }
    return a.corners > 0;
}

// Coordinates `values` counted from `origin` in texels, shifted by `shift`, rebased on the furthest
// page start (a multiple of `step`, at most `lastStart`) that still reaches the lowest of them.
// False when one would lie past `end` (the memory's edge) or more than 255 from the start.
bool Rebase(std::array<std::uint8_t, 4>& values, int corners, int origin, int shift, int step, int lastStart,
            int end, int& start) {
    std::array<int, 4> at{};
    int low = 1 << 30, high = -(1 << 30);
    for (int k = 0; k < corners; ++k) {
        at[std::size_t(k)] = origin + values[std::size_t(k)] + shift;
        low = std::min(low, at[std::size_t(k)]);
        high = std::max(high, at[std::size_t(k)]);
    }
    if (low < 0 || high >= end)
        return false;
    start = std::min(low / step * step, lastStart);
    if (high - start > 255)
        return false;
    for (int k = 0; k < corners; ++k)
        values[std::size_t(k)] = static_cast<std::uint8_t>(at[std::size_t(k)] - start);
    return true;
}

} // namespace

RetargetResult RetargetTexels(TexelAddress& address, const TextureMove& move) {
    const bool indexed = address.pmode == kPixelMode4Bit || address.pmode == kPixelMode8Bit;
    const bool image = ReadsImage(address, move.image) && (move.dx != 0 || move.dy != 0);
    const bool table =
        indexed && move.clut.Contains(address.clutX, address.clutY) && (move.clutDx != 0 || move.clutDy != 0);
    if (!image && !table)
        return RetargetResult::untouched;

    TexelAddress next = address;
    if (image) {
        // Texel columns count from the memory's left edge; pages start every 64 words.
        const int perWord = TexelsPerUnit(address.pmode);
        int columnStart = 0, rowStart = 0;
        if (!Rebase(next.u, address.corners, TexturePageX(address.tpage) * perWord, move.dx * perWord,
                    64 * perWord, 15 * 64 * perWord, kFrameBufferWidth * perWord, columnStart) ||
            !Rebase(next.v, address.corners, TexturePageY(address.tpage), move.dy, 256, 256,
                    kFrameBufferHeight, rowStart))
            return RetargetResult::unreachable;
        next.tpage = static_cast<std::uint8_t>((rowStart / 256) * 16 + columnStart / (64 * perWord));
    }
    if (table) {
        const int x = address.clutX + move.clutDx, y = address.clutY + move.clutDy;
        if (x < 0 || y < 0 || x % 16 != 0 || x >= kFrameBufferWidth || y >= kFrameBufferHeight)
            return RetargetResult::unreachable;
        next.clutX = static_cast<std::uint16_t>(x);
        next.clutY = static_cast<std::uint16_t>(y);
    }
    address = next;
    return RetargetResult::moved;
}

} // namespace polyvane
