// Lines, sprites and packets of unknown codes among an object's polygons: kept as read, never decoded
// as polygons, and saved back in their place naming the same coordinates.
#include "DocTestSupport.h"
#include "RoundTrip.h"
#include "TmdBuilder.h"

#include "formats/TmdCodec.h"

#include <gtest/gtest.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

struct Expected {
    PacketKind kind;
    std::uint32_t position;
    std::vector<std::uint32_t> words; // as read from the built file
    std::vector<std::array<std::int16_t, 3>> vertices;
};

// Six vertices; a flat line 0-5, a Gouraud semi-transparent line 3-1, a free-size sprite at vertex 4,
// an 8 x 8 sprite at vertex 2 and a packet of code 7, mixed among three triangles.
TmdObjectSpec MixedObject() {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 0, 7, -8, 9, -30, 40, 50, 11, 22, 33};
    o.packets = {
        PacketHeader(3, 2, 1, 0x40),
        0x40102030,
        Halves(0, 5), // line
        PacketHeader(4, 3, 0x01, 0x20),
        0x00405060,
        Halves(0, 1),
        Halves(2, 0), // triangle 0
        PacketHeader(4, 3, 1, 0x52),
        0x52AABBCC,
        0x00112233,
        Halves(3, 1), // Gouraud line
        PacketHeader(4, 3, 1, 0x64),
        Halves(4, 0x0089),
        Halves(0x2010, 0x1234),
        Halves(32, 48), // sprite
        PacketHeader(4, 3, 0x01, 0x20),
        0x00010203,
        Halves(1, 2),
        Halves(3, 0), // triangle 1
        PacketHeader(0, 2, 0, 0xE0),
        0xDEADBEEF,
        0x01020304, // unknown code 7
        PacketHeader(4, 3, 0x01, 0x20),
        0x00070809,
        Halves(4, 5),
        Halves(0, 0), // triangle 2
        PacketHeader(3, 2, 1, 0x74),
        Halves(2, 0x0012),
        Halves(0x0804, 0x0040), // 8 x 8 sprite
    };
    o.nPrimitive = 8;
    return o;
}

const std::vector<Expected> kExpected = {
    {PacketKind::line, 0, {0x40102030, Halves(0, 5)}, {{0, 0, 0}, {11, 22, 33}}},
    {PacketKind::line, 1, {0x52AABBCC, 0x00112233, Halves(3, 1)}, {{7, -8, 9}, {100, 0, 0}}},
    {PacketKind::sprite, 1, {Halves(4, 0x0089), Halves(0x2010, 0x1234), Halves(32, 48)}, {{-30, 40, 50}}},
    {PacketKind::other, 2, {0xDEADBEEF, 0x01020304}, {}},
    {PacketKind::sprite, 3, {Halves(2, 0x0012), Halves(0x0804, 0x0040)}, {{0, 100, 0}}},
};

// Checks every kept packet against the table; `indicesAsBuilt` when the words' vertex indices are
// those of the built file (a saved file may number its vertices differently).
void ExpectKept(const CPolyvaneDoc& doc, bool indicesAsBuilt) {
    const auto kept = doc.KeptPackets(0);
    ASSERT_EQ(kept.size(), kExpected.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        SCOPED_TRACE(i);
        const Expected& e = kExpected[i];
        EXPECT_EQ(kept[i].Kind(), e.kind);
        EXPECT_EQ(kept[i].position, e.position);
        const VertexSlots slots = VertexSlotsOf(kept[i].header, kept[i].words.size());
        ASSERT_EQ(kept[i].words.size(), e.words.size());
        for (std::size_t w = 0; w < e.words.size(); ++w) {
            const bool indexWord = slots.count > 0 && static_cast<int>(w) == slots.halfword[0] / 2;
            if (indicesAsBuilt || !indexWord) {
                EXPECT_EQ(kept[i].words[w], e.words[w]) << "word " << w;
            } else if (e.kind == PacketKind::sprite) { // the TSB beside the index stays
                EXPECT_EQ(kept[i].words[w] >> 16, e.words[w] >> 16);
            }
        }
        ASSERT_EQ(kept[i].vertexCount, e.vertices.size());
        for (std::size_t k = 0; k < e.vertices.size(); ++k) {
            const TmdVector& v = kept[i].vertices[k];
            EXPECT_EQ((std::array<std::int16_t, 3>{v.vx, v.vy, v.vz}), e.vertices[k]) << "vertex " << k;
        }
    }
}

TEST(KeptPackets, LinesSpritesAndUnknownPacketsSurviveLoadAndSave) {
    auto first = LoadBytes(BuildTmd({MixedObject()}).data());
    ASSERT_TRUE(first.ok) << (first.messages.empty() ? "" : first.messages[0]);
    ASSERT_EQ(first.doc->WorkCount(), 3u); // only the triangles are records
    EXPECT_EQ(first.doc->Records()[1].colour[0], 0x010203u);
    EXPECT_EQ(first.doc->Records()[2].x[0], -30);
    ExpectKept(*first.doc, true);

    bool saved = false;
    const std::vector<std::uint8_t> written = SaveToMemory(*first.doc, &saved);
    ASSERT_TRUE(saved);
    // Every packet is counted in the object's entry.
    EXPECT_EQ(written[12 + 20], 8);
    auto second = LoadBytes(written);
    ASSERT_TRUE(second.ok);
    ExpectKept(*second.doc, false);
    for (std::uint32_t r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(second.doc->Records()[r].z[k], first.doc->Records()[r].z[k]);

    // A file the writer wrote saves back byte for byte.
    EXPECT_EQ(SaveToMemory(*second.doc), written);
}

TEST(KeptPackets, AKeptPacketNamingAVertexPastTheTableIsABadFile) {
    TmdObjectSpec o = MixedObject();
    o.packets[2] = Halves(0, 6); // the first line's second vertex: 6 of 6
    auto r = LoadBytes(BuildTmd({o}).data());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Bad TMD file"});
}

} // namespace
