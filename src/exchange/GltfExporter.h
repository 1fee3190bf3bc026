#pragma once
// glTF 2.0 export: every object a mesh with its own node, named after the object's index.
#include "ExportTextures.h"
#include "formats/TmdModel.h"

#include <string>

namespace polyvane {

// Writes `path` as binary glTF (one file) when `binary`, else as JSON with `<name>.bin` and the page
// pictures `<name>_tex<i>.png` beside it. Returns an error text, empty on success.
[[nodiscard]] std::string WriteGltf(const ModelRef& model, const ExportTextures& textures,
                                    const std::string& path, bool binary);

} // namespace polyvane
