#pragma once
// Export of a model to the formats other programs read, chosen by the file name's extension.
#include "formats/TimImage.h"
#include "formats/TmdModel.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

enum class ExportFormat { glb, gltf, obj };

// By the extension, in any case; none for a name no exporter writes.
[[nodiscard]] std::optional<ExportFormat> ExportFormatOf(const std::string& path);
// "glTF binary (*.glb);;glTF (*.gltf);;Wavefront OBJ (*.obj)": the file dialog's filter.
[[nodiscard]] std::string ExportFilter();

struct ExportResult {
    bool ok = false;
    // What the user should be told: the reason for a failure, or the textures that were missing.
    std::vector<std::string> messages;
};

// Writes `model` with the textures of `tims` as `path`. The model is only read.
[[nodiscard]] ExportResult ExportModel(const ModelRef& model, std::span<const TimImage> tims,
                                       const std::string& path);

} // namespace polyvane
