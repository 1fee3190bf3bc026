#pragma once
// Export of a model to the formats other programs read, chosen by the file name's extension from the
// format table.
#include "ExportTextures.h"
#include "formats/TimImage.h"
#include "formats/TmdModel.h"

#include <span>
#include <string>
#include <vector>

namespace polyvane {

struct ExportResult {
    bool ok = false;
    // What the user should be told: the reason for a failure, or the textures that were missing.
    std::vector<std::string> messages;
};

// Writes `model` with the textures of `tims` as `path`, in the export format its extension names.
// The model is only read.
[[nodiscard]] ExportResult ExportModel(const ModelRef& model, std::span<const TimImage> tims,
                                       const std::string& path);

// An exporter's writer: the model and the pictures of the textures it uses to `path`; an error text,
// empty when written.
using ExportWriter = std::string (*)(const ModelRef&, const ExportTextures&, const std::string& path);
// Gathers the textures `model` uses from `tims` as pictures and writes with `writer`; what the user
// should be told goes to `messages`. True when written.
bool ExportWith(const ModelRef& model, std::span<const TimImage> tims, const std::string& path,
                ExportWriter writer, std::vector<std::string>& messages);

} // namespace polyvane
