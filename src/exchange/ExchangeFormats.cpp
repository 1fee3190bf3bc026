#include "ExchangeFormats.h"

#include "GltfExporter.h"
#include "ModelExporter.h"
#include "ModelImporter.h"
#include "ObjExporter.h"

#include <cstring>

namespace polyvane {

namespace {

ModelReadResult FromImport(ImportResult result) {
    if (!result.ok)
        return std::move(result.messages);
    ModelRead read;
    read.model = std::move(result.model);
    for (ImportedTexture& texture : result.textures)
        read.textures.push_back(std::move(texture.tim));
    read.notices = std::move(result.messages);
    return read;
}

ImportOptions ImportOptionsOf(const ModelReadOptions& options) {
    ImportOptions import;
    import.scale = options.importScale;
    return import;
}

// An import entry: files are read by path, so that the files they name beside them are found.
FileFormat ImportFormat(const char* name, std::vector<std::string> extensions, const char* filter,
                        Certainty (*detect)(std::span<const std::uint8_t>) = nullptr) {
    FileFormat f;
    f.name = name;
    f.filter = filter;
    f.roles = kImportRole;
    f.detect = detect;
    const std::string hint = extensions.empty() ? std::string() : extensions.front();
    f.extensions = std::move(extensions);
    f.readModel = [hint](std::span<const std::uint8_t> bytes, const ModelReadOptions& options) {
        return FromImport(ImportModelFromMemory(bytes, hint.c_str(), ImportOptionsOf(options)));
    };
    f.readModelFile = [](const std::string& path, const ModelReadOptions& options) {
        return FromImport(ImportModelFile(path, ImportOptionsOf(options)));
    };
    return f;
}

Certainty DetectGlb(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "glTF", 4) == 0 ? Certainty::sure : Certainty::no;
}

FileFormat ExportFormat(const char* name, const char* extension, const char* filter, ExportWriter writer) {
    FileFormat f;
    f.name = name;
    f.extensions = {extension};
    f.filter = filter;
    f.roles = kExportRole;
    f.exportModel = [writer](const ModelRef& model, std::span<const TimImage> tims, const std::string& path,
                             std::vector<std::string>& messages) {
        return ExportWith(model, tims, path, writer, messages);
    };
    return f;
}

} // namespace

void RegisterExchangeFormats(FormatRegistry& registry) {
    if (registry.ByName("glTF"))
        return;
    registry.Add(ImportFormat("glTF", {"gltf", "glb"}, "glTF (*.gltf *.glb)", DetectGlb));
    registry.Add(ImportFormat("Wavefront OBJ", {"obj"}, "Wavefront OBJ (*.obj)"));
    registry.Add(ImportFormat("FBX", {"fbx"}, "FBX (*.fbx)"));
    registry.Add(ImportFormat("COLLADA", {"dae"}, "COLLADA (*.dae)"));
    registry.Add(ImportFormat("PLY", {"ply"}, "PLY (*.ply)"));
    registry.Add(ImportFormat("STL", {"stl"}, "STL (*.stl)"));
    // Any other file the library may know by its contents.
    registry.Add(ImportFormat("Other model", {}, ""));

    registry.Add(
        ExportFormat("glTF binary export", "glb", "glTF binary (*.glb)",
                     [](const ModelRef& model, const ExportTextures& textures, const std::string& path) {
                         return WriteGltf(model, textures, path, true);
                     }));
    registry.Add(
        ExportFormat("glTF export", "gltf", "glTF (*.gltf)",
                     [](const ModelRef& model, const ExportTextures& textures, const std::string& path) {
                         return WriteGltf(model, textures, path, false);
                     }));
    registry.Add(ExportFormat("Wavefront OBJ export", "obj", "Wavefront OBJ (*.obj)", WriteObj));
}

} // namespace polyvane
