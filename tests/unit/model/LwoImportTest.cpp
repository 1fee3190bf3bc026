// The LWOB import: points, corner order, surfaces, the messages, every malformed-file choice, and the
// real files of other projects.
#include "DocTestSupport.h"
#include "TmdBuilder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// An LWOB file under construction: chunks are appended in order and the FORM length is set last.
class Lwob {
  public:
    Lwob& Chunk(const char* id, const std::vector<std::uint8_t>& body) {
        m_body.text(id);
        m_body.u32be(static_cast<std::uint32_t>(body.size()));
        m_body.data().insert(m_body.data().end(), body.begin(), body.end());
        return *this;
    }
    Lwob& Points(const std::vector<float>& xyz) {
        Bytes b;
        for (float f : xyz)
            b.u32be(std::bit_cast<std::uint32_t>(f));
        return Chunk("PNTS", b.data());
    }
    Lwob& Raw(const std::vector<std::uint8_t>& bytes) {
        m_body.data().insert(m_body.data().end(), bytes.begin(), bytes.end());
        return *this;
    }
    [[nodiscard]] std::vector<std::uint8_t> File(int lengthAdjust = 0) const {
        Bytes f;
        f.text("FORM");
        f.u32be(static_cast<std::uint32_t>(static_cast<int>(m_body.size()) + 4 + lengthAdjust));
        f.text("LWOB");
        f.data().insert(f.data().end(), m_body.data().begin(), m_body.data().end());
        return f.data();
    }

  private:
    Bytes m_body;
};

// Names padded with zero bytes to an even length, as LightWave writes them.
std::vector<std::uint8_t> Names(const std::vector<std::string>& names) {
    Bytes b;
    for (const auto& n : names) {
        b.text(n.c_str());
        b.u8(0);
        if (n.size() % 2 == 0)
            b.u8(0);
    }
    return b.data();
}

struct SubChunk {
    const char* id;
    std::vector<std::uint8_t> body;
};

std::vector<std::uint8_t> Surf(const std::string& name, const std::vector<SubChunk>& subs) {
    Bytes b;
    b.data() = Names({name});
    for (const auto& s : subs) {
        b.text(s.id);
        b.u16be(static_cast<unsigned>(s.body.size()));
        b.data().insert(b.data().end(), s.body.begin(), s.body.end());
    }
    return b.data();
}

std::vector<std::uint8_t> Colr(unsigned r, unsigned g, unsigned b) {
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), 0};
}
std::vector<std::uint8_t> Flag(unsigned bits) {
    return {static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

// Polygons: each is its point indices then its surface number.
struct Poly {
    std::vector<unsigned> indices;
    int surface;
};
std::vector<std::uint8_t> Pols(const std::vector<Poly>& polys) {
    Bytes b;
    for (const auto& p : polys) {
        b.u16be(static_cast<unsigned>(p.indices.size()));
        for (unsigned i : p.indices)
            b.u16be(i);
        b.u16be(static_cast<unsigned>(p.surface) & 0xFFFF);
    }
    return b.data();
}

// Points 0..5: point i is (i, 2i, -i) / 4.
std::vector<float> SixPoints() {
    std::vector<float> p;
    for (int i = 0; i < 6; ++i)
        p.insert(p.end(), {i / 4.0f, 2 * i / 4.0f, -i / 4.0f});
    return p;
}

LoadResult Import(const std::vector<std::uint8_t>& bytes) {
    return LoadBytes(bytes, "model.lwo");
}

} // namespace

TEST(LwoImport, ScalesPointsAndReversesCornerOrder) {
    auto r = Import(Lwob()
                        .Points({1.5f, -2.0f, 0.25f, 1, 0, 0, 0, 1, 0, 0, 0, 1})
                        .Chunk("POLS", Pols({{{0, 1, 2}, 1}, {{0, 1, 2, 3}, 1}}))
                        .File());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Read LWO"});
    const WorkPrimitive& tri = r.doc->Records()[0];
    // (a, b, c) becomes corners (c, b, a).
    EXPECT_EQ(tri.x[2], 150.0);
    EXPECT_EQ(tri.y[2], -200.0);
    EXPECT_EQ(tri.z[2], 25.0);
    EXPECT_EQ(tri.x[1], 100.0);
    EXPECT_EQ(tri.y[0], 100.0);
    // (a, b, c, d) becomes corners (d, c, a, b).
    const WorkPrimitive& quad = r.doc->Records()[1];
    EXPECT_EQ(quad.z[0], 100.0); // d
    EXPECT_EQ(quad.y[1], 100.0); // c
    EXPECT_EQ(quad.x[2], 150.0); // a
    EXPECT_EQ(quad.x[3], 100.0); // b
    EXPECT_EQ(quad.attr & PA_QUAD, PA_QUAD);
}

TEST(LwoImport, MakesAOneObjectModelWithNormalsAndExtents) {
    auto r = Import(Lwob()
                        .Chunk("SRFS", Names({"Skin"}))
                        .Points({0, 0, 0, 1, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0.1f})
                        .Chunk("POLS", Pols({{{0, 1, 2}, 1}, {{1, 3, 2}, 1}}))
                        .File());
    ASSERT_TRUE(r.ok);
    const CPolyvaneDoc& doc = *r.doc;
    EXPECT_EQ(doc.Header().id, 0x41u);
    EXPECT_EQ(doc.Header().flags, 0u);
    EXPECT_EQ(doc.Header().nobj, 1u);
    EXPECT_EQ(doc.ObjectEntry(0).n_vert, 4u);
    EXPECT_EQ(doc.ObjectEntry(0).n_normal, 0u);
    EXPECT_EQ(doc.ObjectEntry(0).n_primitive, 2u);
    EXPECT_EQ(doc.SelectedObject(), 0u);
    EXPECT_EQ(doc.CurrentPrimitive(), &doc.Records()[0]);
    EXPECT_FALSE(doc.HasClipboard());
    EXPECT_EQ(doc.MaxExtent().vx, 100);
    EXPECT_EQ(doc.MaxExtent().vy, 100);
    EXPECT_EQ(doc.MaxExtent().vz, 10);
    EXPECT_EQ(doc.MinExtent().vz, 0);
    // Face normals of unit length and, at the shared corners, the average of both faces.
    const WorkPrimitive& p = doc.Records()[0];
    EXPECT_NEAR(p.fnx * p.fnx + p.fny * p.fny + p.fnz * p.fnz, 1.0, 1e-12);
    const WorkPrimitive& q = doc.Records()[1];
    EXPECT_DOUBLE_EQ(p.nz[1], (p.fnz + q.fnz) / 2); // point 1 is corner 1 of the first triangle
    EXPECT_NE(p.inz[0], 0);
}

TEST(LwoImport, AppliesSurfaces) {
    auto r = Import(Lwob()
                        .Chunk("SRFS", Names({"Red", "Smooth", "Both", "Plain", "Unlisted"}))
                        .Points(SixPoints())
                        .Chunk("SURF", Surf("Red", {{"COLR", Colr(200, 100, 50)}}))
                        .Chunk("SURF", Surf("Smooth", {{"FLAG", Flag(0x0004)}}))
                        .Chunk("SURF", Surf("Both", {{"FLAG", Flag(0x0104)}, {"COLR", Colr(1, 2, 3)}}))
                        .Chunk("SURF", Surf("Plain", {{"XXXX", {1, 2}}}))
                        .Chunk("POLS", Pols({{{0, 1, 2}, 0},
                                             {{0, 1, 2, 3}, 1},
                                             {{0, 1, 2}, 2},
                                             {{0, 1, 2, 3}, 3},
                                             {{0, 1, 2}, 4},
                                             {{0, 1, 2}, 5},
                                             {{0, 1, 2, 3}, 6}}))
                        .File());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.doc->Surfaces().size(), 5u);
    struct Expect {
        std::uint16_t attr;
        std::uint32_t colour;
        int style;
    };
    const Expect expected[] = {
        {0x08, 0x003264C8, 0},  // surface number 0 takes the first surface
        {0x09, 0x003264C8, 1},  // a quadrilateral keeps its PA_QUAD bit
        {0x0A, 0x808080, 2},    // FLAG 0x0004: smoothed
        {0x1B, 0x030201, 3},    // FLAG 0x0104: smoothed and double-sided
        {0x08, 0x808080, 4},    // no FLAG, no COLR
        {0x08, 0x808080, 5},    // listed without a SURF chunk
        {PA_QUAD, 0x808080, 0}, // beyond the list: only its PA_QUAD bit
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const WorkPrimitive& p = r.doc->Records()[i];
        EXPECT_EQ(p.attr, expected[i].attr);
        EXPECT_EQ(p.colour[0], expected[i].colour);
        EXPECT_EQ(p.style, expected[i].style);
    }
    const LwoSurface& red = r.doc->Surfaces().front();
    EXPECT_EQ(red.name, "Red");
    EXPECT_EQ(red.attr, 0x08);
    for (std::uint32_t c : red.colour)
        EXPECT_EQ(c, 0x003264C8u);
}

TEST(LwoImport, MatchesSurfaceNamesExactlyByteForByte) {
    const std::string longName(60, 'n');
    const std::string highBytes = "\xC3\xA9t\xC3\xA9";
    auto r = Import(Lwob()
                        .Chunk("SRFS", Names({"Wood", longName, highBytes}))
                        .Points(SixPoints())
                        // Begins with the listed name but is longer: not the surface "Wood".
                        .Chunk("SURF", Surf("Woodland", {{"COLR", Colr(9, 9, 9)}}))
                        .Chunk("SURF", Surf("Wood", {{"COLR", Colr(1, 1, 1)}}))
                        .Chunk("SURF", Surf(longName, {{"COLR", Colr(2, 2, 2)}}))
                        .Chunk("SURF", Surf(highBytes, {{"COLR", Colr(3, 3, 3)}}))
                        .Chunk("POLS", Pols({{{0, 1, 2}, 1}, {{0, 1, 2}, 2}, {{0, 1, 2}, 3}}))
                        .File());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.doc->Records()[0].colour[0], 0x010101u);
    EXPECT_EQ(r.doc->Records()[1].colour[0], 0x020202u);
    EXPECT_EQ(r.doc->Records()[2].colour[0], 0x030303u);
    auto it = std::next(r.doc->Surfaces().begin());
    EXPECT_EQ(it->name, std::string(48, 'n')); // 60 characters kept as 48
    EXPECT_EQ(std::next(it)->name, highBytes);
}

TEST(LwoImport, SkipsPolygonsOfFewerThanThreePointsAndCutsLargerOnes) {
    auto r = Import(
        Lwob()
            .Points(SixPoints())
            .Chunk("POLS", Pols({{{0, 1, 2}, 1}, {{0, 1, 2, 3, 4}, 1}, {{3, 4, 5}, 1}, {{}, 1}, {{1, 2}, 1}}))
            .File());
    ASSERT_TRUE(r.ok);
    // The five-point polygon gives three triangles between the two triangles.
    ASSERT_EQ(r.doc->WorkCount(), 5u);
    EXPECT_EQ(r.doc->Records()[4].x[2], 75.0); // point 3 is the last corner of the last triangle
}

TEST(LwoImport, AConcavePolygonBecomesTrianglesCoveringItWithItsSurface) {
    // An L in the z = 0 plane (area 3), its reflex corner at (1, 1), on the second surface.
    const std::vector<float> points = {0, 0, 0, 2, 0, 0, 2, 1, 0, 1, 1, 0, 1, 2, 0, 0, 2, 0};
    auto r = Import(Lwob()
                        .Chunk("SRFS", Names({"A", "B"}))
                        .Chunk("SURF", Surf("B", {{"COLR", Colr(0x40, 0x30, 0x20)}}))
                        .Points(points)
                        .Chunk("POLS", Pols({{{0, 1, 2, 3, 4, 5}, 2}}))
                        .File());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.doc->WorkCount(), 4u);
    double total = 0;
    for (std::uint32_t i = 0; i < 4; ++i) {
        const WorkPrimitive& p = r.doc->Records()[i];
        EXPECT_EQ(p.attr & PA_QUAD, 0);
        EXPECT_EQ(p.style, 2) << i;
        EXPECT_EQ(p.colour[0], 0x203040u) << i;
        const double area =
            ((p.x[1] - p.x[0]) * (p.y[2] - p.y[0]) - (p.y[1] - p.y[0]) * (p.x[2] - p.x[0])) / 2;
        // Every triangle turns the same way (none folds over), so equal areas mean none lies outside.
        EXPECT_LT(area, 0.0) << i;
        total += area;
    }
    EXPECT_DOUBLE_EQ(-total, 3.0 * 100 * 100); // imported at the default scale of 100
}

TEST(LwoImport, FailuresShowTheirMessagesAndLeaveNoModel) {
    const auto valid = Lwob().Points(SixPoints()).Chunk("POLS", Pols({{{0, 1, 2}, 1}})).File();
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> messages;
    };
    std::vector<Case> cases = {
        {"shorter than 12 bytes",
         {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'L', 'W'},
         {"Read LWO", "Not an IFF file"}},
        {"not FORM", {'F', 'O', 'R', 'X', 0, 0, 0, 4, 'L', 'W', 'O', 'B'}, {"Read LWO", "Not an IFF file"}},
        {"not LWOB",
         {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'L', 'W', 'O', '2'},
         {"Read LWO", "Not an LWOB object file"}},
        {"FORM longer than the file",
         Lwob().Points(SixPoints()).File(1),
         {"Read LWO", "Could not read file"}},
        {"FORM claiming 4 GB",
         [&] {
             auto b = valid;
             b[4] = b[5] = b[6] = b[7] = 0xFF;
             return b;
         }(),
         {"Read LWO", "Could not read file"}},
        {"no PNTS", Lwob().Chunk("POLS", Pols({{{0, 1, 2}, 1}})).File(), {"Read LWO", "No PNTS chunk"}},
        {"PNTS behind a chunk that runs past the end",
         Lwob().Chunk("JUNK", {}).Raw({'B', 'A', 'D', '!', 0, 0, 1, 0}).Points(SixPoints()).File(),
         {"Read LWO", "No PNTS chunk"}},
        {"PNTS running past the end",
         [&] {
             auto b = Lwob().Points(SixPoints()).File();
             b[12 + 7] = 200; // PNTS claims more than the FORM holds
             return b;
         }(),
         {"Read LWO", "No PNTS chunk"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = Import(c.bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, c.messages);
        EXPECT_FALSE(r.doc->HasSelection());
        EXPECT_EQ(r.doc->CurrentPrimitive(), nullptr);
        EXPECT_EQ(r.doc->ObjectCount(), 0u);
        EXPECT_TRUE(r.doc->Surfaces().empty());
    }
}

TEST(LwoImport, MalformedPolygonsAndChunksAreSkippedInsideTheData) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> pols;
        std::uint32_t primitives;
    };
    Bytes hugeCount; // a vertex count of 0xFFFF with far fewer bytes behind it ends the walk
    hugeCount.data() = Pols({{{0, 1, 2}, 1}});
    hugeCount.u16be(0xFFFF);
    hugeCount.u16be(1);
    hugeCount.u16be(2);
    Bytes negativeCount; // 0x8003 read unsigned: a huge count, never a step backwards
    negativeCount.data() = Pols({{{0, 1, 2}, 1}});
    negativeCount.u16be(0x8003);
    negativeCount.u16be(0);
    Bytes cutShort = hugeCount;
    cutShort.data() = Pols({{{0, 1, 2}, 1}, {{3, 4, 5}, 1}});
    cutShort.data().resize(cutShort.size() - 1); // the surface number of the second is cut
    const std::vector<Case> cases = {
        {"point index equal to the point count", Pols({{{0, 1, 6}, 1}, {{3, 4, 5}, 1}}), 1},
        {"point index 0xFFFF", Pols({{{0xFFFF, 1, 2}, 1}, {{3, 4, 5}, 1}}), 1},
        {"vertex count past the end", hugeCount.data(), 1},
        {"vertex count with the top bit set", negativeCount.data(), 1},
        {"polygon cut short", cutShort.data(), 1},
        // A negative surface announces detail polygons: the count is stepped over and the detail
        // polygons import as ordinary ones.
        {"detail polygons",
         [] {
             Bytes b;
             b.data() = Pols({{{0, 1, 2}, -2}});
             b.u16be(2);
             auto details = Pols({{{3, 4, 5}, 1}, {{0, 1, 2, 3}, 2}});
             b.data().insert(b.data().end(), details.begin(), details.end());
             return b.data();
         }(),
         3},
        {"detail count missing at the end", Pols({{{0, 1, 2}, 1}, {{0, 1, 2}, -1}}), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r =
            Import(Lwob().Chunk("SRFS", Names({"A", "B"})).Points(SixPoints()).Chunk("POLS", c.pols).File());
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.doc->WorkCount(), c.primitives);
    }
    auto detail = Import(Lwob()
                             .Chunk("SRFS", Names({"A", "B"}))
                             .Points(SixPoints())
                             .Chunk("SURF", Surf("B", {{"FLAG", Flag(0x0100)}}))
                             .Chunk("POLS", cases[5].pols)
                             .File());
    ASSERT_EQ(detail.doc->WorkCount(), 3u);
    EXPECT_EQ(detail.doc->Records()[0].attr, 0x18);
    EXPECT_EQ(detail.doc->Records()[0].style, 2);
    EXPECT_EQ(detail.doc->Records()[1].style, 1);
    EXPECT_EQ(detail.doc->Records()[2].attr, 0x19);
}

TEST(LwoImport, SubChunkRunningPastTheSurfaceEndsItsWalk) {
    Bytes surf;
    surf.data() = Names({"S"});
    surf.text("FLAG");
    surf.u16be(2);
    surf.u16be(0x0004);
    surf.text("COLR");
    surf.u16be(40); // more than the SURF chunk holds
    surf.data().insert(surf.data().end(), {7, 7, 7, 0});
    auto r = Import(Lwob()
                        .Chunk("SRFS", Names({"S"}))
                        .Points(SixPoints())
                        .Chunk("SURF", surf.data())
                        .Chunk("POLS", Pols({{{0, 1, 2}, 1}}))
                        .File());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.doc->Records()[0].attr, 0x0A);
    EXPECT_EQ(r.doc->Records()[0].colour[0], 0x808080u);
}

TEST(LwoImport, FileWithoutPolygonsImportsAnObjectWithoutPrimitives) {
    auto r = Import(Lwob().Points(SixPoints()).File());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Read LWO"});
    EXPECT_EQ(r.doc->ObjectCount(), 1u);
    EXPECT_EQ(r.doc->ObjectEntry(0).n_vert, 6u);
    EXPECT_EQ(r.doc->WorkCount(), 0u);
    EXPECT_TRUE(r.doc->HasSelection());
    EXPECT_EQ(r.doc->CurrentPrimitive(), nullptr);
}

TEST(LwoImport, EveryPrefixOfAValidFileFailsCleanlyOrImports) {
    const auto full = Lwob()
                          .Chunk("SRFS", Names({"Red"}))
                          .Points(SixPoints())
                          .Chunk("SURF", Surf("Red", {{"COLR", Colr(200, 100, 50)}, {"FLAG", Flag(4)}}))
                          .Chunk("POLS", Pols({{{0, 1, 2}, 1}, {{0, 1, 2, 3}, -1}}))
                          .File();
    for (std::size_t n = 0; n < full.size(); ++n) {
        auto r =
            Import(std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)));
        // The FORM length always claims more than a prefix holds.
        EXPECT_FALSE(r.ok) << n;
        EXPECT_FALSE(r.doc->HasSelection());
    }
    EXPECT_TRUE(Import(full).ok);
}

TEST(LwoImport, RealFilesOfOtherProjectsImport) {
    const std::filesystem::path dir = RealDataPath("lwo");
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "no real LWOB files at " << dir;
    // Primitives each file gives, its polygons of more than four points cut into triangles.
    const std::pair<const char*, std::uint32_t> files[] = {
        {"assimp_ConcavePolygon.lwo", 64},
        {"assimp_bluewithcylindrictexz.lwo", 6},
        {"assimp_formatDetection.lwo", 22},
        {"assimp_sphere_with_mat_gloss_10pc.lwo", 288},
        {"assimp_sphere_with_mat_gloss_50pc.lwo", 288},
        {"blenderimportlwo_box0.5.lwo", 6},
        {"blenderimportlwo_box1.5.lwo", 6},
        {"blenderimportlwo_box3-uv-layers.lwo", 864},
        {"java3d_greenball.lwo", 528},
    };
    for (const auto& [name, primitives] : files) {
        SCOPED_TRACE(name);
        std::ifstream in(dir / name, std::ios::binary);
        ASSERT_TRUE(in);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        auto r = Import(bytes);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.messages, std::vector<std::string>{"Read LWO"});
        EXPECT_EQ(r.doc->WorkCount(), primitives);
        EXPECT_FALSE(r.doc->Surfaces().empty());
    }
    // The six surfaces of the coloured box: each face its own colour.
    auto in = std::ifstream(dir / "blenderimportlwo_box1.5.lwo", std::ios::binary);
    const std::vector<std::uint8_t> box((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
    auto r = Import(box);
    ASSERT_EQ(r.doc->Surfaces().size(), 6u);
    EXPECT_EQ(r.doc->Surfaces().front().name, "Bottom");
    EXPECT_EQ(r.doc->Surfaces().front().colour[0], 0x000040u);
}
