#pragma once
#include <cstdint>
#include <string>

namespace polyvane {

// One surface of an imported LightWave object: the attribute bits and colours its polygons take.
struct LwoSurface {
    std::uint16_t attr = 0;
    std::uint32_t colour[4] = {0, 0, 0, 0};
    std::string name; // at most 48 characters
};

} // namespace polyvane
