#pragma once
// The page pictures an export writes, one PNG each, and the loaded textures' indices.
#include "PageTextures.h"

#include <cstdint>
#include <map>
#include <vector>

namespace polyvane {

struct ExportTextures {
    std::vector<TextureKey> keys;
    std::vector<std::vector<std::uint8_t>> pngs; // one per key
    std::map<TextureKey, int> index;
};

} // namespace polyvane
