#pragma once
// Frame-buffer words shown on a screen: each 5-bit channel c widened to (c << 3) | (c >> 2), so 31
// shows as 255 and 0 as 0.
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

[[nodiscard]] constexpr std::uint8_t WidenChannel(int c) {
    return static_cast<std::uint8_t>(((c & 31) << 3) | ((c & 31) >> 2));
}

// The word as 0x00BBGGRR; bit 15 is not shown.
[[nodiscard]] constexpr std::uint32_t WidenWord(std::uint16_t word) {
    return std::uint32_t{WidenChannel(word)} | (std::uint32_t{WidenChannel(word >> 5)} << 8) |
           (std::uint32_t{WidenChannel(word >> 10)} << 16);
}

// The word as 0x00RRGGBB, blue in the low byte: each 5-bit channel moved to the top of its byte and
// its top three bits repeated below, as WidenChannel does, all three channels at once.
[[nodiscard]] constexpr std::uint32_t WidenedBgr0(std::uint16_t word) {
    const std::uint32_t w = word;
    const std::uint32_t spread = ((w >> 10) & 31) | ((w >> 5) & 31) << 8 | (w & 31) << 16;
    return spread << 3 | ((spread >> 2) & 0x070707u);
}

[[nodiscard]] inline std::vector<std::uint32_t> WidenWords(std::span<const std::uint16_t> words) {
    std::vector<std::uint32_t> out(words.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        out[i] = WidenWord(words[i]);
    return out;
}

} // namespace polyvane
