// Our OBJ reader: the scene it gives the import library for small hand-written OBJ and MTL texts.
#include "ExchangeSupport.h"

#include "exchange/ObjReader.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <tuple>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr const char* kCorners = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

// A face of 300 corners around the four positions.
std::string WideFace() {
    std::string face = "f";
    for (int i = 0; i < 300; ++i)
        face += " " + std::to_string(i % 4 + 1);
    return face + "\n";
}

struct Expected {
    unsigned objects, meshes, faces, corners; // objects: nodes with meshes; corners over all faces
    bool colours, uvs, normals;
};

struct Material {
    float red = 0.6f, opacity = 1.0f;
    bool unlit = false;
    std::string texture;
};

TEST(ObjReader, SceneOfSmallFiles) {
    const auto folder = TestFolder();
    struct Case {
        const char* name;
        std::string obj, mtl;
        bool ok;
        Expected expected;
        Material material; // of the first mesh
    } cases[] = {
        {"triangle", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "", true, {1, 1, 1, 3, false, false, false}, {}},
        {"negative indices, CR LF",
         "v 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nf -3 -2 -1\r\n",
         "",
         true,
         {1, 1, 1, 3, false, false, false},
         {}},
        {"hexagon and a two-corner face left out",
         std::string(kCorners) + "v 2 2 0\nv 3 3 0\nf 1 2\nf 1 2 3 4 5 6\n",
         "",
         true,
         {1, 1, 1, 6, false, false, false},
         {}},
        {"a face of more corners than the parser counts in a byte",
         std::string(kCorners) + WideFace(),
         "",
         true,
         {1, 1, 1, 300, false, false, false},
         {}},
        {"vertex colours",
         "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 0 1 0 0 0 1\nf 1 2 3\n",
         "",
         true,
         {1, 1, 1, 3, true, false, false},
         {}},
        {"colours on some vertices only are left out",
         "v 0 0 0 1 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
         "",
         true,
         {1, 1, 1, 3, false, false, false},
         {}},
        {"texture coordinates and normals",
         std::string(kCorners) + "vt 0 0\nvt 1 1\nvn 0 0 1\nf 1/1/1 2/2/1 3/2/1 4/1/1\n",
         "",
         true,
         {1, 1, 1, 4, false, true, true},
         {}},
        {"a bad normal index drops the normals",
         std::string(kCorners) + "vn 0 0 1\nf 1//1 2//1 3//7\n",
         "",
         true,
         {1, 1, 1, 3, false, false, false},
         {}},
        {"objects and groups",
         std::string(kCorners) + "o a\nf 1 2 3\ng b\nf 1 3 4\nf 2 3 4\no empty\n",
         "",
         true,
         {2, 2, 3, 9, false, false, false},
         {}},
        {"a group named again goes on",
         std::string(kCorners) + "g a\nf 1 2 3\ng a\nf 1 3 4\n",
         "",
         true,
         {1, 1, 2, 6, false, false, false},
         {}},
        {"a mesh per run of one material, even without the MTL file",
         std::string(kCorners) + "usemtl red\nf 1 2 3\nusemtl blue\nf 1 3 4\nusemtl red\nf 2 3 4\n",
         "",
         true,
         {1, 3, 3, 9, false, false, false},
         {}},
        {"materials from the MTL file",
         std::string("mtllib m.mtl\n") + kCorners + "usemtl glass\nf 1 2 3 4\n",
         "newmtl other\nKd 0 1 0\nnewmtl glass\nKd 0.25 0.5 1\nd 0.5\nillum 0\nmap_Kd -clamp on glass.png\n",
         true,
         {1, 1, 1, 4, false, false, false},
         {0.25f, 0.5f, true, "glass.png"}},
        {"an MTL material without colour or lighting",
         std::string("mtllib m.mtl\n") + kCorners + "usemtl plain\nf 1 2 3\n",
         "newmtl plain\nNs 10\n",
         true,
         {1, 1, 1, 3, false, false, false},
         {}},
        {"vertex index out of range", std::string(kCorners) + "f 1 2 5\n", "", false, {}, {}},
        {"index zero", std::string(kCorners) + "f 0 1 2\n", "", false, {}, {}},
        {"no faces", std::string(kCorners) + "l 1 2\n", "", false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(folder / "m.obj", c.obj);
        WriteText(folder / "m.mtl", c.mtl);
        Assimp::Importer importer;
        UseOurObjReader(importer);
        const aiScene* scene =
            importer.ReadFile((folder / "m.obj").string(), aiProcess_ValidateDataStructure);
        ASSERT_EQ(scene != nullptr, c.ok) << importer.GetErrorString();
        if (!scene)
            continue;
        Expected got{0, scene->mNumMeshes, 0, 0, false, false, false};
        for (unsigned i = 0; i < scene->mRootNode->mNumChildren; ++i)
            got.objects += scene->mRootNode->mChildren[i]->mNumMeshes > 0 ? 1 : 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh& mesh = *scene->mMeshes[m];
            got.faces += mesh.mNumFaces;
            for (unsigned f = 0; f < mesh.mNumFaces; ++f)
                got.corners += mesh.mFaces[f].mNumIndices;
            got.colours |= mesh.HasVertexColors(0);
            got.uvs |= mesh.HasTextureCoords(0);
            got.normals |= mesh.HasNormals();
        }
        EXPECT_EQ(std::tie(got.objects, got.meshes, got.faces, got.corners),
                  std::tie(c.expected.objects, c.expected.meshes, c.expected.faces, c.expected.corners));
        EXPECT_EQ(std::tie(got.colours, got.uvs, got.normals),
                  std::tie(c.expected.colours, c.expected.uvs, c.expected.normals));
        const aiMesh& first = *scene->mMeshes[0];
        if (got.colours) {
            EXPECT_EQ(first.mColors[0][1], aiColor4D(0, 1, 0, 1));
        }
        if (got.uvs) {
            EXPECT_EQ(first.mTextureCoords[0][2], aiVector3D(1, 1, 0));
        }
        const aiMaterial& material = *scene->mMaterials[first.mMaterialIndex];
        aiColor3D diffuse;
        float opacity = 0;
        int shading = 0;
        aiString texture;
        material.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
        material.Get(AI_MATKEY_OPACITY, opacity);
        material.Get(AI_MATKEY_SHADING_MODEL, shading);
        material.GetTexture(aiTextureType_DIFFUSE, 0, &texture);
        EXPECT_FLOAT_EQ(diffuse.r, c.material.red);
        EXPECT_FLOAT_EQ(opacity, c.material.opacity);
        EXPECT_EQ(shading == aiShadingMode_NoShading, c.material.unlit);
        EXPECT_EQ(texture.C_Str(), c.material.texture);
    }
}

} // namespace
