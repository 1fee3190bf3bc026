// The textured and VRAM modes: faces kept or culled as the console's winding rule says, the light
// model, textures sampled from the document's memory, and the memory shown word for word.
#include "view/TexturedPaint.h"
#include "DocTestSupport.h"
#include "RandomModel.h"
#include "TimBuilder.h"
#include "WorkDocBuilder.h"
#include "gpu/FrameBufferPicture.h"
#include "platform/CRasterDC.h"
#include "texture/TimFrameBuffer.h"
#include "view/CPolyvaneView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr std::int32_t kWidth = 400, kHeight = 300;

// Paints the document in `mode` and returns the picture.
std::vector<COLORREF> PaintPixels(CPolyvaneDoc& doc, std::int32_t mode, const LightModel& light = {},
                                  std::int32_t width = kWidth, std::int32_t height = kHeight) {
    HeadlessViewHost host(CRect{0, 0, width, height});
    CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(&doc);
    view.m_viewMode = mode;
    view.m_bShowVertexNumbers = 0;
    view.m_textured.light = light;
    CRasterDC dc(width, height);
    view.OnDraw(&dc);
    view.SetDocument(nullptr);
    return dc.Pixels();
}

COLORREF At(const std::vector<COLORREF>& pixels, int x, int y, int width = kWidth) {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
}

// (0,0,0) (100,0,0) (0,100,0) shows at (200,150) (300,150) (200,50): clockwise on the console's
// screen, whose y grows downward where this view's grows upward.
WorkPrimitive FrontTriangle(std::uint16_t attr = 0) {
    WorkPrimitive p = Record({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}, attr);
    p.colour[0] = RGB(255, 0, 0);
    return p;
}

TEST(TexturedPaint, SingleSidedFacesSeenFromBehindAreNotDrawn) {
    struct Case {
        const char* name;
        bool reversed;
        std::uint16_t attr;
        bool drawn;
    };
    const Case cases[] = {
        {"front", false, 0, true},
        {"back", true, 0, false},
        {"back, double-sided", true, PA_DOUBLE, true},
    };
    for (const auto& c : cases) {
        WorkPrimitive p = FrontTriangle(c.attr);
        if (c.reversed) {
            std::swap(p.x[1], p.x[2]);
            std::swap(p.y[1], p.y[2]);
        }
        auto doc = MakeDoc({p});
        const auto pixels = PaintPixels(*doc, VM_TEXTURED);
        EXPECT_EQ(At(pixels, 220, 130), c.drawn ? RGB(255, 0, 0) : RGB(255, 255, 255)) << c.name;
    }
}

TEST(TexturedPaint, LitFacesTakeAmbientPlusTheLightsOverTheirNormal) {
    LightModel light;
    light.ambient = 0.25;
    light.lights = {{0.0, 0.0, -1.0, 0.75}};
    struct Case {
        double nz;
        int level; // 8-bit shown: 200 x factor cut to 5 bits and widened
    };
    const Case cases[] = {
        {-1.0, 206}, // facing the light: 200 -> 25 -> 206
        {1.0, 49},   // facing away: ambient only, 50 -> 6 -> 49
        {0.0, 49},   // no normal: ambient only
    };
    for (const auto& c : cases) {
        WorkPrimitive p = FrontTriangle(PA_LIGHT);
        p.colour[0] = RGB(200, 200, 200);
        p.nz[0] = c.nz;
        auto doc = MakeDoc({p});
        const auto pixels = PaintPixels(*doc, VM_TEXTURED, light);
        const auto level = static_cast<std::uint8_t>(c.level);
        EXPECT_EQ(At(pixels, 220, 130), RGB(level, level, level)) << c.nz;
    }
}

TEST(TexturedPaint, TexturesComeFromTheDocumentsMemory) {
    TimSpec spec;
    spec.flag = 2; // 15-bit at (640, 0): page 10
    spec.imageWidth = 2;
    spec.imageHeight = 1;
    spec.pixels = {0x00, 0x7C, 0x00, 0x00}; // blue, then the transparent texel
    WorkPrimitive p = FrontTriangle(PA_TEXTURED | PA_DOUBLE);
    p.tpage = 10;
    p.pmode = 2;
    for (std::uint8_t u : {0, 1}) {
        p.u[0] = p.u[1] = p.u[2] = u;
        auto doc = MakeDoc({p});
        doc->AttachTexture(LoadTimBytes(BuildTim(spec).data()).tim);
        const auto pixels = PaintPixels(*doc, VM_TEXTURED);
        EXPECT_EQ(At(pixels, 220, 130), u == 0 ? RGB(0, 0, 255) : RGB(255, 255, 255)) << int(u);
    }
}

TEST(TexturedPaint, VramScaleTakesWholeOrHalfSteps) {
    struct Case {
        std::int32_t width, height, halves;
    };
    const Case cases[] = {{1024, 512, 2}, {1023, 512, 1}, {1536, 800, 3}, {4096, 700, 2}, {100, 100, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(VramScaleHalves(c.width, c.height), c.halves) << c.width << 'x' << c.height;
}

TEST(TexturedPaint, RealTexturesShowInTheVramViewAndOnTheSampleModel) {
    const std::filesystem::path dir = RealDataPath("tim");
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "real textures not present";
    std::ifstream in(SourcePath("samples/cube.tmd"), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    int shown = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".tim")
            continue;
        auto loaded = LoadBytes(bytes, "cube.tmd");
        ASSERT_TRUE(loaded.ok);
        auto load = test::LoadTimFile(entry.path().string());
        if (!load.ok)
            continue;
        loaded.doc->AttachTexture(std::move(load.tim));
        const auto textured = PaintPixels(*loaded.doc, VM_TEXTURED);
        EXPECT_EQ(textured.size(), std::size_t(kWidth) * kHeight);
        const auto vram = PaintPixels(*loaded.doc, VM_VRAM, {}, 1024, 512);
        const FrameBuffer memory = BuildFrameBuffer(loaded.doc->Textures());
        // A pixel inside the image, clear of the outline and the label.
        const TimImage& tim = loaded.doc->Textures().front();
        const int x = std::min(tim.imageX + tim.imageWidth - 2, 1023);
        const int y = std::min(tim.imageY + tim.imageHeight - 2, 511);
        EXPECT_EQ(At(vram, x, y, 1024), WidenWord(memory.Word(x, y))) << entry.path();
        ++shown;
    }
    EXPECT_GT(shown, 0);
}

// The sample's solids are convex: a face shows its outside exactly when the eye lies beyond its plane,
// on the side away from the solid's centre, and those are the faces the textured mode keeps.
TEST(TexturedPaint, TheSamplesFacesShowTheirOutside) {
    std::ifstream in(SourcePath("samples/cube.tmd"), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    auto loaded = LoadBytes(bytes, "cube.tmd");
    ASSERT_TRUE(loaded.ok);
    using V = std::array<double, 3>;
    auto sub = [](V a, V b) { return V{a[0] - b[0], a[1] - b[1], a[2] - b[2]}; };
    auto dot = [](V a, V b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    auto cross = [](V a, V b) {
        return V{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    const double angles[][3] = {{0.5, 0.6, 0.0}, {-0.5, 2.5, 0.0}, {0.3, -1.2, 0.4}, {-0.6, 0.6, 0.0}};
    for (std::uint32_t object = 0; object < 2; ++object) {
        loaded.doc->SelectModelObject(object);
        const std::span<const WorkPrimitive> records(loaded.doc->Records().data(), loaded.doc->WorkCount());
        V centre{};
        double corners = 0;
        for (const WorkPrimitive& p : records)
            for (int k = 0; k < VertexCount(p); ++k, ++corners)
                centre = V{centre[0] + p.x[k], centre[1] + p.y[k], centre[2] + p.z[k]};
        centre = V{centre[0] / corners, centre[1] / corners, centre[2] / corners};
        for (const auto& angle : angles) {
            const Projector projector(1000.0, 1000.0, 200, 150, angle[0], angle[1], angle[2]);
            // The eye sits 1000 units before the view: its direction read off the depths of far points.
            V eye{};
            for (int axis = 0; axis < 3; ++axis) {
                V far{};
                far[std::size_t(axis)] = 1e6;
                std::int32_t depth = 0;
                (void)projector.Project(far[0], far[1], far[2], depth);
                eye[std::size_t(axis)] = -1000.0 * (depth - 1000.0) / 1e6;
            }
            ProjectedObject projected;
            ProjectObject(records, projector, projected);
            for (std::size_t i = 0; i < records.size(); ++i) {
                const WorkPrimitive& p = records[i];
                ASSERT_FALSE(p.attr & PA_DOUBLE);
                const V a{p.x[0], p.y[0], p.z[0]}, b{p.x[1], p.y[1], p.z[1]}, c{p.x[2], p.y[2], p.z[2]};
                V normal = cross(sub(b, a), sub(c, a));
                if (dot(normal, sub(a, centre)) < 0)
                    normal = V{-normal[0], -normal[1], -normal[2]};
                const bool outsideSeen = dot(normal, sub(eye, a)) > 0;
                EXPECT_EQ(IsCulled(p.attr, projected.screen[i]), !outsideSeen)
                    << "object " << object << " face " << i << " at " << angle[0] << ", " << angle[1] << ", "
                    << angle[2];
            }
        }
    }
}

// Random faces with every field the paint reads drawn at random: the attributes below plus `more`,
// blend rates, pixel depths, pages, colour tables, texture coordinates, colours and normals.
std::vector<WorkPrimitive> RandomScene(std::size_t count, unsigned seed, std::uint16_t more,
                                       std::mt19937& random) {
    std::vector<WorkPrimitive> records = RandomFaces(count, seed);
    const std::uint16_t attrs = static_cast<std::uint16_t>(more | PA_TEXTURED | PA_GOURAUD | PA_TRANSLUCENT |
                                                           PA_BRIGHTNESS | PA_GRADATION | PA_DOUBLE);
    for (WorkPrimitive& p : records) {
        const std::uint32_t bits = random();
        p.attr = static_cast<std::uint16_t>((p.attr & PA_QUAD) | (bits & attrs));
        p.abr = static_cast<std::uint8_t>(bits >> 16 & 3);
        p.pmode = static_cast<std::uint8_t>(bits >> 18 & 3);
        p.tpage = static_cast<std::uint8_t>(bits >> 20 & 31);
        p.clutX = static_cast<std::uint16_t>(random() % 1024);
        p.clutY = static_cast<std::uint16_t>(random() % 512);
        for (int k = 0; k < 4; ++k) {
            p.u[k] = static_cast<std::uint8_t>(random());
            p.v[k] = static_cast<std::uint8_t>(random());
            p.colour[k] = random() & 0xFFFFFF;
            p.nx[k] = double(int(random() % 200) - 100);
            p.ny[k] = double(int(random() % 200) - 100);
            p.nz[k] = double(int(random() % 200) - 100);
        }
    }
    return records;
}

// Memory of random words, one in five the transparent 0.
FrameBuffer RandomMemory(std::mt19937& random) {
    FrameBuffer memory;
    for (std::int32_t y = 0; y < kFrameBufferHeight; ++y)
        for (std::int32_t x = 0; x < kFrameBufferWidth; ++x)
            memory.SetWord(x, y, static_cast<std::uint16_t>(random() % 5 == 0 ? 0 : random()));
    return memory;
}

// Shared among threads, the paint gives the picture one thread gives, for any mix of primitives:
// textured at each depth, Gouraud, lit, semi-transparent at each rate, dithered.
TEST(TexturedPaint, ThreadsDrawThePictureOneThreadDraws) {
    std::mt19937 random(11);
    const std::vector<WorkPrimitive> records = RandomScene(6000, 3, PA_LIGHT, random);
    const FrameBuffer memory = RandomMemory(random);
    ProjectedObject projected;
    ProjectObject(records, Projector(1000.0, 1000.0, 160, 120, 0.3, 0.4, 0.5), projected);
    for (const bool dither : {false, true}) {
        std::vector<std::uint16_t> pictures[2];
        for (int k = 0; k < 2; ++k) {
            TexturedPaintOptions options;
            options.dither = dither;
            options.threads = k == 0 ? 1u : 3u;
            pictures[k].resize(320 * 240);
            PaintTextured(records, projected, memory, pictures[k], 320, 240, options);
        }
        EXPECT_TRUE(pictures[0] == pictures[1]) << "dither " << dither;
    }
}

// Each primitive the paint places is the chip's polygon at its screen points, drawn back to front:
// the picture of a random unlit scene, single- and double-sided faces among them, is the one the chip
// gives drawing every face that is not culled, in the projection's order.
TEST(TexturedPaint, PlacedPrimitivesAreTheChipsPolygonsBackToFront) {
    std::mt19937 random(21);
    const std::vector<WorkPrimitive> records = RandomScene(5000, 8, 0, random);
    const FrameBuffer memory = RandomMemory(random);
    constexpr int kW = 320, kH = 240;
    ProjectedObject projected;
    ProjectObject(records, Projector(1000.0, 1000.0, kW / 2, kH / 2, 0.6, -0.2, 0.9), projected);

    std::vector<std::uint16_t> expected(kW * kH, TexturedPaintOptions{}.background);
    GpuRasteriser chip(expected, kW, kH, memory);
    chip.SetSizeLimit(false);
    std::size_t culled = 0;
    for (const std::uint32_t i : projected.order) {
        const WorkPrimitive& p = records[i];
        if (IsCulled(p.attr, projected.screen[i])) {
            ++culled;
            continue;
        }
        GpuDrawMode mode;
        mode.textured = p.attr & PA_TEXTURED;
        mode.raw = mode.textured && !(p.attr & PA_BRIGHTNESS);
        mode.gouraud = p.attr & (PA_GOURAUD | PA_GRADATION);
        mode.semi = p.attr & PA_TRANSLUCENT;
        mode.abr = p.abr;
        mode.tpage = p.tpage;
        mode.pmode = p.pmode;
        mode.clutX = p.clutX;
        mode.clutY = p.clutY;
        // The packet's corners from the projection's outline order 0, 1, 3, 2; a flat face's one colour.
        constexpr int kOutline[4] = {0, 1, 3, 2};
        GpuVertex corners[4];
        for (int c = 0; c < VertexCount(p); ++c) {
            const ScreenPoint s = projected.screen[i][std::size_t((p.attr & PA_QUAD) ? kOutline[c] : c)];
            const std::uint32_t colour = p.colour[mode.gouraud ? c : 0];
            corners[c] = {
                s.x, s.y,
                GpuColour{std::uint8_t(colour), std::uint8_t(colour >> 8), std::uint8_t(colour >> 16)},
                p.u[c], p.v[c]};
        }
        chip.Polygon(std::span<const GpuVertex>(corners, std::size_t(VertexCount(p))), mode);
    }
    ASSERT_GT(culled, records.size() / 8); // single-sided faces seen from behind are among them

    for (const unsigned threads : {1u, 3u}) {
        TexturedPaintOptions options;
        options.threads = threads;
        std::vector<std::uint16_t> picture(kW * kH);
        PaintTextured(records, projected, memory, picture, kW, kH, options);
        EXPECT_TRUE(picture == expected) << threads << " threads";
    }
}

} // namespace

namespace {

// A kept line takes its place among the polygons by depth: in front of a face it shows, behind it the
// face covers it.
TEST(TexturedPaint, KeptLinesAreDrawnAmongThePolygonsByDepth) {
    WorkPrimitive quad{};
    quad.attr = PA_QUAD | PA_DOUBLE;
    quad.colour[0] = 0x0000FF00; // green
    const double corners[4][2] = {{-100, -100}, {100, -100}, {-100, 100}, {100, 100}};
    for (int k = 0; k < 4; ++k) {
        quad.x[k] = corners[k][0];
        quad.y[k] = corners[k][1];
    }
    struct Case {
        const char* name;
        std::int16_t z; // of the line; the face is at 0
        std::uint16_t expected;
    };
    const Case cases[] = {{"in front", -500, 31}, {"behind", 500, 31 << 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeptPacket line;
        line.header = 3u | (2u << 8) | (1u << 16) | (0x40u << 24);
        line.words = {0x400000FF, 0};
        line.vertexCount = 2;
        line.vertices = {TmdVector{-200, 0, c.z, 0}, TmdVector{200, 0, c.z, 0}};
        const Projector projector(1000, 1000, 100, 100, 0, 0, 0);
        ProjectedObject projected;
        ProjectObject({&quad, 1}, projector, projected);
        std::vector<ProjectedPacket> screens;
        ProjectPackets({&line, 1}, projector, screens);
        std::vector<std::uint16_t> picture(200 * 200);
        TexturedPainter painter;
        painter.Paint({&quad, 1}, projected, FrameBuffer{}, picture, 200, 200, {}, {&line, 1}, screens);
        EXPECT_EQ(picture[100 * 200 + 150], c.expected);
        EXPECT_EQ(picture[50 * 200 + 150], 31 << 5) << "the face elsewhere";
    }
}

} // namespace
