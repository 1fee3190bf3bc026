#include "ModelExporter.h"

#include "ExchangeFormats.h"
#include "PageTextures.h"
#include "PngCodec.h"

namespace polyvane {

bool ExportWith(const ModelRef& model, std::span<const TimImage> tims, const std::string& path,
                ExportWriter writer, std::vector<std::string>& messages) {
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
        messages.push_back(MissingTexturesMessage(usage.missing));
    const std::string error = writer(model, textures, path);
    if (!error.empty()) {
        messages.push_back(error);
        return false;
    }
    return true;
}

ExportResult ExportModel(const ModelRef& model, std::span<const TimImage> tims, const std::string& path) {
    RegisterExchangeFormats();
    ExportResult result;
    const FileFormat* format = Formats().ForPath(path, kExportRole);
    if (!format || !format->exportModel) {
        result.messages.push_back("Unknown export format: " + path + " (use .glb, .gltf or .obj)");
        return result;
    }
    result.ok = format->exportModel(model, tims, path, result.messages);
    return result;
}

} // namespace polyvane
