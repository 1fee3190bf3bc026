#pragma once
// An 8-bit RGBA picture, rows from the top: what exchange formats store textures as.
#include <cstdint>
#include <vector>

namespace polyvane {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // width x height x 4 bytes

    [[nodiscard]] const std::uint8_t* Pixel(int x, int y) const {
        return rgba.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
    }
    [[nodiscard]] std::uint8_t* Pixel(int x, int y) {
        return rgba.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
    }
};

} // namespace polyvane
