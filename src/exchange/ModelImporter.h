#pragma once
// Import of the formats modelling programs write (glTF, OBJ, FBX, COLLADA, PLY, STL and the others
// the Open Asset Import Library reads) into a TMD model, with TIMs made from the materials' images.
#include "formats/TmdModel.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

struct ImportOptions {
    // File units times this are model units; none: the largest coordinate becomes 4096.
    std::optional<double> scale;
};

struct ImportedTexture {
    std::string source;            // the image the material named
    std::vector<std::uint8_t> tim; // the TIM made of it, placed where the primitives sample it
};

struct ImportResult {
    bool ok = false;
    TmdModel model;
    std::vector<ImportedTexture> textures;
    // For a failure its reason; otherwise what the user should know (textures left out).
    std::vector<std::string> messages;
};

[[nodiscard]] ImportResult ImportModelFile(const std::string& path, const ImportOptions& options = {});
// The same over bytes in memory; `hint` is the format's usual extension ("obj", "gltf", ...).
[[nodiscard]] ImportResult ImportModelFromMemory(std::span<const std::uint8_t> bytes, const char* hint,
                                                 const ImportOptions& options = {});

// Where the import's textures are written: the first at `timPath`, the next ones with -1, -2, ...
// before its extension.
[[nodiscard]] std::string ImportedTexturePath(const std::string& timPath, std::size_t index);

} // namespace polyvane
