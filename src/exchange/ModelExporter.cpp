#include "ModelExporter.h"

#include "GltfExporter.h"
#include "ObjExporter.h"
#include "PageTextures.h"
#include "PngCodec.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace polyvane {

std::optional<ExportFormat> ExportFormatOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".glb")
        return ExportFormat::glb;
    if (extension == ".gltf")
        return ExportFormat::gltf;
    if (extension == ".obj")
        return ExportFormat::obj;
    return std::nullopt;
}

std::string ExportFilter() {
    return "glTF binary (*.glb);;glTF (*.gltf);;Wavefront OBJ (*.obj)";
}

ExportResult ExportModel(const ModelRef& model, std::span<const TimImage> tims, const std::string& path) {
    ExportResult result;
    const auto format = ExportFormatOf(path);
    if (!format) {
        result.messages.push_back("Unknown export format: " + path + " (use .glb, .gltf or .obj)");
        return result;
    }
    PageTextures pages;
    pages.Load(tims);
    const PageTextures::Usage usage = pages.Collect(model);
    ExportTextures textures;
    for (const TextureKey& key : usage.loaded) {
        textures.index.emplace(key, static_cast<int>(textures.keys.size()));
        textures.keys.push_back(key);
        textures.pngs.push_back(EncodePng(pages.Decode(key)));
    }
    if (!usage.missing.empty())
        result.messages.push_back(MissingTexturesMessage(usage.missing));
    const std::string error = *format == ExportFormat::obj
                                  ? WriteObj(model, textures, path)
                                  : WriteGltf(model, textures, path, *format == ExportFormat::glb);
    if (!error.empty()) {
        result.messages.push_back(error);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace polyvane
