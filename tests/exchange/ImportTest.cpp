// Import: hand-written OBJ and glTF files, bad input, the real files other programs wrote, and the
// polygon triangulation.
#include "ExchangeSupport.h"

#include "exchange/PngCodec.h"
#include "formats/PolygonTriangulation.h"

#include <cmath>
#include <cstring>
#include <numeric>

using namespace polyvane;
using namespace polyvane::test;

namespace {

struct Summary {
    std::size_t objects = 0, primitives = 0, quads = 0, textured = 0, gouraud = 0;
};

Summary Summarise(const TmdModel& model) {
    Summary s;
    s.objects = model.objects.size();
    for (const auto& object : model.objects)
        for (const WorkPrimitive& p : object.Records()) {
            ++s.primitives;
            s.quads += (p.attr & PA_QUAD) ? 1 : 0;
            s.textured += (p.attr & PA_TEXTURED) ? 1 : 0;
            s.gouraud += (p.attr & PA_GOURAUD) ? 1 : 0;
        }
    return s;
}

// A glTF file of one triangle without normals, its corners red, green and blue.
void WriteColouredTriangleGltf(const std::filesystem::path& folder) {
    const float data[] = {0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1};
    std::ofstream(folder / "tri.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), sizeof data);
    WriteText(folder / "tri.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
"nodes":[{"mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0,"COLOR_0":1}}]}],
"buffers":[{"uri":"tri.bin","byteLength":84}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":48}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[2,2,0]},
{"bufferView":1,"componentType":5126,"count":3,"type":"VEC4"}]})");
}

TEST(Import, HandWrittenFiles) {
    const auto folder = TestFolder();
    RgbaImage picture{4, 4, std::vector<std::uint8_t>(64, 255)};
    const auto png = EncodePng(picture);
    ASSERT_TRUE(WriteWholeFile((folder / "skin.png").string(), png));
    WriteText(folder / "quad.mtl", "newmtl skin\nKd 1 1 1\nmap_Kd skin.png\n");
    WriteText(folder / "quad.obj",
              "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\n"
              "vt 0 1\nvn 0 0 1\nusemtl skin\nf 1/1/1 2/2/1 3/3/1 4/4/1\n");
    WriteText(folder / "colours.obj", "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 0 1 0 0 0 1\nf 1 2 3\n");
    WriteText(folder / "ngon.obj", "v 0 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\nv 1 2 0\nv 0 2 0\nf 1 2 3 4 5 6\n");
    WriteText(folder / "two.obj",
              "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\no first\nf 1 2 3\no second\nf 1 2 4\nf 1 3 4\n");
    // Two materials, each with its own file of the same picture: one texture page serves both.
    ASSERT_TRUE(WriteWholeFile((folder / "twin.png").string(), png));
    WriteText(folder / "twins.mtl", "newmtl a\nmap_Kd skin.png\nnewmtl b\nmap_Kd twin.png\n");
    WriteText(folder / "twins.obj",
              "mtllib twins.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvt 0 0\nvt 1 0\nvt 0 1\n"
              "usemtl a\nf 1/1 2/2 3/3\nusemtl b\nf 1/1 2/2 4/3\n");
    WriteColouredTriangleGltf(folder);
    struct Case {
        const char* file;
        Summary expected;
        std::size_t messages;
    } cases[] = {
        {"quad.obj", {1, 1, 1, 1, 0}, 0},  {"colours.obj", {1, 1, 0, 0, 0}, 0},
        {"ngon.obj", {1, 4, 0, 0, 0}, 0}, // an L of six corners: four triangles
        {"two.obj", {2, 3, 0, 0, 0}, 0},   {"tri.gltf", {1, 1, 0, 0, 0}, 0},
        {"twins.obj", {1, 2, 0, 2, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ImportResult result = ImportModelFile((folder / c.file).string());
        ASSERT_TRUE(result.ok) << (result.messages.empty() ? "" : result.messages[0]);
        EXPECT_EQ(result.messages.size(), c.messages);
        const Summary s = Summarise(result.model);
        EXPECT_EQ(s.objects, c.expected.objects);
        EXPECT_EQ(s.primitives, c.expected.primitives);
        EXPECT_EQ(s.quads, c.expected.quads);
        EXPECT_EQ(s.textured, c.expected.textured);
        EXPECT_EQ(result.textures.size(), c.expected.textured ? 1u : 0u);
        // The largest coordinate becomes 4096 and every normal has unit length.
        double largest = 0;
        for (const auto& object : result.model.objects)
            for (const WorkPrimitive& p : object.Records())
                for (int k = 0; k < VertexCount(p); ++k) {
                    largest = std::max({largest, std::fabs(p.x[k]), std::fabs(p.y[k]), std::fabs(p.z[k])});
                    EXPECT_NEAR(std::sqrt(p.nx[k] * p.nx[k] + p.ny[k] * p.ny[k] + p.nz[k] * p.nz[k]), 1.0,
                                1e-6);
                }
        EXPECT_EQ(largest, 4096.0);
    }
    const ImportResult twins = ImportModelFile((folder / "twins.obj").string());
    ASSERT_TRUE(twins.ok);
    const auto records = twins.model.objects[0].Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].tpage, records[1].tpage);
    EXPECT_EQ(records[0].clutY, records[1].clutY);
    // Corner colours become the colours of a primitive with one per corner; the console's Y points down.
    for (const char* file : {"colours.obj", "tri.gltf"}) {
        SCOPED_TRACE(file);
        const ImportResult result = ImportModelFile((folder / file).string());
        ASSERT_TRUE(result.ok);
        const WorkPrimitive& p = result.model.objects[0].records[0];
        std::vector<std::uint32_t> colours(p.colour, p.colour + 3);
        std::sort(colours.begin(), colours.end());
        EXPECT_EQ(colours, (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000}));
        EXPECT_TRUE(p.attr & (PA_GOURAUD | PA_GRADATION));
        EXPECT_LE(*std::max_element(p.y, p.y + 3), 0.0);
    }
}

TEST(Import, BadInputIsRefusedOrLosesOnlyItsTexture) {
    const auto folder = TestFolder();
    WriteText(folder / "empty.obj", "");
    WriteText(folder / "unknown.xyz", "these bytes are no model of any kind\n");
    WriteText(folder / "broken.mtl", "newmtl skin\nmap_Kd missing.png\n");
    WriteText(folder / "broken.obj", "mtllib broken.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nusemtl skin\n"
                                     "f 1/1 2/1 3/1\n");
    // A grid of 300 x 300 distinct corners: more than the 65,536 vertices one object can index.
    std::string grid;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            grid += "v " + std::to_string(x) + " " + std::to_string(y) + " 0\n";
    for (int y = 0; y + 1 < 300; ++y)
        for (int x = 0; x + 1 < 300; ++x) {
            const int a = y * 300 + x + 1;
            grid += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " + std::to_string(a + 301) +
                    " " + std::to_string(a + 300) + "\n";
        }
    WriteText(folder / "huge.obj", grid);
    struct Case {
        const char* file;
        bool ok;
        const char* message; // the start of the one message
    } cases[] = {
        {"empty.obj", false, "Cannot read"},
        {"unknown.xyz", false, "Cannot read"},
        {"missing.obj", false, "Cannot open"},
        {"huge.obj", false, "Too many vertices in object"},
        {"broken.obj", true, "Textures could not be read, their meshes imported untextured: missing.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ImportResult result = ImportModelFile((folder / c.file).string());
        EXPECT_EQ(result.ok, c.ok);
        ASSERT_EQ(result.messages.size(), 1u);
        EXPECT_EQ(result.messages[0].rfind(c.message, 0), 0u) << result.messages[0];
        if (c.ok) {
            EXPECT_EQ(Summarise(result.model).textured, 0u);
        }
    }
}

TEST(Import, RealFilesImportAndExportValid) {
    const std::filesystem::path root(POLYVANE_REALDATA_DIR);
    if (!std::filesystem::exists(root))
        GTEST_SKIP() << "no real data at " << root;
    const auto folder = TestFolder();
    std::vector<std::string> exported;
    for (const char* kind : {"gltf", "obj", "fbx", "dae", "ply", "stl"}) {
        if (!std::filesystem::exists(root / kind))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / kind)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".bin" || extension == ".mtl" || extension == ".png" || !entry.is_regular_file())
                continue;
            SCOPED_TRACE(entry.path().string());
            ImportResult result = ImportModelFile(entry.path().string());
            ASSERT_TRUE(result.ok) << (result.messages.empty() ? "" : result.messages[0]);
            EXPECT_GT(Summarise(result.model).primitives, 0u);
            const auto out =
                (folder / (std::string(kind) + "_" + entry.path().stem().string() + ".glb")).string();
            EXPECT_TRUE(ExportModel(RefOf(result.model), {}, out).ok);
            exported.push_back(out);
        }
    }
    EXPECT_FALSE(exported.empty());
    EXPECT_VALID_GLTF(exported);
}

double Area(std::span<const double> xy, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return ((xy[3 * b] - xy[3 * a]) * (xy[3 * c + 1] - xy[3 * a + 1]) -
            (xy[3 * b + 1] - xy[3 * a + 1]) * (xy[3 * c] - xy[3 * a])) /
           2;
}

TEST(Import, PolygonsAreCutIntoTrianglesTurningTheirWayAndCoveringThem) {
    struct Case {
        const char* name;
        std::vector<double> xyz;
        double area;
    } cases[] = {
        {"convex pentagon", {0, 0, 0, 2, 0, 0, 3, 1, 0, 1, 3, 0, -1, 1, 0}, 7.0},
        {"L shape", {0, 0, 0, 2, 0, 0, 2, 1, 0, 1, 1, 0, 1, 2, 0, 0, 2, 0}, 3.0},
        {"arrow, reflex corner first", {1, 1, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 2, 2, 0}, 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto triangles = TriangulatePolygon(c.xyz);
        ASSERT_EQ(triangles.size(), (c.xyz.size() / 3 - 2) * 3);
        double total = 0;
        for (std::size_t t = 0; t < triangles.size(); t += 3) {
            const double area = Area(c.xyz, triangles[t], triangles[t + 1], triangles[t + 2]);
            EXPECT_GT(area, 0.0) << "every triangle turns as the polygon does";
            total += area;
        }
        EXPECT_DOUBLE_EQ(total, c.area);
    }
}

} // namespace
