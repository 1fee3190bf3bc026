// The TMD writer: exact bytes of the worked packets, every packet kind written and read back, vertex
// and normal sharing, and the hashed searches against the plain ones.
#include "DocTestSupport.h"
#include "RoundTrip.h"
#include "TmdBuilder.h"

#include "WorkDocBuilder.h"
#include "formats/TmdCodec.h"
#include "formats/VertexSharing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr unsigned LGT = 0x01, GRD = 0x04;
constexpr unsigned TGE = 0x01, TME = 0x04, QUAD = 0x08, IIP = 0x10;

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
           (static_cast<std::uint32_t>(b.at(at + 2)) << 16) |
           (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

// A flat square in the z = 0 plane, its first three corners turning so that the face normal is -z.
TmdObjectSpec SquareObject(std::vector<std::uint32_t> packet) {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 0, 100, 100, 0};
    o.normals = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    o.packets = std::move(packet);
    o.nPrimitive = 1;
    o.scale = 5;
    return o;
}

struct SavedFile {
    std::unique_ptr<CPolyvaneDoc> doc;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> messages;
};

SavedFile LoadAndSave(const Bytes& input) {
    SavedFile s;
    auto loaded = LoadBytes(input.data());
    EXPECT_TRUE(loaded.ok);
    s.doc = std::move(loaded.doc);
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    bool ok = false;
    s.bytes = SaveToMemory(*s.doc, &ok);
    EXPECT_TRUE(ok);
    s.messages = box.Texts();
    return s;
}

struct WorkedCase {
    const char* name;
    std::vector<std::uint32_t> input;    // the packet read
    std::vector<std::uint32_t> expected; // the packet written
    int vertices;
    int normals; // entries of the written normal table
};

const std::uint32_t kCba = (37u << 6) | 5u;            // clutY 37, clutX 80
const std::uint32_t kTsb = (2u << 7) | (3u << 5) | 9u; // pmode 2, abr 3, tpage 9

const WorkedCase kWorkedCases[] = {
    {"flat lit triangle N0 V0 V1 V2, read with TGE set and written with it clear",
     {PacketHeader(4, 3, 0, 0x20 | TGE), 0x00102030, Halves(3, 0), Halves(1, 2)},
     {PacketHeader(4, 3, 0, 0x20), 0x20102030, Halves(0, 0), Halves(1, 2)},
     3,
     1},
    {"Gouraud lit quad N0 V0 ... N3 V3",
     {PacketHeader(5, 5, 0, 0x20 | QUAD | IIP), 0x00405060, Halves(0, 0), Halves(1, 1), Halves(2, 2),
      Halves(3, 3)},
     {PacketHeader(5, 5, 0, 0x38), 0x38405060, Halves(0, 0), Halves(1, 1), Halves(2, 2), Halves(3, 3)},
     4,
     4},
    {"unlit triangle keeps TGE and pads its indices with a zero halfword",
     {PacketHeader(4, 3, LGT, 0x20 | TGE), 0xFF070809, Halves(0, 1), Halves(2, 0)},
     {PacketHeader(4, 3, LGT, 0x21), 0x21070809, Halves(0, 1), Halves(2, 0)},
     3,
     0},
    {"unlit gradation without Gouraud writes a colour per vertex",
     {PacketHeader(6, 5, LGT | GRD, 0x20), 0x111111, 0x222222, 0x333333, Halves(0, 1), Halves(2, 0)},
     {PacketHeader(6, 5, LGT | GRD, 0x20), 0x20111111, 0x222222, 0x333333, Halves(0, 1), Halves(2, 0)},
     3,
     0},
    {"lit gradation writes n colours and olen 2n",
     {PacketHeader(6, 5, GRD, 0x20), 0x111111, 0x222222, 0x333333, Halves(0, 0), Halves(1, 2)},
     {PacketHeader(6, 5, GRD, 0x20), 0x20111111, 0x222222, 0x333333, Halves(0, 0), Halves(1, 2)},
     3,
     1},
    {"unlit Gouraud writes no normal indices and a colour per vertex",
     {PacketHeader(6, 5, LGT, 0x20 | IIP), 0x111111, 0x222222, 0x333333, Halves(0, 1), Halves(2, 0)},
     {PacketHeader(6, 5, LGT, 0x30), 0x30111111, 0x222222, 0x333333, Halves(0, 1), Halves(2, 0)},
     3,
     0},
    {"lit textured triangle: CBA and TSB in the texture words, no colour",
     {PacketHeader(7, 5, 0, 0x20 | TME), 0x0201 | (kCba << 16), 0x0403 | (kTsb << 16), 0xBEEF0605,
      Halves(0, 0), Halves(1, 2)},
     {PacketHeader(7, 5, 0, 0x24), 0x0201 | (kCba << 16), 0x0403 | (kTsb << 16), 0x0605, Halves(0, 0),
      Halves(1, 2)},
     3,
     1},
    {"unlit textured Gouraud quad, the largest packet",
     {PacketHeader(12, 10, LGT, 0x20 | TME | QUAD | IIP), 0x0201 | (kCba << 16), 0x0403 | (kTsb << 16),
      0x0605, 0x0807, 0x1, 0x2, 0x3, 0x4, Halves(0, 1), Halves(2, 3)},
     {PacketHeader(12, 10, LGT, 0x3C), 0x0201 | (kCba << 16), 0x0403 | (kTsb << 16), 0x0605, 0x0807, 0x1, 0x2,
      0x3, 0x4, Halves(0, 1), Halves(2, 3)},
     4,
     0},
};

} // namespace

TEST(TmdWriter, WritesTheFlatLitTriangleByteForByte) {
    const auto saved = LoadAndSave(BuildTmd({SquareObject(kWorkedCases[0].input)}, 0x77));
    Bytes expected;
    expected.u32(0x41);
    expected.u32(0x77);
    expected.u32(1);
    for (std::uint32_t v : {44u, 3u, 68u, 1u, 28u, 1u, 5u})
        expected.u32(v);
    for (std::uint32_t w : kWorkedCases[0].expected)
        expected.u32(w);
    for (int v : {0, 0, 0, 0, 100, 0, 0, 0, 0, 100, 0, 0})
        expected.i16(v);
    // The normal the packet was read with (entry 3 of the file's table), as it was.
    for (int v : {10, 11, 12, 0})
        expected.i16(v);
    EXPECT_EQ(saved.bytes, expected.data());
    EXPECT_TRUE(saved.messages.empty());
}

TEST(TmdWriter, WritesEachWorkedPacketExactly) {
    for (const auto& c : kWorkedCases) {
        SCOPED_TRACE(c.name);
        const auto saved = LoadAndSave(BuildTmd({SquareObject(c.input)}));
        const auto& b = saved.bytes;
        ASSERT_GE(b.size(), 40u);
        const std::uint32_t primTop = Word(b, 12 + 16);
        EXPECT_EQ(primTop, 28u);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(Word(b, 12 + primTop + 4 * i), c.expected[i]) << "word " << i;
        const std::uint32_t vertTop = Word(b, 12);
        EXPECT_EQ(vertTop, primTop + 4 * c.expected.size());
        EXPECT_EQ(Word(b, 12 + 4), static_cast<std::uint32_t>(c.vertices));
        EXPECT_EQ(Word(b, 12 + 8), vertTop + 8 * static_cast<std::uint32_t>(c.vertices));
        EXPECT_EQ(Word(b, 12 + 12), static_cast<std::uint32_t>(c.normals));
        EXPECT_EQ(b.size(), 12 + Word(b, 12 + 8) + 8 * Word(b, 12 + 12));
        EXPECT_EQ(PacketSize(saved.doc->Records()[0].attr), 4 * c.expected.size());
    }
}

TEST(TmdWriter, ZeroObjectsWriteTheHeaderOnly) {
    Bytes headerOnly;
    headerOnly.u32(0x41);
    headerOnly.u32(9);
    headerOnly.u32(0);
    const auto saved = LoadAndSave(headerOnly);
    EXPECT_EQ(saved.bytes, headerOnly.data());
}

TEST(TmdWriter, NewDocumentWritesAnAllZeroHeader) {
    CPolyvaneDoc doc;
    bool ok = false;
    EXPECT_EQ(SaveToMemory(doc, &ok), std::vector<std::uint8_t>(12, 0));
    EXPECT_TRUE(ok);
}

namespace {

// One object of `count` triangles and `count` quads over a bumpy grid of shared vertices, each record
// then given attribute bits `attrOf(record)` and distinct colours and texture fields.
std::unique_ptr<CPolyvaneDoc> VariedModel(int count, std::uint16_t (*attrOf)(int)) {
    TmdObjectSpec o;
    const int side = 12;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            o.vertices.insert(o.vertices.end(),
                              {static_cast<std::int16_t>(x * 10), static_cast<std::int16_t>(y * 10),
                               static_cast<std::int16_t>((x * y * 7) % 23)});
    for (int i = 0; i < 2 * count; ++i) {
        const int cell = i % ((side - 1) * (side - 1));
        const unsigned v0 = static_cast<unsigned>(cell / (side - 1) * side + cell % (side - 1));
        const unsigned v1 = v0 + 1, v2 = v0 + side, v3 = v0 + side + 1;
        if (i % 2 == 0)
            o.packets.insert(o.packets.end(),
                             {PacketHeader(4, 3, LGT, 0x20), 0, Halves(v0, v1), Halves(v2, 0)});
        else
            o.packets.insert(o.packets.end(),
                             {PacketHeader(5, 3, LGT, 0x28), 0, Halves(v0, v1), Halves(v2, v3)});
    }
    o.nPrimitive = static_cast<std::uint32_t>(2 * count);
    auto loaded = LoadBytes(BuildTmd({o, o}, 0x5).data());
    EXPECT_TRUE(loaded.ok);
    for (std::uint32_t object = 0; object < 2; ++object) {
        EditRecords(*loaded.doc, object, [&](std::span<WorkPrimitive> records) {
            for (int i = 0; i < 2 * count; ++i) {
                WorkPrimitive& p = records[static_cast<std::size_t>(i)];
                p.attr = static_cast<std::uint16_t>((attrOf(i) & ~PA_QUAD) | (p.attr & PA_QUAD));
                for (int k = 0; k < 4; ++k) {
                    p.colour[k] = 0xAB000000u | static_cast<std::uint32_t>(i * 4099 + k * 77);
                    p.u[k] = static_cast<std::uint8_t>(i + k * 3);
                    p.v[k] = static_cast<std::uint8_t>(i * 5 + k);
                }
                p.tpage = static_cast<std::uint8_t>(i % 32);
                p.abr = static_cast<std::uint8_t>(i % 4);
                p.pmode = static_cast<std::uint8_t>((i / 4) % 3);
                p.clutX = static_cast<std::uint16_t>((i % 64) * 16);
                p.clutY = static_cast<std::uint16_t>((i * 37) % 512);
            }
        });
    }
    loaded.doc->SelectModelObject(1);
    return std::move(loaded.doc);
}

std::uint16_t EveryAttr(int i) {
    return static_cast<std::uint16_t>((i / 2) & 0xFF);
}

} // namespace

TEST(TmdWriter, EveryPacketKindReadsBackAsWritten) {
    // Records 2a and 2a + 1 carry attribute byte a as a triangle and as a quad: all 256 kinds each.
    auto doc = VariedModel(256, EveryAttr);
    bool ok = false;
    const auto bytes = SaveToMemory(*doc, &ok);
    ASSERT_TRUE(ok);
    auto again = LoadBytes(bytes);
    ASSERT_TRUE(again.ok);
    EXPECT_TRUE(again.messages.empty());
    EXPECT_EQ(SavedDifference(*doc, *again.doc), "");
    // Saving the file read back gives the same bytes again.
    EXPECT_EQ(SaveToMemory(*again.doc), bytes);
}

TEST(TmdWriter, EveryPacketKindOfTheReaderTableIsWrittenBackFieldByField) {
    // Packets built byte by byte with each flag and mode combination the reader knows, as triangle
    // and as quad, with distinct normals per vertex.
    TmdObjectSpec o = SquareObject({});
    o.nPrimitive = 0;
    for (unsigned bits = 0; bits < 32; ++bits) {
        for (bool quad : {false, true}) {
            const bool lgt = bits & 1, grd = bits & 2, iip = bits & 4, tme = bits & 8, tge = bits & 16;
            const int n = quad ? 4 : 3;
            std::vector<std::uint32_t> data;
            if (tme)
                for (int k = 0; k < n; ++k)
                    data.push_back(static_cast<std::uint32_t>(k * 0x0101) | ((k == 0   ? kCba
                                                                              : k == 1 ? kTsb
                                                                                       : 0u)
                                                                             << 16));
            if (!tme || lgt)
                for (int k = 0; k < (((iip && lgt) || grd) ? n : 1); ++k)
                    data.push_back(0x010203u * static_cast<unsigned>(k + 1));
            const int normals = lgt ? 0 : (iip ? n : 1);
            std::vector<unsigned> halves;
            for (int k = 0, done = 0; k < n; ++k) {
                if (done < normals)
                    halves.push_back(static_cast<unsigned>(done++));
                halves.push_back(static_cast<unsigned>(k));
            }
            if (halves.size() % 2)
                halves.push_back(0);
            for (std::size_t i = 0; i < halves.size(); i += 2)
                data.push_back(Halves(halves[i], halves[i + 1]));
            o.packets.push_back(
                PacketHeader(0, static_cast<unsigned>(data.size()), (lgt ? LGT : 0) | (grd ? GRD : 0),
                             0x20 | (tme ? TME : 0) | (quad ? QUAD : 0) | (iip ? IIP : 0) | (tge ? TGE : 0)));
            o.packets.insert(o.packets.end(), data.begin(), data.end());
            ++o.nPrimitive;
        }
    }
    auto first = LoadBytes(BuildTmd({o}).data());
    ASSERT_TRUE(first.ok);
    const auto bytes = SaveToMemory(*first.doc);
    auto again = LoadBytes(bytes);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(SavedDifference(*first.doc, *again.doc), "");
    // The attributes survive, brightness calculation aside, which every lit packet gets.
    for (std::uint32_t j = 0; j < o.nPrimitive; ++j) {
        const std::uint16_t before = first.doc->Records()[j].attr;
        EXPECT_EQ(again.doc->Records()[j].attr, before | ((before & PA_LIGHT) ? PA_BRIGHTNESS : 0)) << j;
    }
}

TEST(TmdWriter, SharesVerticesByTheirTruncatedIntegers) {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0, 10, 0, 0, 0, 10, 0, 10, 10, 0};
    // Two triangles that store their common edge twice.
    o.packets = {PacketHeader(4, 3, LGT, 0x20), 0, Halves(0, 1), Halves(2, 0),
                 PacketHeader(4, 3, LGT, 0x20), 0, Halves(3, 4), Halves(5, 0)};
    o.nPrimitive = 2;
    auto loaded = LoadBytes(BuildTmd({o}).data());
    ASSERT_TRUE(loaded.ok);
    CPolyvaneDoc& doc = *loaded.doc;
    // Each 16-byte packet holds its vertex indices after its header and colour words.
    auto vertexIndex = [](const std::vector<std::uint8_t>& b, std::uint32_t packet, int corner) {
        const std::size_t at = 12 + Word(b, 12 + 16) + 16 * packet + 8 + 2 * static_cast<std::size_t>(corner);
        return b[at] | (b[at + 1] << 8);
    };
    auto bytes = SaveToMemory(doc);
    EXPECT_EQ(Word(bytes, 12 + 4), 4u);
    EXPECT_EQ(
        (std::vector<int>{vertexIndex(bytes, 1, 0), vertexIndex(bytes, 1, 1), vertexIndex(bytes, 1, 2)}),
        (std::vector<int>{1, 2, 3}));

    // 10.7 and 10.2 truncate to the same 10; -2.7 and -2.1 to -2; 0.9 and -0.9 to 0.
    struct Case {
        double a, b;
        bool merged;
    };
    for (const Case c : {Case{10.7, 10.2, true}, Case{-2.7, -2.1, true}, Case{0.9, -0.9, true},
                         Case{-2.7, -3.1, false}, Case{9.99, 10.0, false}}) {
        SCOPED_TRACE(c.a);
        // Each triangle's last corner moves to (a or b, 50, 50), away from every other vertex.
        EditRecords(doc, doc.SelectedObject(), [&c](std::span<WorkPrimitive> records) {
            for (std::size_t r = 0; r < 2; ++r) {
                records[r].x[2] = r == 0 ? c.a : c.b;
                records[r].y[2] = 50;
                records[r].z[2] = 50;
            }
        });
        bytes = SaveToMemory(doc);
        EXPECT_EQ(Word(bytes, 12 + 4), c.merged ? 4u : 5u);
        EXPECT_EQ(vertexIndex(bytes, 1, 2) == vertexIndex(bytes, 0, 2), c.merged);
    }
}

TEST(TmdWriter, NormalsOfEveryObjectReachTheFileAsTheyWereRead) {
    // Both objects are lit; the first reads normal 3 of the table, the second normals 0 to 3.
    const auto saved =
        LoadAndSave(BuildTmd({SquareObject(kWorkedCases[0].input), SquareObject(kWorkedCases[1].input)}));
    auto again = LoadBytes(saved.bytes);
    ASSERT_TRUE(again.ok);
    const WorkPrimitive& flat = again.doc->ObjectRecords(0)[0];
    EXPECT_EQ((std::vector<double>{flat.nx[0], flat.ny[0], flat.nz[0]}), (std::vector<double>{10, 11, 12}));
    const WorkPrimitive& gouraud = again.doc->ObjectRecords(1)[0];
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ((std::vector<double>{gouraud.nx[k], gouraud.ny[k], gouraud.nz[k]}),
                  (std::vector<double>{3.0 * k + 1, 3.0 * k + 2, 3.0 * k + 3}))
            << k;
}

// Saving once selected every object in turn and left the user on the last one.
TEST(TmdWriter, SavingLeavesTheSelectionWhereItWas) {
    auto doc = VariedModel(3, EveryAttr);
    doc->SelectModelObject(0);
    doc->SelectPrimitive(2);
    SaveToMemory(*doc);
    EXPECT_EQ(doc->SelectedObject(), 0u);
    EXPECT_EQ(doc->CurrentPrimitiveIndex(), 2u);
}

TEST(TmdWriter, PlainAndHashedSharingWriteTheSameFile) {
    auto hashedDoc = VariedModel(300, EveryAttr);
    auto plainDoc = VariedModel(300, EveryAttr);
    CArchive hashed = CArchive::ToMemory("a.tmd");
    CArchive plain = CArchive::ToMemory("b.tmd");
    ASSERT_TRUE(hashedDoc->WriteModel(hashed, SharingMethod::hashed));
    ASSERT_TRUE(plainDoc->WriteModel(plain, SharingMethod::plain));
    EXPECT_EQ(hashed.StoredBytes(), plain.StoredBytes());
    for (std::uint32_t i = 0; i < 2; ++i)
        EXPECT_EQ(std::memcmp(hashedDoc->ObjectRecords(i).data(), plainDoc->ObjectRecords(i).data(),
                              sizeof(WorkPrimitive) * 600),
                  0);
}

TEST(VertexSharing, HashedNormalsAreBitIdenticalToAllPairs) {
    // Positions that are equal only as doubles (0.0 and -0.0), a NaN that equals nothing, a
    // degenerate record using one position three times, and face normals whose sums depend on order.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<WorkPrimitive> records(40);
    for (std::size_t r = 0; r < records.size(); ++r) {
        WorkPrimitive& p = records[r];
        p = WorkPrimitive{};
        p.attr = (r % 3 == 0) ? PA_QUAD : 0;
        for (int k = 0; k < 4; ++k) {
            p.x[k] = static_cast<double>((r + static_cast<std::size_t>(k)) % 5) * 0.1;
            p.y[k] = static_cast<double>(k % 2);
            p.z[k] = (r % 4 == 0 && k == 0) ? -0.0 : 0.0;
        }
        p.fnx = 1.0 / static_cast<double>(r + 3);
        p.fny = 1e16 * ((r % 2) ? 1 : -1);
        p.fnz = static_cast<double>(r) / 7.0;
    }
    records[5].x[1] = nan;
    records[6].y[2] = nan;
    for (int k = 0; k < 3; ++k) {
        records[7].x[k] = 3.0;
        records[7].y[k] = 3.0;
        records[7].z[k] = 3.0;
    }
    auto plain = records;
    AverageVertexNormals(records.data(), static_cast<std::uint32_t>(records.size()), SharingMethod::hashed);
    AverageVertexNormals(plain.data(), static_cast<std::uint32_t>(plain.size()), SharingMethod::plain);
    EXPECT_EQ(std::memcmp(records.data(), plain.data(), sizeof(WorkPrimitive) * records.size()), 0);
    EXPECT_EQ(records[5].nx[1], 0.0);            // NaN position: no match, a zero normal
    EXPECT_EQ(records[7].nz[0], records[7].fnz); // degenerate: its own normal three times over three
}

TEST(VertexSharing, PoolsKeepFirstUseOrderWithBothSearches) {
    for (SharingMethod method : {SharingMethod::hashed, SharingMethod::plain}) {
        TriplePool pool(method);
        ASSERT_TRUE(pool.Reserve(8));
        EXPECT_EQ(pool.IndexOf(5, -1, 2), 0u);
        EXPECT_EQ(pool.IndexOf(-1, 5, 2), 1u);
        EXPECT_EQ(pool.IndexOf(5, -1, 2), 0u);
        EXPECT_EQ(pool.IndexOf(0, 0, 0), 2u);
        EXPECT_EQ(pool.IndexOf(-1, 5, 2), 1u);
        ASSERT_EQ(pool.Size(), 3u);
        EXPECT_EQ(pool.Entries()[1].vx, -1);
        ASSERT_TRUE(pool.Reserve(8));
        EXPECT_EQ(pool.Size(), 0u);
        EXPECT_EQ(pool.IndexOf(0, 0, 0), 0u);
    }
}

namespace {

// Objects laid out as converters write them: a flat-lit strip whose faces share one normal, a
// Gouraud-lit object whose corners share normals between primitives, normals shorter and longer
// than 1.0, and lit packets read with TGE set.
struct RoundTripCase {
    const char* name;
    std::vector<TmdObjectSpec> objects;
};

TmdObjectSpec FlatLitStrip() {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 0, 100, 100, 0};
    // Face normals of unit length, and one that a converter shortened.
    o.normals = {0, 0, 4096, 0, 0, -4096, 1200, -2000, 2885};
    o.packets = {PacketHeader(4, 3, 0, 0x20),
                 0x00102030,
                 Halves(0, 0),
                 Halves(1, 2),
                 PacketHeader(4, 3, 0, 0x20 | TGE),
                 0x00405060,
                 Halves(0, 1),
                 Halves(3, 2),
                 PacketHeader(4, 3, 0, 0x20),
                 0x00708090,
                 Halves(2, 2),
                 Halves(1, 0),
                 PacketHeader(7, 5, 0, 0x20 | TME),
                 0x0201 | (kCba << 16),
                 0x0403 | (kTsb << 16),
                 0x0605,
                 Halves(1, 3),
                 Halves(1, 0)};
    o.nPrimitive = 4;
    return o;
}

TmdObjectSpec GouraudLitQuads() {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 50, 100, 100, 50, 200, 0, 0, 200, 100, 50};
    // Averaged normals as some converters write them: not of unit length.
    o.normals = {0, 2885, -2885, 0, 0, 4096, 1000, 2000, 300, -5000, 0, 7000};
    o.packets = {
        PacketHeader(5, 5, 0, 0x20 | QUAD | IIP), 0x00405060, Halves(0, 0), Halves(1, 1), Halves(2, 2),
        Halves(1, 3),
        // Shares the corners 1 and 3 and their normals with the first quad.
        PacketHeader(5, 5, 0, 0x20 | QUAD | IIP | TGE), 0x00405060, Halves(1, 1), Halves(3, 4), Halves(1, 3),
        Halves(2, 5), PacketHeader(6, 4, 0, 0x20 | IIP), 0x00AABBCC, Halves(3, 3), Halves(0, 4), Halves(2, 5),
        // An unlit Gouraud triangle beside them.
        PacketHeader(6, 5, LGT, 0x20 | IIP), 0x111111, 0x222222, 0x333333, Halves(0, 1), Halves(2, 0)};
    o.nPrimitive = 4;
    return o;
}

} // namespace

TEST(TmdWriter, SavingAnUntouchedModelKeepsWhatTheFileHeld) {
    const RoundTripCase cases[] = {
        {"flat-lit faces sharing normals", {FlatLitStrip()}},
        {"Gouraud-lit corners sharing normals", {GouraudLitQuads()}},
        {"both kinds in two objects", {GouraudLitQuads(), FlatLitStrip()}},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = BuildTmd(c.objects);
        auto first = LoadBytes(file.data());
        ASSERT_TRUE(first.ok);
        const auto saved = LoadAndSave(file);
        auto again = LoadBytes(saved.bytes);
        ASSERT_TRUE(again.ok);
        ASSERT_EQ(again.doc->ObjectCount(), first.doc->ObjectCount());
        for (std::uint32_t i = 0; i < first.doc->ObjectCount(); ++i) {
            ASSERT_EQ(again.doc->ObjectEntry(i).n_primitive, c.objects[i].nPrimitive);
            for (std::uint32_t j = 0; j < c.objects[i].nPrimitive; ++j) {
                WorkPrimitive expected = first.doc->ObjectRecords(i)[j];
                // The one known change: a lit packet is written with brightness calculation on.
                if (expected.attr & PA_LIGHT)
                    expected.attr |= PA_BRIGHTNESS;
                EXPECT_EQ(DecodedDifference(again.doc->ObjectRecords(i)[j], expected), "")
                    << "object " << i << " record " << j;
            }
            // Normals shared in the file stay shared.
            EXPECT_EQ(Word(saved.bytes, 12 + 28 * i + 12), c.objects[i].normals.size() / 3) << i;
        }
    }
}

TEST(TmdWriter, NormalsComputedForChangedGeometryAreUnitLength) {
    auto loaded = LoadBytes(BuildTmd({GouraudLitQuads(), FlatLitStrip()}).data());
    ASSERT_TRUE(loaded.ok);
    CPolyvaneDoc& doc = *loaded.doc;
    const auto untouched = SaveToMemory(doc);
    for (std::uint32_t i = 0; i < 2; ++i) {
        doc.SelectModelObject(i);
        doc.OnFlipX();
    }
    auto again = LoadBytes(SaveToMemory(doc));
    ASSERT_TRUE(again.ok);
    for (std::uint32_t i = 0; i < 2; ++i) {
        const WorkPrimitive* flipped = doc.ObjectRecords(i).data();
        for (std::uint32_t j = 0; j < doc.ObjectEntry(i).n_primitive; ++j) {
            const WorkPrimitive& p = again.doc->ObjectRecords(i)[j];
            if (!(p.attr & PA_LIGHT))
                continue;
            for (int k = 0; k < ((p.attr & PA_GOURAUD) ? VertexCount(p) : 1); ++k) {
                const double length = std::sqrt(p.nx[k] * p.nx[k] + p.ny[k] * p.ny[k] + p.nz[k] * p.nz[k]);
                // Truncating each component loses less than one unit of each.
                EXPECT_NEAR(length, 4096.0, 2.0) << i << " " << j << " " << k;
            }
            if (!(p.attr & PA_GOURAUD)) {
                // A flat face takes its own face normal.
                EXPECT_EQ(p.nx[0], std::trunc(flipped[j].fnx * 4096.0)) << j;
                EXPECT_EQ(p.ny[0], std::trunc(flipped[j].fny * 4096.0)) << j;
                EXPECT_EQ(p.nz[0], std::trunc(flipped[j].fnz * 4096.0)) << j;
            }
        }
    }
    // Taking the flips back brings back the file's normals.
    doc.OnEditUndo();
    doc.OnEditUndo();
    EXPECT_EQ(SaveToMemory(doc), untouched);
}
