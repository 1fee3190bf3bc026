#include "ObjReader.h"

#include <assimp/BaseImporter.h>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/importerdesc.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

namespace {

// Larger files are refused rather than read whole into memory.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

const aiImporterDesc kDescription = {
    "Wavefront OBJ", "", "", "", aiImporterFlags_SupportTextFlavour, 0, 0, 0, 0, "obj",
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Calls `line` for each line of `text` (ended by LF, CR LF or CR), its ending left off.
template <typename Function> void ForEachLine(std::string_view text, Function line) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* e = p;
        while (e < end && *e != '\n' && *e != '\r')
            ++e;
        line(std::string_view(p, std::size_t(e - p)));
        p = e + (e + 1 < end && e[0] == '\r' && e[1] == '\n' ? 2 : 1);
    }
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Whether `line` is the statement `keyword` followed by a blank.
bool IsStatement(std::string_view line, std::string_view keyword) {
    return line.size() > keyword.size() && line.substr(0, keyword.size()) == keyword &&
           IsBlank(line[keyword.size()]);
}

std::optional<std::string> ReadWhole(Assimp::IOSystem& io, const std::string& path) {
    Assimp::IOStream* stream = io.Open(path, "rb");
    if (!stream)
        return std::nullopt;
    std::optional<std::string> bytes;
    if (const std::size_t size = stream->FileSize(); size <= kMaxFileBytes) {
        bytes.emplace(size, '\0');
        bytes->resize(size ? stream->Read(bytes->data(), 1, size) : 0);
    }
    io.Close(stream);
    return bytes;
}

// What an MTL file says of its materials beyond what the parser keeps: a material without a diffuse
// colour is light grey and one without a lighting model is lit, as modelling programs show them.
struct MaterialExtras {
    bool hasDiffuse = false;
    bool hasIllumination = false;
};

// The extras of each material the parser makes of `text`, in its order: it keeps each named block
// and always the last one.
std::vector<MaterialExtras> ScanMaterials(std::string_view text) {
    std::vector<MaterialExtras> out;
    MaterialExtras current;
    bool named = false;
    ForEachLine(text, [&](std::string_view raw) {
        const std::string_view line = TrimLeft(raw);
        if (IsStatement(line, "newmtl")) {
            if (named)
                out.push_back(current);
            current = {};
            named = !Trim(line.substr(7)).empty();
        } else if (IsStatement(line, "Kd"))
            current.hasDiffuse = true;
        else if (IsStatement(line, "illum"))
            current.hasIllumination = true;
    });
    out.push_back(current);
    return out;
}

// The OBJ text as the parser gets it: only the statements we use (so the ones we never read cannot
// cost time or memory), after a first line that has it ask for the materials, which are read before.
struct PreparedText {
    std::string text = "mtllib materials\n";
    std::vector<std::string> libraries; // each mtllib statement's file names
    std::vector<std::string> used;      // the names usemtl statements give
    // The corners of each face the parser keeps (three or more), in order: it counts them in a byte.
    std::vector<std::size_t> faceCorners;
};

// The corners of a face statement: its words after the keyword, up to a NUL as the parser reads.
std::size_t CornerCount(std::string_view face) {
    std::size_t count = 0;
    bool inWord = false;
    for (char c : face.substr(2)) {
        if (c == '\0')
            break;
        const bool blank = IsBlank(c) || c == '\r';
        count += !blank && !inWord ? 1 : 0;
        inWord = !blank;
    }
    return count;
}

// Whether the parser is to see `line`: positions, texture coordinates, normals, faces, objects,
// groups and material uses.
bool Passed(std::string_view line) {
    if (line.size() < 2)
        return false;
    switch (line[0]) {
    case 'v':
        return IsBlank(line[1]) ||
               ((line[1] == 't' || line[1] == 'n') && line.size() > 2 && IsBlank(line[2]));
    case 'f':
    case 'g':
    case 'o':
        return IsBlank(line[1]);
    default:
        return false;
    }
}

PreparedText Prepare(std::string_view file) {
    PreparedText out;
    out.text.reserve(file.size() + out.text.size());
    ForEachLine(file, [&](std::string_view raw) {
        const std::string_view line = TrimLeft(raw);
        if (Passed(line)) {
            out.text.append(line).push_back('\n');
            if (line[0] == 'f')
                if (const std::size_t corners = CornerCount(line); corners >= 3)
                    out.faceCorners.push_back(corners);
        } else if (IsStatement(line, "mtllib")) {
            out.libraries.emplace_back(Trim(line.substr(7)));
        } else if (line.substr(0, 6) == "usemtl") {
            // The parser's own reading of the name: the first word after the keyword.
            const std::string_view rest = TrimLeft(line.substr(6));
            out.used.emplace_back(rest.substr(0, rest.find_first_of(" \t\r")));
            out.text.append(line).push_back('\n');
        }
    });
    return out;
}

// The materials read before the parse, handed to it when it asks.
class PreparedMaterials : public tinyobj::MaterialReader {
  public:
    std::vector<tinyobj::material_t> materials;
    std::vector<MaterialExtras> extras;
    std::map<std::string, int> byName;

    bool operator()(const std::string&, std::vector<tinyobj::material_t>* out,
                    std::map<std::string, int>* map, std::string*, std::string*) override {
        *out = materials;
        *map = byName;
        return true;
    }

    // Reads one MTL file through `io`; whether it could be opened.
    bool Load(Assimp::IOSystem& io, const std::string& path) {
        // The library's path clean-up runs past the end of a name it finds blank, which a control
        // character can make it do; no file is named so.
        if (std::any_of(path.begin(), path.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return false;
        if (!m_loaded.insert(path).second)
            return true;
        const std::optional<std::string> text = ReadWhole(io, path);
        if (!text)
            return false;
        std::istringstream stream(*text);
        std::string warning, error;
        tinyobj::LoadMtl(&byName, &materials, &stream, &warning, &error);
        const std::vector<MaterialExtras> scanned = ScanMaterials(*text);
        extras.insert(extras.end(), scanned.begin(), scanned.end());
        extras.resize(materials.size());
        return true;
    }

    // A material that no MTL file defines keeps its name and the defaults, apart from the others.
    void AddMissing(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (byName.emplace(name, int(materials.size())).second) {
                tinyobj::material_t material{};
                material.name = name;
                material.dissolve = 1.0f;
                materials.push_back(material);
                extras.emplace_back();
            }
    }

  private:
    std::set<std::string> m_loaded;
};

aiMaterial* MakeMaterial(const std::string& name, const tinyobj::material_t* read,
                         const MaterialExtras& extras) {
    auto* material = new aiMaterial;
    const aiString title(name);
    material->AddProperty(&title, AI_MATKEY_NAME);
    int shading = aiShadingMode_Gouraud;
    if (read && extras.hasIllumination && read->illum == 0)
        shading = aiShadingMode_NoShading;
    else if (read && extras.hasIllumination && read->illum == 2)
        shading = aiShadingMode_Phong;
    material->AddProperty(&shading, 1, AI_MATKEY_SHADING_MODEL);
    aiColor3D diffuse(0.6f, 0.6f, 0.6f);
    if (read && extras.hasDiffuse)
        diffuse = aiColor3D(read->diffuse[0], read->diffuse[1], read->diffuse[2]);
    material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    const float opacity = read ? read->dissolve : 1.0f;
    material->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
    if (read && !read->diffuse_texname.empty()) {
        const aiString texture(read->diffuse_texname);
        material->AddProperty(&texture, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    return material;
}

struct FaceRef {
    const tinyobj::shape_t* shape;
    std::size_t first; // its first corner in the shape's indices
    std::size_t count;
};

// One mesh of the faces given, a vertex for each of their corners (the post-processing joins them).
aiMesh* MakeMesh(const tinyobj::attrib_t& attrib, const std::vector<FaceRef>& faces, unsigned material) {
    std::size_t corners = 0;
    bool anyNormal = false, anyUv = false;
    for (const FaceRef& face : faces)
        for (std::size_t k = 0; k < face.count; ++k) {
            const tinyobj::index_t& index = face.shape->mesh.indices[face.first + k];
            anyNormal |= index.normal_index >= 0;
            anyUv |= index.texcoord_index >= 0;
            ++corners;
        }
    if (corners > AI_MAX_VERTICES)
        throw std::runtime_error("OBJ: too many vertices");
    auto mesh = std::make_unique<aiMesh>();
    mesh->mMaterialIndex = material;
    mesh->mNumVertices = static_cast<unsigned>(corners);
    mesh->mVertices = new aiVector3D[corners];
    const std::size_t positions = attrib.vertices.size() / 3;
    const std::size_t normals = attrib.normals.size() / 3;
    const std::size_t uvs = attrib.texcoords.size() / 2;
    if (anyNormal && normals > 0)
        mesh->mNormals = new aiVector3D[corners];
    if (anyUv && uvs > 0) {
        mesh->mTextureCoords[0] = new aiVector3D[corners];
        mesh->mNumUVComponents[0] = 2;
    }
    // Colours count only when every vertex has one.
    if (!attrib.colors.empty() && attrib.colors.size() == attrib.vertices.size())
        mesh->mColors[0] = new aiColor4D[corners];
    bool normalsOk = true, uvsOk = true;
    mesh->mNumFaces = static_cast<unsigned>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    unsigned next = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const FaceRef& face = faces[f];
        aiFace& out = mesh->mFaces[f];
        out.mNumIndices = static_cast<unsigned>(face.count);
        out.mIndices = new unsigned[face.count];
        mesh->mPrimitiveTypes |= face.count == 3 ? aiPrimitiveType_TRIANGLE : aiPrimitiveType_POLYGON;
        for (std::size_t k = 0; k < face.count; ++k, ++next) {
            const tinyobj::index_t& index = face.shape->mesh.indices[face.first + k];
            // The parser only warns of indices past the end; a corner without a position has no face.
            if (index.vertex_index < 0 || std::size_t(index.vertex_index) >= positions)
                throw std::runtime_error("OBJ: vertex index out of range");
            const std::size_t v = std::size_t(index.vertex_index);
            mesh->mVertices[next] = {attrib.vertices[3 * v], attrib.vertices[3 * v + 1],
                                     attrib.vertices[3 * v + 2]};
            if (mesh->mColors[0])
                mesh->mColors[0][next] = {attrib.colors[3 * v], attrib.colors[3 * v + 1],
                                          attrib.colors[3 * v + 2], 1.0f};
            // A bad normal or texture index drops that layer of the mesh, not the file.
            if (mesh->mNormals && index.normal_index >= 0) {
                const std::size_t n = std::size_t(index.normal_index);
                if (n < normals)
                    mesh->mNormals[next] = {attrib.normals[3 * n], attrib.normals[3 * n + 1],
                                            attrib.normals[3 * n + 2]};
                else
                    normalsOk = false;
            }
            if (mesh->mTextureCoords[0] && index.texcoord_index >= 0) {
                const std::size_t t = std::size_t(index.texcoord_index);
                if (t < uvs)
                    mesh->mTextureCoords[0][next] = {attrib.texcoords[2 * t], attrib.texcoords[2 * t + 1],
                                                     0.0f};
                else
                    uvsOk = false;
            }
            out.mIndices[k] = next;
        }
    }
    if (!normalsOk) {
        delete[] mesh->mNormals;
        mesh->mNormals = nullptr;
    }
    if (!uvsOk) {
        delete[] mesh->mTextureCoords[0];
        mesh->mTextureCoords[0] = nullptr;
        mesh->mNumUVComponents[0] = 0;
    }
    return mesh.release();
}

class ObjReader : public Assimp::BaseImporter {
  public:
    explicit ObjReader(Assimp::BaseImporter* retired) : m_retired(retired) {}

    bool CanRead(const std::string& file, Assimp::IOSystem* io, bool) const override {
        // The statements an OBJ file begins with, for a file whose name does not say what it is.
        static const char* tokens[] = {"mtllib", "usemtl", "v ", "vt ", "vn ", "o ", "g ", "s ", "f "};
        return SearchFileHeaderForToken(io, file, tokens, std::size(tokens), 200, false, true);
    }

    const aiImporterDesc* GetInfo() const override { return &kDescription; }

  protected:
    void InternReadFile(const std::string& file, aiScene* scene, Assimp::IOSystem* io) override;

  private:
    std::unique_ptr<Assimp::BaseImporter> m_retired;
};

// The library turns an exception thrown here into the failure of the read, with its text.
void ObjReader::InternReadFile(const std::string& file, aiScene* scene, Assimp::IOSystem* io) {
    const std::optional<std::string> bytes = ReadWhole(*io, file);
    if (!bytes)
        throw std::runtime_error("Failed to open file " + file + " or it is larger than 1 GiB");
    PreparedText prepared = Prepare(*bytes);

    // MTL files are found beside the OBJ file; one that cannot be found may be the OBJ file's own name.
    // A file in memory has no folder: like its pictures, its MTL files are not looked for.
    const std::size_t slash = file.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
    const bool inMemory =
        file.compare(0, std::strlen(AI_MEMORYIO_MAGIC_FILENAME), AI_MEMORYIO_MAGIC_FILENAME) == 0;
    PreparedMaterials materials;
    for (const std::string& library : inMemory ? std::vector<std::string>() : prepared.libraries) {
        bool found = materials.Load(*io, folder + library);
        if (!found && library.find_first_of(" \t") != std::string::npos) {
            std::istringstream words(library);
            for (std::string word; words >> word;)
                found |= materials.Load(*io, folder + word);
        }
        if (!found && file.size() > 3)
            materials.Load(*io, file.substr(0, file.size() - 3) + "mtl");
    }
    materials.AddMissing(prepared.used);

    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> parsed;
    std::string warning, error;
    std::istringstream stream(std::move(prepared.text));
    if (!tinyobj::LoadObj(&attrib, &shapes, &parsed, &warning, &error, &stream, &materials, false, false))
        throw std::runtime_error("OBJ: " + (error.empty() ? std::string("unreadable") : error));

    // The parser counts a face's corners in a byte; the true counts are ours, checked against its.
    std::size_t faces = 0;
    for (const tinyobj::shape_t& shape : shapes) {
        std::size_t total = 0;
        for (const unsigned char count : shape.mesh.num_face_vertices) {
            if (faces >= prepared.faceCorners.size() || prepared.faceCorners[faces] % 256 != count)
                throw std::runtime_error("OBJ: the faces' corners could not be told apart");
            total += prepared.faceCorners[faces++];
        }
        if (total != shape.mesh.indices.size() ||
            shape.mesh.material_ids.size() != shape.mesh.num_face_vertices.size())
            throw std::runtime_error("OBJ: the faces' corners could not be told apart");
    }

    // A node for each object or group (one named again straight after itself goes on), and in it a
    // mesh for each run of faces with one material; faces before any material have the default one.
    std::vector<aiNode*> nodes;
    std::vector<aiMesh*> meshes;
    auto cleanUp = [&] {
        for (aiNode* node : nodes)
            delete node;
        for (aiMesh* mesh : meshes)
            delete mesh;
    };
    try {
        std::vector<FaceRef> run;
        int runMaterial = -1;
        aiNode* node = nullptr;
        std::vector<unsigned> nodeMeshes;
        std::size_t face = 0;
        auto endRun = [&] {
            if (run.empty())
                return;
            const int id = runMaterial >= 0 && std::size_t(runMaterial) < materials.materials.size()
                               ? runMaterial + 1
                               : 0;
            meshes.push_back(MakeMesh(attrib, run, static_cast<unsigned>(id)));
            nodeMeshes.push_back(static_cast<unsigned>(meshes.size() - 1));
            run.clear();
        };
        auto endNode = [&] {
            endRun();
            if (!node)
                return;
            node->mNumMeshes = static_cast<unsigned>(nodeMeshes.size());
            if (!nodeMeshes.empty()) {
                node->mMeshes = new unsigned[nodeMeshes.size()];
                std::copy(nodeMeshes.begin(), nodeMeshes.end(), node->mMeshes);
            }
            nodeMeshes.clear();
        };
        for (std::size_t s = 0; s < shapes.size(); ++s) {
            const tinyobj::shape_t& shape = shapes[s];
            if (!node || shapes[s - 1].name != shape.name) {
                endNode();
                nodes.push_back(node = new aiNode(shape.name));
            }
            std::size_t first = 0;
            for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
                const std::size_t count = prepared.faceCorners[face++];
                if (shape.mesh.material_ids[f] != runMaterial)
                    endRun();
                runMaterial = shape.mesh.material_ids[f];
                run.push_back({&shape, first, count});
                first += count;
            }
        }
        endNode();
        if (meshes.empty())
            throw std::runtime_error("OBJ: the file holds no faces");

        scene->mRootNode = new aiNode(file.substr(slash == std::string::npos ? 0 : slash + 1));
        scene->mRootNode->mNumChildren = static_cast<unsigned>(nodes.size());
        scene->mRootNode->mChildren = new aiNode*[nodes.size()];
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            nodes[i]->mParent = scene->mRootNode;
            scene->mRootNode->mChildren[i] = nodes[i];
        }
        nodes.clear();
        scene->mNumMeshes = static_cast<unsigned>(meshes.size());
        scene->mMeshes = new aiMesh*[meshes.size()];
        std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
        meshes.clear();
    } catch (...) {
        cleanUp();
        throw;
    }

    scene->mNumMaterials = static_cast<unsigned>(materials.materials.size() + 1);
    scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
    scene->mMaterials[0] = MakeMaterial(AI_DEFAULT_MATERIAL_NAME, nullptr, {});
    for (std::size_t i = 0; i < materials.materials.size(); ++i)
        scene->mMaterials[i + 1] =
            MakeMaterial(materials.materials[i].name, &materials.materials[i], materials.extras[i]);
}

} // namespace

void UseOurObjReader(Assimp::Importer& importer) {
    Assimp::BaseImporter* theirs = nullptr;
    for (std::size_t i = 0; i < importer.GetImporterCount(); ++i) {
        std::set<std::string> extensions;
        importer.GetImporter(i)->GetExtensionList(extensions);
        if (extensions.count("obj"))
            theirs = importer.GetImporter(i);
    }
    // The importer no longer owns a reader it lets go of: ours keeps it until both go.
    if (theirs)
        importer.UnregisterLoader(theirs);
    importer.RegisterLoader(new ObjReader(theirs));
}

} // namespace polyvane
