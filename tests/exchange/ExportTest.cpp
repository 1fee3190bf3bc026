// Export: every primitive kind and the sample pass the glTF validator and read back through the import
// library with their triangles and bounds; page textures decode through the chip's lookup; exporters
// leave the model alone; round trips through OBJ and glTF keep counts, positions and colours.
#include "ExchangeSupport.h"
#include "texture/TimFiles.h"

#include "exchange/PageTextures.h"
#include "exchange/PngCodec.h"
#include "model/CPolyvaneDoc.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstring>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr std::uint8_t kTexturePage = 10; // x = 640, y = 0: where the test TIM sits
constexpr std::uint16_t kClutY = 480;

// A 4-bit TIM of 8 x 4 texels at (640, 0): texel index = (u + v) % 4, colour table entry 0 transparent.
TimImage TestTexture() {
    TimSpec spec;
    spec.clut =
        std::vector<std::uint16_t>{0x0000, 0x001F, 0x03E0, 0x7C00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    spec.imageWidth = 2;
    spec.imageHeight = 4;
    for (int v = 0; v < 4; ++v)
        for (int pair = 0; pair < 4; ++pair) {
            const int u = pair * 2;
            spec.pixels.push_back(static_cast<std::uint8_t>(((u + v) % 4) | (((u + 1 + v) % 4) << 4)));
        }
    auto load = LoadTimBytes(BuildTim(spec).data());
    EXPECT_TRUE(load.ok);
    return std::move(load.tim);
}

// One record of every combination of the attribute bits, corners 100 units apart, each corner its own
// colour and normal; textured ones sample the test texture, and one samples a page that is not loaded.
std::vector<WorkPrimitive> EveryKind() {
    std::vector<WorkPrimitive> records;
    for (unsigned attr = 0; attr < 256; ++attr) {
        const double x = (attr % 16) * 300.0, z = (attr / 16) * 300.0;
        WorkPrimitive p = (attr & PA_QUAD)
                              ? Record({{x, 0, z}, {x + 100, 0, z}, {x, 0, z + 100}, {x + 100, 0, z + 100}})
                              : Record({{x, 0, z}, {x + 100, 0, z}, {x, 0, z + 100}});
        p.attr = static_cast<std::uint16_t>(attr);
        for (int k = 0; k < 4; ++k) {
            p.colour[k] = 0x102030u * std::uint32_t(k + 1);
            p.ny[k] = -4096.0;
            p.nx[k] = k * 100.0;
            p.u[k] = static_cast<std::uint8_t>(k * 2);
            p.v[k] = static_cast<std::uint8_t>(k);
        }
        p.tpage = attr == 0xFF ? 3 : kTexturePage;
        p.clutY = kClutY;
        records.push_back(p);
    }
    return records;
}

struct Counts {
    std::size_t triangles = 0;
    double low[3] = {1e30, 1e30, 1e30}, high[3] = {-1e30, -1e30, -1e30};
};

Counts ReadBack(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate);
    Counts counts;
    EXPECT_TRUE(scene) << importer.GetErrorString();
    for (unsigned m = 0; scene && m < scene->mNumMeshes; ++m) {
        counts.triangles += scene->mMeshes[m]->mNumFaces;
        for (unsigned i = 0; i < scene->mMeshes[m]->mNumVertices; ++i)
            for (int a = 0; a < 3; ++a) {
                counts.low[a] = std::min<double>(counts.low[a], scene->mMeshes[m]->mVertices[i][unsigned(a)]);
                counts.high[a] =
                    std::max<double>(counts.high[a], scene->mMeshes[m]->mVertices[i][unsigned(a)]);
            }
    }
    return counts;
}

TEST(Export, EveryPrimitiveKindIsValidAndReadsBackWithItsTrianglesAndBounds) {
    const auto folder = TestFolder();
    const auto records = EveryKind();
    const TmdModel model = ModelOf({records, {}, {records[3], records[40]}});
    const std::vector<TimImage> tims{TestTexture()};
    std::size_t triangles = 0;
    for (const auto& object : model.objects)
        for (const WorkPrimitive& p : object.Records())
            triangles += (p.attr & PA_QUAD) ? 2 : 1;
    std::vector<std::string> gltfs;
    for (const char* name : {"every.glb", "every.gltf", "every.obj"}) {
        SCOPED_TRACE(name);
        const auto path = (folder / name).string();
        const ExportResult result = ExportModel(RefOf(model), tims, path);
        ASSERT_TRUE(result.ok);
        ASSERT_EQ(result.messages.size(), 1u) << "one message for the texture that is not loaded";
        EXPECT_EQ(
            result.messages[0],
            "Textures not loaded, primitives using them exported untextured: page 3 4-bit CLUT (0,480)");
        const Counts counts = ReadBack(path);
        EXPECT_EQ(counts.triangles, triangles);
        // x runs 0..4600, z 0..4600 (turned to -z), y is 0: in exported units of 1/1024.
        EXPECT_NEAR(counts.low[0], 0.0, 1e-6);
        EXPECT_NEAR(counts.high[0], 4600.0 / 1024, 1e-6);
        EXPECT_NEAR(counts.low[2], -4600.0 / 1024, 1e-6);
        EXPECT_NEAR(counts.high[2], 0.0, 1e-6);
        if (std::string(name) != "every.obj")
            gltfs.push_back(path);
    }
    EXPECT_VALID_GLTF(gltfs);
}

TEST(Export, SampleWithItsTextureIsValid) {
    const auto folder = TestFolder();
    CPolyvaneDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(SourcePath("samples/cube.tmd")));
    std::vector<TimImage> tims(1);
    tims[0].fileName = SourcePath("samples/cube.tim");
    ASSERT_TRUE(LoadTim(tims[0]));
    std::vector<std::string> files;
    for (const char* name : {"cube.glb", "cube.gltf"}) {
        const auto path = (folder / name).string();
        const ExportResult result = ExportModel(doc.Model(), tims, path);
        EXPECT_TRUE(result.ok);
        EXPECT_TRUE(result.messages.empty());
        files.push_back(path);
    }
    EXPECT_TRUE(std::filesystem::exists(folder / "cube.bin"));
    EXPECT_TRUE(std::filesystem::exists(folder / "cube_tex0.png"));
    EXPECT_VALID_GLTF(files);
}

TEST(Export, PagePictureHoldsTheTexelsTheChipFetches) {
    PageTextures pages;
    const std::vector<TimImage> tims{TestTexture()};
    pages.Load(tims);
    const TextureKey key{kTexturePage, kPixelMode4Bit, 0, kClutY};
    ASSERT_TRUE(pages.IsLoaded(key));
    EXPECT_FALSE(pages.IsLoaded({kTexturePage, kPixelMode4Bit, 16, kClutY})) << "no colour table there";
    EXPECT_FALSE(pages.IsLoaded({3, kPixelMode4Bit, 0, kClutY})) << "nothing in that page";
    const RgbaImage image = pages.Decode(key);
    struct Case {
        int u, v;
        std::uint8_t rgba[4];
    } cases[] = {
        {0, 0, {0, 0, 0, 0}},     // index 0: the transparent word
        {1, 0, {255, 0, 0, 255}}, // index 1: 0x001F, full red
        {1, 1, {0, 255, 0, 255}}, // index 2
        {3, 0, {0, 0, 255, 255}}, // index 3
        {5, 3, {0, 0, 0, 0}},     // (5 + 3) % 4 = 0
        {2, 3, {255, 0, 0, 255}}, // (2 + 3) % 4 = 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.u << "," << c.v);
        EXPECT_TRUE(std::equal(c.rgba, c.rgba + 4, image.Pixel(c.u, c.v)));
    }
    // The PNG of the page keeps the texels as they are.
    const auto decoded = DecodePng(EncodePng(image));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rgba, image.rgba);
}

TEST(Export, LeavesTheModelUnchanged) {
    const auto folder = TestFolder();
    const auto records = EveryKind();
    const TmdModel model = ModelOf({records});
    for (const char* name : {"m.glb", "m.obj"})
        ASSERT_TRUE(ExportModel(RefOf(model), {}, (folder / name).string()).ok);
    EXPECT_EQ(
        std::memcmp(model.objects[0].records.get(), records.data(), records.size() * sizeof(WorkPrimitive)),
        0);
}

TEST(Export, UnknownExtensionIsRefused) {
    const auto folder = TestFolder();
    const ExportResult result = ExportModel(RefOf(ModelOf({})), {}, (folder / "model.fbx").string());
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_NE(result.messages[0].find("Unknown export format"), std::string::npos);
}

// Corners of every record as (x, y, z, colour) in a canonical order, for comparing models whose
// primitives an exporter may regroup.
std::vector<std::array<long, 4>> Corners(const TmdModel& model) {
    std::vector<std::array<long, 4>> out;
    for (const auto& object : model.objects)
        for (const WorkPrimitive& p : object.Records())
            for (int k = 0; k < VertexCount(p); ++k)
                out.push_back({std::lround(p.x[k]), std::lround(p.y[k]), std::lround(p.z[k]),
                               long(p.colour[k] & 0xFFFFFF)});
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

TEST(Export, RoundTripsKeepPrimitivesPositionsAndColours) {
    const auto folder = TestFolder();
    // Unlit primitives with flat colours and with a colour per corner, lit ones with a flat colour.
    std::vector<WorkPrimitive> records;
    auto add = [&](WorkPrimitive p, std::uint16_t attr, std::initializer_list<std::uint32_t> colours) {
        p.attr = static_cast<std::uint16_t>(p.attr | attr);
        int k = 0;
        for (std::uint32_t c : colours)
            p.colour[k++] = c;
        for (; k < 4; ++k)
            p.colour[k] = p.colour[0];
        records.push_back(p);
    };
    add(Record({{-100, 50, 10}, {100, 50, 10}, {0, -200, 10}}), 0, {0x0000FF});
    add(Record({{-100, 50, 300}, {100, 50, 300}, {-100, -50, 300}, {100, -50, 300}}), 0, {0x00FF00});
    add(Record({{-700, 0, 0}, {-600, 0, 0}, {-700, 0, 100}}), PA_GOURAUD, {0x112233, 0x445566, 0x778899});
    add(Record({{500, 10, 0}, {600, 10, 0}, {500, 10, 90}, {600, 10, 90}}), PA_GOURAUD,
        {0x800000, 0x008000, 0x000080, 0x808080});
    add(Record({{0, 400, 0}, {0, 400, 100}, {100, 400, 0}}), PA_LIGHT, {0x204060});
    const TmdModel model = ModelOf({records, {records[0]}});
    struct Case {
        const char* name;
        std::size_t primitives;
        std::size_t quads;
    } cases[] = {{"trip.obj", 5 + 1, 2}, {"trip.gltf", 7 + 1, 0}, {"trip.glb", 7 + 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = (folder / c.name).string();
        ASSERT_TRUE(ExportModel(RefOf(model), {}, path).ok);
        ImportResult back = ImportModelFile(path, {.scale = 1024.0});
        ASSERT_TRUE(back.ok) << (back.messages.empty() ? "" : back.messages[0]);
        std::size_t primitives = 0, quads = 0;
        for (const auto& object : back.model.objects)
            for (const WorkPrimitive& p : object.Records()) {
                ++primitives;
                quads += (p.attr & PA_QUAD) ? 1 : 0;
            }
        EXPECT_EQ(back.model.objects.size(), 2u);
        EXPECT_EQ(primitives, c.primitives);
        EXPECT_EQ(quads, c.quads);
        EXPECT_EQ(Corners(back.model), Corners(model));
    }
}

} // namespace
