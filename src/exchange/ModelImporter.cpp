#include "ModelImporter.h"

#include "ExportGeometry.h"
#include "ObjReader.h"
#include "PngCodec.h"
#include "TimFromImage.h"
#include "formats/FrameBufferLayout.h"
#include "formats/PolygonTriangulation.h"

#include <assimp/BaseImporter.h>
#include <assimp/GltfMaterial.h>
#include <assimp/Importer.hpp>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <unordered_set>

namespace polyvane {

namespace {

constexpr double kDefaultExtent = 4096.0;
constexpr std::size_t kMaxVerticesPerObject = 65536;
// Imported textures go to 8-bit pages beside the display areas: three double-width slots in each
// half of the frame buffer, their colour tables one row each in the free columns at x = 768.
constexpr int kTextureSlots = 6;
constexpr int kSlotX[3] = {320, 448, 576};
constexpr int kClutColumn = 768;

struct MeshObject {
    const aiNode* node;
    aiMatrix4x4 transform;
};

void CollectObjects(const aiNode* node, const aiMatrix4x4& parent, std::vector<MeshObject>& out) {
    const aiMatrix4x4 transform = parent * node->mTransformation;
    if (node->mNumMeshes > 0)
        out.push_back({node, transform});
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        CollectObjects(node->mChildren[i], transform, out);
}

struct MaterialInfo {
    bool unlit = false;
    bool doubleSided = false;
    bool translucent = false;
    aiColor4D colour{0.5f, 0.5f, 0.5f, 1.0f};
    int texture = -1; // slot, or -1
    int width = 0, height = 0;
};

std::uint8_t Byte(float f, float scale) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(f * scale), 0L, 255L));
}

std::uint32_t Colour(const aiColor4D& c, bool textured) {
    const float scale = textured ? 128.0f : 255.0f;
    return Byte(c.r, scale) | (Byte(c.g, scale) << 8) | (std::uint32_t{Byte(c.b, scale)} << 16);
}

// The image shrunk, nearest texel, until it fits one page.
RgbaImage FitPage(RgbaImage image) {
    if (image.width <= 256 && image.height <= 256)
        return image;
    const double factor = 256.0 / std::max(image.width, image.height);
    RgbaImage out;
    out.width = std::max(1, int(image.width * factor));
    out.height = std::max(1, int(image.height * factor));
    out.rgba.resize(std::size_t(out.width) * std::size_t(out.height) * 4);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            std::copy_n(image.Pixel(int(x / factor), int(y / factor)), 4, out.Pixel(x, y));
    return out;
}

class Converter {
  public:
    Converter(const aiScene& scene, std::optional<std::string> directory, const ImportOptions& options)
        : m_scene(scene), m_directory(directory.value_or(std::string())), m_fromMemory(!directory),
          m_options(options) {}

    ImportResult Run();

  private:
    MaterialInfo Material(unsigned index);
    std::optional<RgbaImage> LoadImage(const std::string& name);
    bool AddObject(const MeshObject& object, double scale, TmdModelObject& out);
    void AddFace(WorkPrimitive& p, const aiMesh& mesh, const aiMatrix4x4& transform, const aiMatrix3x3& turn,
                 const unsigned* indices, int n, double scale, const MaterialInfo& material,
                 bool vertexColours);

    const aiScene& m_scene;
    std::string m_directory;
    bool m_fromMemory;
    ImportOptions m_options;
    ImportResult m_result;
    std::map<unsigned, MaterialInfo> m_materials;
    std::vector<std::string> m_brokenTextures;
    std::vector<std::string> m_unplacedTextures;
    // The picture placed in each texture slot, in slot order.
    std::vector<RgbaImage> m_slotImages;
};

std::optional<RgbaImage> Converter::LoadImage(const std::string& name) {
    if (const aiTexture* embedded = m_scene.GetEmbeddedTexture(name.c_str())) {
        if (embedded->mHeight == 0)
            return DecodePng(
                std::span(reinterpret_cast<const std::uint8_t*>(embedded->pcData), embedded->mWidth));
        RgbaImage image{int(embedded->mWidth), int(embedded->mHeight), {}};
        for (std::size_t i = 0; i < std::size_t(embedded->mWidth) * embedded->mHeight; ++i) {
            const aiTexel& t = embedded->pcData[i];
            image.rgba.insert(image.rgba.end(), {t.r, t.g, t.b, t.a});
        }
        return image;
    }
    if (m_fromMemory)
        return std::nullopt; // a model in memory has no folder to find its images in
    return ReadPngFile((std::filesystem::path(m_directory) / name).string());
}

MaterialInfo Converter::Material(unsigned index) {
    if (auto found = m_materials.find(index); found != m_materials.end())
        return found->second;
    MaterialInfo info;
    if (index < m_scene.mNumMaterials) {
        const aiMaterial& material = *m_scene.mMaterials[index];
        if (material.Get(AI_MATKEY_BASE_COLOR, info.colour) != AI_SUCCESS)
            material.Get(AI_MATKEY_COLOR_DIFFUSE, info.colour);
        int shading = 0;
        if (material.Get(AI_MATKEY_SHADING_MODEL, shading) == AI_SUCCESS)
            info.unlit = shading == aiShadingMode_Unlit || shading == aiShadingMode_NoShading;
        int twoSided = 0;
        if (material.Get(AI_MATKEY_TWOSIDED, twoSided) == AI_SUCCESS)
            info.doubleSided = twoSided != 0;
        float opacity = 1.0f;
        if (material.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && opacity < 1.0f)
            info.translucent = true;
        aiString mode;
        if (material.Get(AI_MATKEY_GLTF_ALPHAMODE, mode) == AI_SUCCESS)
            info.translucent = std::string(mode.C_Str()) == "BLEND";
        if (info.colour.a < 1.0f)
            info.translucent = true;
        aiString path;
        if (material.GetTexture(aiTextureType_BASE_COLOR, 0, &path) == AI_SUCCESS ||
            material.GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS) {
            const std::string name = path.C_Str();
            auto image = LoadImage(name);
            std::optional<RgbaImage> fitted;
            if (image)
                fitted = FitPage(std::move(*image));
            // Materials that show the same picture (a file written with one image per material)
            // share one texture page.
            const auto same = fitted ? std::find_if(m_slotImages.begin(), m_slotImages.end(),
                                                    [&](const RgbaImage& placed) {
                                                        return placed.width == fitted->width &&
                                                               placed.height == fitted->height &&
                                                               placed.rgba == fitted->rgba;
                                                    })
                                     : m_slotImages.end();
            if (!fitted)
                m_brokenTextures.push_back(name);
            else if (same != m_slotImages.end()) {
                info.texture = static_cast<int>(same - m_slotImages.begin());
                info.width = fitted->width;
                info.height = fitted->height;
            } else if (m_result.textures.size() >= kTextureSlots)
                m_unplacedTextures.push_back(name);
            else {
                const int slot = static_cast<int>(m_result.textures.size());
                TimFromImageOptions placement;
                placement.bpp = 8;
                placement.imageX = kSlotX[slot % 3];
                placement.imageY = (slot / 3) * 256;
                placement.clutX = kClutColumn;
                placement.clutY = slot;
                TimFromImageResult tim = MakeTimFromImage(*fitted, placement);
                if (tim.bytes.empty())
                    m_brokenTextures.push_back(name + " (" + tim.error + ")");
                else {
                    m_result.textures.push_back({name, std::move(tim.bytes)});
                    info.texture = slot;
                    info.width = fitted->width;
                    info.height = fitted->height;
                    m_slotImages.push_back(std::move(*fitted));
                }
            }
        }
    }
    m_materials.emplace(index, info);
    return info;
}

void Converter::AddFace(WorkPrimitive& p, const aiMesh& mesh, const aiMatrix4x4& transform,
                        const aiMatrix3x3& turn, const unsigned* indices, int n, double scale,
                        const MaterialInfo& material, bool vertexColours) {
    p = WorkPrimitive{};
    // Counter-clockwise files become the console's clockwise corners; a quad's outline its strip order.
    static constexpr int kTriangle[3] = {0, 2, 1};
    static constexpr int kQuad[4] = {3, 2, 0, 1};
    const int* order = n == 4 ? kQuad : kTriangle;
    const bool textured = material.texture >= 0 && mesh.HasTextureCoords(0);
    bool smooth = false;
    for (int k = 0; k < n; ++k) {
        const unsigned index = indices[order[k]];
        const aiVector3D position = transform * mesh.mVertices[index];
        p.x[k] = std::round(position.x * scale);
        p.y[k] = std::round(-position.y * scale);
        p.z[k] = std::round(-position.z * scale);
        aiVector3D normal = mesh.HasNormals() ? turn * mesh.mNormals[index] : aiVector3D(0, 0, 0);
        const float length = normal.Length();
        if (length > 0 && std::isfinite(length))
            normal /= length;
        p.nx[k] = normal.x;
        p.ny[k] = -normal.y;
        p.nz[k] = -normal.z;
        if (k > 0 && (p.nx[k] != p.nx[0] || p.ny[k] != p.ny[0] || p.nz[k] != p.nz[0]))
            smooth = true;
        if (vertexColours)
            p.colour[k] = Colour(mesh.mColors[0][index], textured);
        else
            p.colour[k] = Colour(material.colour, textured);
        if (textured) {
            const aiVector3D uv = mesh.mTextureCoords[0][index];
            p.u[k] = static_cast<std::uint8_t>(
                std::clamp<long>(std::lround(std::floor(uv.x * material.width)), 0, material.width - 1));
            p.v[k] = static_cast<std::uint8_t>(
                std::clamp<long>(std::lround(std::floor(uv.y * material.height)), 0, material.height - 1));
        }
    }
    std::uint16_t attr = n == 4 ? PA_QUAD : 0;
    if (!material.unlit) {
        attr |= PA_LIGHT;
        if (smooth)
            attr |= PA_GOURAUD;
        if (vertexColours && !textured)
            attr |= PA_GRADATION;
    } else if (vertexColours)
        attr |= PA_GOURAUD;
    if (material.doubleSided)
        attr |= PA_DOUBLE;
    if (material.translucent)
        attr |= PA_TRANSLUCENT;
    if (textured) {
        attr |= PA_TEXTURED;
        const int slot = material.texture;
        p.tpage = static_cast<std::uint8_t>((kSlotX[slot % 3] / 64) | ((slot / 3) << 4));
        p.pmode = kPixelMode8Bit;
        p.clutX = kClutColumn;
        p.clutY = static_cast<std::uint16_t>(slot);
    }
    p.attr = attr;
    // The face normal as the editor computes it, so the record is whole before its first save.
    const auto [fx, fy, fz] = FaceNormal(p);
    p.fnx = fx, p.fny = fy, p.fnz = fz;
    if (!mesh.HasNormals())
        for (int k = 0; k < n; ++k)
            p.nx[k] = p.fnx, p.ny[k] = p.fny, p.nz[k] = p.fnz;
}

bool Converter::AddObject(const MeshObject& object, double scale, TmdModelObject& out) {
    std::vector<WorkPrimitive> records;
    aiMatrix3x3 turn(object.transform);
    turn.Inverse().Transpose();
    std::vector<double> polygon;
    for (unsigned m = 0; m < object.node->mNumMeshes; ++m) {
        const aiMesh& mesh = *m_scene.mMeshes[object.node->mMeshes[m]];
        const MaterialInfo material = Material(mesh.mMaterialIndex);
        bool vertexColours = false;
        if (mesh.HasVertexColors(0))
            for (unsigned i = 1; i < mesh.mNumVertices && !vertexColours; ++i)
                vertexColours = mesh.mColors[0][i] != mesh.mColors[0][0];
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices < 3)
                continue; // points and lines have no TMD polygon
            if (face.mNumIndices <= 4) {
                records.emplace_back();
                AddFace(records.back(), mesh, object.transform, turn, face.mIndices, int(face.mNumIndices),
                        scale, material, vertexColours);
                continue;
            }
            polygon.clear();
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                const aiVector3D v = mesh.mVertices[face.mIndices[k]];
                polygon.insert(polygon.end(), {double(v.x), double(v.y), double(v.z)});
            }
            const auto triangles = TriangulatePolygon(polygon);
            for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
                const unsigned corners[3] = {face.mIndices[triangles[t]], face.mIndices[triangles[t + 1]],
                                             face.mIndices[triangles[t + 2]]};
                records.emplace_back();
                AddFace(records.back(), mesh, object.transform, turn, corners, 3, scale, material,
                        vertexColours);
            }
        }
    }
    // The writer's own limit, checked on the integer positions it would share.
    std::unordered_set<std::uint64_t> distinct;
    for (const WorkPrimitive& p : records)
        for (int k = 0; k < VertexCount(p); ++k) {
            auto bits = [](double value) {
                return std::uint64_t(std::uint16_t(std::int16_t(std::clamp(value, -32768.0, 32767.0))));
            };
            distinct.insert(bits(p.x[k]) | (bits(p.y[k]) << 16) | (bits(p.z[k]) << 32));
        }
    if (distinct.size() > kMaxVerticesPerObject) {
        m_result.messages = {"Too many vertices in object"};
        return false;
    }
    out.entry.n_vert = static_cast<std::uint32_t>(distinct.size());
    out.entry.n_primitive = static_cast<std::uint32_t>(records.size());
    if (!records.empty()) {
        out.records = std::make_unique<WorkPrimitive[]>(records.size());
        std::copy(records.begin(), records.end(), out.records.get());
    }
    return true;
}

ImportResult Converter::Run() {
    std::vector<MeshObject> objects;
    if (m_scene.mRootNode)
        CollectObjects(m_scene.mRootNode, aiMatrix4x4(), objects);
    if (objects.empty()) {
        m_result.messages = {"The file holds no meshes"};
        return std::move(m_result);
    }
    if (objects.size() > kMaxObjects) {
        m_result.messages = {"The file holds " + std::to_string(objects.size()) +
                             " meshes; a model holds at most 4096 objects"};
        return std::move(m_result);
    }
    double scale = m_options.scale.value_or(0.0);
    if (!m_options.scale) {
        double largest = 0.0;
        for (const MeshObject& object : objects)
            for (unsigned m = 0; m < object.node->mNumMeshes; ++m) {
                const aiMesh& mesh = *m_scene.mMeshes[object.node->mMeshes[m]];
                for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
                    const aiVector3D v = object.transform * mesh.mVertices[i];
                    largest = std::max(
                        {largest, std::fabs(double(v.x)), std::fabs(double(v.y)), std::fabs(double(v.z))});
                }
            }
        scale = largest > 0.0 && std::isfinite(largest) ? kDefaultExtent / largest : 1.0;
    }
    m_result.model.header = {kTmdId, 0, static_cast<std::uint32_t>(objects.size())};
    m_result.model.objects.resize(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (!AddObject(objects[i], scale, m_result.model.objects[i])) {
            m_result.model = TmdModel{};
            m_result.textures.clear();
            return std::move(m_result);
        }
    if (!m_brokenTextures.empty()) {
        std::string text = "Textures could not be read, their meshes imported untextured:";
        for (std::size_t i = 0; i < m_brokenTextures.size(); ++i)
            text += (i ? ", " : " ") + m_brokenTextures[i];
        m_result.messages.push_back(text);
    }
    if (!m_unplacedTextures.empty()) {
        std::string text = "No free texture page, meshes imported untextured:";
        for (std::size_t i = 0; i < m_unplacedTextures.size(); ++i)
            text += (i ? ", " : " ") + m_unplacedTextures[i];
        m_result.messages.push_back(text);
    }
    m_result.ok = true;
    return std::move(m_result);
}

constexpr unsigned kReadFlags = aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals |
                                aiProcess_FlipUVs | aiProcess_ValidateDataStructure |
                                aiProcess_FindInvalidData;

ImportResult Failure(std::string text) {
    ImportResult result;
    result.messages.push_back(std::move(text));
    return result;
}

// The library's importer, made once per thread: making one sets up every reader and post-processing
// step the library has, which costs more than reading a small model. A read frees the scene before.
// OBJ files are read by our own reader (see ObjReader.h).
Assimp::Importer& ThreadImporter() {
    thread_local Assimp::Importer importer;
    thread_local const bool ready = (UseOurObjReader(importer), true);
    (void)ready;
    return importer;
}

// Whether the readers that claim `name`'s extension all refuse its bytes. When several readers claim
// an extension and every one refuses, the library goes on to try each of its other readers, and some
// of those overrun their buffers on bytes they were never meant for; such a file is refused here
// instead. With one claimant the library reads with it alone, and a name no reader claims is left to
// the library's guess, as a format the user did not name.
bool RefusedByItsReaders(Assimp::Importer& importer, const std::string& name, Assimp::IOSystem* io) {
    std::string extension = std::filesystem::path(name).extension().string();
    if (extension.empty())
        return false;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::vector<Assimp::BaseImporter*> claimants;
    for (std::size_t i = 0; i < importer.GetImporterCount(); ++i) {
        Assimp::BaseImporter* reader = importer.GetImporter(i);
        std::set<std::string> extensions;
        reader->GetExtensionList(extensions);
        if (extensions.count(extension))
            claimants.push_back(reader);
    }
    return claimants.size() > 1 &&
           std::none_of(claimants.begin(), claimants.end(),
                        [&](const Assimp::BaseImporter* reader) { return reader->CanRead(name, io, true); });
}

// The scene read by `importer` converted into a model, or the failure; the scene is then freed.
ImportResult ConvertScene(Assimp::Importer& importer, const aiScene* scene, const std::string& failure,
                          std::optional<std::string> folder, const ImportOptions& options) {
    ImportResult result = !scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)
                              ? Failure(failure + importer.GetErrorString())
                              : Converter(*scene, std::move(folder), options).Run();
    importer.FreeScene();
    return result;
}

} // namespace

ImportResult ImportModelFile(const std::string& path, const ImportOptions& options) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return Failure("Cannot open " + path);
    if (std::filesystem::file_size(path, error) == 0)
        return Failure("Cannot read " + path + ": the file is empty");
    Assimp::Importer& importer = ThreadImporter();
    if (RefusedByItsReaders(importer, path, importer.GetIOHandler()))
        return Failure("Cannot read " + path + ": it is not a valid " +
                       std::filesystem::path(path).extension().string() + " file");
    const aiScene* scene = importer.ReadFile(path, kReadFlags);
    return ConvertScene(importer, scene, "Cannot read " + path + ": ",
                        std::filesystem::path(path).parent_path().string(), options);
}

ImportResult ImportModelFromMemory(std::span<const std::uint8_t> bytes, const char* hint,
                                   const ImportOptions& options) {
    if (bytes.empty())
        return Failure("Cannot read the model: it is empty");
    Assimp::Importer& importer = ThreadImporter();
    const std::string extension = std::string(".") + (hint ? hint : "");
    Assimp::MemoryIOSystem memory(bytes.data(), bytes.size(), importer.GetIOHandler());
    if (RefusedByItsReaders(importer, AI_MEMORYIO_MAGIC_FILENAME + extension, &memory))
        return Failure("Cannot read the model: it is not a valid " + extension + " file");
    const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), kReadFlags, hint);
    return ConvertScene(importer, scene, "Cannot read the model: ", std::nullopt, options);
}

std::string ImportedTexturePath(const std::string& timPath, std::size_t index) {
    if (index == 0)
        return timPath;
    const std::filesystem::path base(timPath);
    return (base.parent_path() /
            (base.stem().string() + '-' + std::to_string(index) + base.extension().string()))
        .string();
}

} // namespace polyvane
