#pragma once
// Wavefront OBJ export: the geometry with quads kept, texture coordinates, and an MTL library whose
// materials name the page pictures written beside it.
#include "ExportTextures.h"
#include "formats/TmdModel.h"

#include <string>

namespace polyvane {

// Writes `path`, `<name>.mtl` and `<name>_tex<i>.png`. Returns an error text, empty on success.
[[nodiscard]] std::string WriteObj(const ModelRef& model, const ExportTextures& textures,
                                   const std::string& path);

} // namespace polyvane
