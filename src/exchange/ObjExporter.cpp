#include "ObjExporter.h"

#include "ExportGeometry.h"
#include "PngCodec.h"

#include <charconv>
#include <filesystem>

namespace polyvane {

namespace {

// Shortest text that reads back as the same float, without the locale's say.
void Put(std::string& out, float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void PutLine(std::string& out, const char* tag, std::initializer_list<float> values) {
    out += tag;
    for (float value : values) {
        out += ' ';
        Put(out, value);
    }
    out += '\n';
}

bool HasVertexColours(const ModelRef& model, const ExportTextures& textures) {
    for (const ObjectRef& object : model.objects)
        for (const WorkPrimitive& p : object.records)
            if (MaterialOf(p, textures.index).vertexColours)
                return true;
    return false;
}

std::string MaterialText(const MaterialKey& key, int index, const std::string& stem) {
    std::string out = "newmtl material" + std::to_string(index) + '\n';
    const auto factor =
        key.vertexColours ? std::array<float, 3>{1, 1, 1} : ColourFactor(key.colour, key.texture >= 0);
    PutLine(out, "Kd", {factor[0], factor[1], factor[2]});
    PutLine(out, "Ka", {0, 0, 0});
    PutLine(out, "Ks", {0, 0, 0});
    PutLine(out, "d", {key.translucent ? 0.5f : 1.0f});
    // Illumination 0 is colour without light: what the console does for a primitive it does not light.
    out += key.unlit ? "illum 0\n" : "illum 1\n";
    if (key.texture >= 0)
        out += "map_Kd " + stem + "_tex" + std::to_string(key.texture) + ".png\n";
    if (key.doubleSided)
        out += "# double-sided\n";
    return out;
}

} // namespace

std::string WriteObj(const ModelRef& model, const ExportTextures& textures, const std::string& path) {
    const std::filesystem::path target(path);
    const std::string stem = target.stem().string();
    const bool colours = HasVertexColours(model, textures);
    std::map<MaterialKey, int> materials;
    std::string mtl = "# Materials of " + target.filename().string() + "\n";
    std::string obj = "# Model units x 1/1024, Y up\nmtllib " + stem + ".mtl\n";
    std::size_t corners = 0;
    for (std::size_t o = 0; o < model.objects.size(); ++o) {
        obj += "o " + std::to_string(o) + '\n';
        int current = -1;
        for (const WorkPrimitive& p : model.objects[o].records) {
            const MaterialKey key = MaterialOf(p, textures.index);
            auto [at, added] = materials.emplace(key, static_cast<int>(materials.size()));
            if (added)
                mtl += MaterialText(key, at->second, stem);
            if (at->second != current) {
                current = at->second;
                obj += "usemtl material" + std::to_string(current) + '\n';
            }
            const int n = VertexCount(p);
            const int count = ColourCount(p);
            for (int k = 0; k < n; ++k) {
                const auto v = ExportPosition(p, k);
                if (colours) {
                    const auto c = key.vertexColours
                                       ? ColourFactor(p.colour[k < count ? k : 0], key.texture >= 0)
                                       : std::array<float, 3>{1, 1, 1};
                    PutLine(obj, "v", {v[0], v[1], v[2], c[0], c[1], c[2]});
                } else
                    PutLine(obj, "v", {v[0], v[1], v[2]});
                const auto normal = ExportNormal(p, k);
                PutLine(obj, "vn", {normal[0], normal[1], normal[2]});
                if (key.texture >= 0) {
                    const auto uv = ExportUv(p, k);
                    PutLine(obj, "vt", {uv[0], 1.0f - uv[1]}); // OBJ counts v from the bottom
                }
            }
            obj += 'f';
            const int* order = n == 4 ? kQuadOutline : kTriangleOrder;
            for (int i = 0; i < n; ++i) {
                // Negative indices count back from the last vertex written, so no running total of
                // texture coordinates is needed.
                const std::string index = std::to_string(order[i] - n);
                obj += ' ' + index + '/' + (key.texture >= 0 ? index : std::string()) + '/' + index;
            }
            obj += '\n';
            corners += std::size_t(n);
        }
    }
    for (std::size_t i = 0; i < textures.keys.size(); ++i) {
        const auto file = target.parent_path() / (stem + "_tex" + std::to_string(i) + ".png");
        if (!WriteWholeFile(file.string(), textures.pngs[i]))
            return "Could not write " + file.string();
    }
    const auto mtlPath = (target.parent_path() / (stem + ".mtl")).string();
    if (!WriteWholeFile(mtlPath, std::span(reinterpret_cast<const std::uint8_t*>(mtl.data()), mtl.size())))
        return "Could not write " + mtlPath;
    if (!WriteWholeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(obj.data()), obj.size())))
        return "Could not write " + path;
    (void)corners;
    return {};
}

} // namespace polyvane
