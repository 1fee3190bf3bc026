#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include "GltfExporter.h"

#include "ExportGeometry.h"
#include "PngCodec.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>

namespace polyvane {

namespace {

constexpr int kNearest = 9728;
constexpr int kClampToEdge = 33071;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr const char* kUnlit = "KHR_materials_unlit";

// Builds the one buffer every accessor and embedded picture reads from.
class BufferBuilder {
  public:
    explicit BufferBuilder(tinygltf::Model& model) : m_model(model) { m_model.buffers.emplace_back(); }

    int View(const void* data, std::size_t size, int target) {
        auto& bytes = m_model.buffers[0].data;
        bytes.resize((bytes.size() + 3) & ~std::size_t{3}, 0); // every view starts 4-byte aligned
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes.size();
        view.byteLength = size;
        view.target = target;
        const auto* from = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), from, from + size);
        m_model.bufferViews.push_back(view);
        return static_cast<int>(m_model.bufferViews.size() - 1);
    }

    template <typename T>
    int Accessor(const std::vector<T>& values, int components, int componentType, int type, int target,
                 bool normalized = false) {
        tinygltf::Accessor accessor;
        accessor.bufferView = View(values.data(), values.size() * sizeof(T), target);
        accessor.componentType = componentType;
        accessor.count = values.size() / std::size_t(components);
        accessor.type = type;
        accessor.normalized = normalized;
        m_model.accessors.push_back(accessor);
        return static_cast<int>(m_model.accessors.size() - 1);
    }

  private:
    tinygltf::Model& m_model;
};

struct PrimitiveArrays {
    std::vector<float> positions, normals, uvs;
    std::vector<std::uint8_t> colours;
    std::vector<std::uint32_t> indices;
};

void AddCorner(PrimitiveArrays& arrays, const WorkPrimitive& p, int k, const MaterialKey& material) {
    const auto position = ExportPosition(p, k);
    const auto normal = ExportNormal(p, k);
    arrays.positions.insert(arrays.positions.end(), position.begin(), position.end());
    arrays.normals.insert(arrays.normals.end(), normal.begin(), normal.end());
    if (material.texture >= 0) {
        const auto uv = ExportUv(p, k);
        arrays.uvs.insert(arrays.uvs.end(), uv.begin(), uv.end());
    }
    if (material.vertexColours) {
        const int colours = ColourCount(p);
        const auto factor = ColourFactor(p.colour[k < colours ? k : 0], material.texture >= 0);
        for (float f : factor)
            arrays.colours.push_back(static_cast<std::uint8_t>(std::lround(f * 255.0f)));
        arrays.colours.push_back(255);
    }
}

PrimitiveArrays BuildArrays(const std::vector<const WorkPrimitive*>& records, const MaterialKey& material) {
    PrimitiveArrays arrays;
    for (const WorkPrimitive* p : records) {
        const auto base = static_cast<std::uint32_t>(arrays.positions.size() / 3);
        const bool quad = p->attr & PA_QUAD;
        for (int k = 0; k < VertexCount(*p); ++k)
            AddCorner(arrays, *p, k, material);
        if (quad)
            for (int k : kQuadTriangles)
                arrays.indices.push_back(base + std::uint32_t(k));
        else
            for (int k : kTriangleOrder)
                arrays.indices.push_back(base + std::uint32_t(k));
    }
    return arrays;
}

tinygltf::Primitive AddPrimitive(tinygltf::Model& model, BufferBuilder& buffer, const PrimitiveArrays& arrays,
                                 int materialIndex, const MaterialKey& material) {
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = materialIndex;
    const int position =
        buffer.Accessor(arrays.positions, 3, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, kArrayBuffer);
    std::vector<double> low(3, std::numeric_limits<double>::max()),
        high(3, std::numeric_limits<double>::lowest());
    for (std::size_t i = 0; i < arrays.positions.size(); ++i) {
        low[i % 3] = std::min<double>(low[i % 3], arrays.positions[i]);
        high[i % 3] = std::max<double>(high[i % 3], arrays.positions[i]);
    }
    model.accessors[std::size_t(position)].minValues = low;
    model.accessors[std::size_t(position)].maxValues = high;
    primitive.attributes["POSITION"] = position;
    primitive.attributes["NORMAL"] =
        buffer.Accessor(arrays.normals, 3, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, kArrayBuffer);
    if (material.texture >= 0)
        primitive.attributes["TEXCOORD_0"] =
            buffer.Accessor(arrays.uvs, 2, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, kArrayBuffer);
    if (material.vertexColours)
        primitive.attributes["COLOR_0"] = buffer.Accessor(
            arrays.colours, 4, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, kArrayBuffer, true);
    primitive.indices = buffer.Accessor(arrays.indices, 1, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                                        TINYGLTF_TYPE_SCALAR, kElementArrayBuffer);
    return primitive;
}

tinygltf::Material MakeMaterial(const MaterialKey& key, int textureIndex) {
    tinygltf::Material material;
    const auto factor = ColourFactor(key.colour, key.texture >= 0);
    const double alpha = key.translucent ? 0.5 : 1.0; // the console's usual rate mixes half and half
    material.pbrMetallicRoughness.baseColorFactor =
        key.vertexColours ? std::vector<double>{1.0, 1.0, 1.0, alpha}
                          : std::vector<double>{factor[0], factor[1], factor[2], alpha};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 1.0;
    if (textureIndex >= 0)
        material.pbrMetallicRoughness.baseColorTexture.index = textureIndex;
    material.doubleSided = key.doubleSided;
    if (key.translucent)
        material.alphaMode = "BLEND";
    else if (textureIndex >= 0) {
        material.alphaMode = "MASK"; // transparent texels are cut out, as the chip skips them
        material.alphaCutoff = 0.5;
    }
    if (key.unlit)
        material.extensions[kUnlit] = tinygltf::Value(tinygltf::Value::Object());
    return material;
}

} // namespace

std::string WriteGltf(const ModelRef& source, const ExportTextures& textures, const std::string& path,
                      bool binary) {
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "polyvane";
    BufferBuilder buffer(model);
    const std::filesystem::path target(path);
    const std::string stem = target.stem().string();

    if (!textures.keys.empty()) {
        tinygltf::Sampler sampler;
        sampler.magFilter = kNearest;
        sampler.minFilter = kNearest;
        sampler.wrapS = kClampToEdge;
        sampler.wrapT = kClampToEdge;
        model.samplers.push_back(sampler);
    }
    for (std::size_t i = 0; i < textures.keys.size(); ++i) {
        tinygltf::Image image;
        image.name = "texture" + std::to_string(i);
        image.mimeType = "image/png";
        if (binary) {
            image.bufferView = buffer.View(textures.pngs[i].data(), textures.pngs[i].size(), 0);
            model.bufferViews.back().target = 0;
        } else {
            image.uri = stem + "_tex" + std::to_string(i) + ".png";
            const auto file = target.parent_path() / image.uri;
            if (!WriteWholeFile(file.string(), textures.pngs[i]))
                return "Could not write " + file.string();
        }
        model.images.push_back(image);
        tinygltf::Texture texture;
        texture.source = static_cast<int>(i);
        texture.sampler = 0;
        model.textures.push_back(texture);
    }

    std::map<MaterialKey, int> materials;
    tinygltf::Scene scene;
    for (std::size_t o = 0; o < source.objects.size(); ++o) {
        // Groups in order of first use, so that the same model always gives the same file.
        std::vector<std::pair<MaterialKey, std::vector<const WorkPrimitive*>>> groups;
        std::map<MaterialKey, std::size_t> groupOf;
        for (const WorkPrimitive& p : source.objects[o].records) {
            const MaterialKey key = MaterialOf(p, textures.index);
            auto [at, added] = groupOf.emplace(key, groups.size());
            if (added)
                groups.push_back({key, {}});
            groups[at->second].second.push_back(&p);
        }
        tinygltf::Node node;
        node.name = std::to_string(o);
        if (!groups.empty()) {
            tinygltf::Mesh mesh;
            mesh.name = node.name;
            for (const auto& [key, records] : groups) {
                auto [at, added] = materials.emplace(key, static_cast<int>(model.materials.size()));
                if (added)
                    model.materials.push_back(MakeMaterial(key, key.texture));
                mesh.primitives.push_back(
                    AddPrimitive(model, buffer, BuildArrays(records, key), at->second, key));
            }
            model.meshes.push_back(mesh);
            node.mesh = static_cast<int>(model.meshes.size() - 1);
        }
        model.nodes.push_back(node);
        scene.nodes.push_back(static_cast<int>(o));
    }
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    for (const auto& [key, index] : materials)
        if (key.unlit) {
            model.extensionsUsed.push_back(kUnlit);
            break;
        }
    if (model.buffers[0].data.empty())
        model.buffers.clear();
    else if (!binary)
        model.buffers[0].uri = stem + ".bin";

    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);
    if (binary) {
        std::ostringstream out;
        if (!writer.WriteGltfSceneToStream(&model, out, false, true))
            return "Could not write " + path;
        const std::string bytes = out.str();
        if (!WriteWholeFile(path,
                            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())))
            return "Could not write " + path;
        return {};
    }
    if (!writer.WriteGltfSceneToFile(&model, path, false, false, true, false))
        return "Could not write " + path;
    return {};
}

} // namespace polyvane
