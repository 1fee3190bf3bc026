// The TMD reader: every row of the packet table, the texture defaults, the failure messages and the
// bounds of what a file may claim.
#include "DocTestSupport.h"
#include "RecordRoundTrip.h"
#include "TmdBuilder.h"

#include "formats/TmdCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// Flag and mode bits of a packet header.
constexpr unsigned LGT = 0x01, FCE = 0x02, GRD = 0x04;
constexpr unsigned TGE = 0x01, ABE = 0x02, TME = 0x04, QUAD = 0x08, IIP = 0x10;

// Vertices 0..4 and normals 0..4, each distinct, so every index read can be told apart.
TmdObjectSpec BaseObject() {
    TmdObjectSpec o;
    for (int i = 0; i < 5; ++i) {
        o.vertices.insert(o.vertices.end(),
                          {static_cast<std::int16_t>(10 * i + 1), static_cast<std::int16_t>(-20 * i),
                           static_cast<std::int16_t>(i * 7 - 3)});
        o.normals.insert(o.normals.end(),
                         {static_cast<std::int16_t>(100 + i), static_cast<std::int16_t>(-200 - i),
                          static_cast<std::int16_t>(4096 - i)});
    }
    return o;
}

struct PacketCase {
    const char* name;
    unsigned tme, lgt, iip, grd;
    int texWords3, colours3, normals3; // counts for a triangle
    int texWords4, colours4, normals4; // counts for a quad
};

// The reader's packet table: texture words, colour words and normal indices per combination.
const PacketCase kPacketTable[] = {
    {"lit flat", 0, 0, 0, 0, 0, 1, 1, 0, 1, 1},
    {"lit gradation", 0, 0, 0, 1, 0, 3, 1, 0, 4, 1},
    {"lit gouraud", 0, 0, 1, 0, 0, 1, 3, 0, 1, 4},
    {"lit gouraud gradation", 0, 0, 1, 1, 0, 3, 3, 0, 4, 4},
    {"lit textured flat", 1, 0, 0, 0, 3, 0, 1, 4, 0, 1},
    {"lit textured gouraud", 1, 0, 1, 0, 3, 0, 3, 4, 0, 4},
    {"unlit flat", 0, 1, 0, 0, 0, 1, 0, 0, 1, 0},
    {"unlit gouraud", 0, 1, 1, 0, 0, 3, 0, 0, 4, 0},
    {"unlit gradation", 0, 1, 0, 1, 0, 3, 0, 0, 4, 0},
    {"unlit textured flat", 1, 1, 0, 0, 3, 1, 0, 4, 1, 0},
    {"unlit textured gouraud", 1, 1, 1, 0, 3, 3, 0, 4, 4, 0},
    {"unlit textured gradation", 1, 1, 0, 1, 3, 3, 0, 4, 4, 0},
};

// Builds one packet by the reader's order: texture words, colour words, then index halfwords
// (a normal index before each vertex index while normals remain).
std::vector<std::uint32_t> MakePacket(const PacketCase& c, bool quad, unsigned extraIlen = 0) {
    const int n = quad ? 4 : 3;
    const int tex = quad ? c.texWords4 : c.texWords3;
    const int col = quad ? c.colours4 : c.colours3;
    const int nrm = quad ? c.normals4 : c.normals3;
    std::vector<std::uint32_t> data;
    for (int k = 0; k < tex; ++k) {
        std::uint32_t upper = k == 0   ? ((37u << 6) | 5u)            // CBA: clutY 37, clutX 5*16
                              : k == 1 ? ((2u << 7) | (3u << 5) | 9u) // TSB: pmode 2, abr 3, tpage 9
                                       : 0xBEEFu;                     // unused halves
        data.push_back(static_cast<std::uint32_t>(10 + k) | (static_cast<std::uint32_t>(20 + k) << 8) |
                       (upper << 16));
    }
    for (int k = 0; k < col; ++k)
        data.push_back(0xAB000000u | static_cast<std::uint32_t>(0x102030 * (k + 1)));
    std::vector<unsigned> halves;
    int normals = 0;
    for (int k = 0; k < n; ++k) {
        if (normals < nrm)
            halves.push_back(static_cast<unsigned>(4 - normals++)); // normals 4, 3, 2, 1
        halves.push_back(static_cast<unsigned>(k));                 // vertices 0..n-1
    }
    if (halves.size() % 2)
        halves.push_back(0);
    for (std::size_t i = 0; i < halves.size(); i += 2)
        data.push_back(Halves(halves[i], halves[i + 1]));
    const unsigned flag = (c.lgt ? LGT : 0) | (c.grd ? GRD : 0);
    const unsigned mode = 0x20 | (c.tme ? TME : 0) | (quad ? QUAD : 0) | (c.iip ? IIP : 0);
    std::vector<std::uint32_t> packet{
        PacketHeader(0, static_cast<unsigned>(data.size()) + extraIlen, flag, mode)};
    packet.insert(packet.end(), data.begin(), data.end());
    for (unsigned i = 0; i < extraIlen; ++i)
        packet.push_back(0xDEADBEEF);
    return packet;
}

} // namespace

TEST(TmdReader, DecodesEveryRowOfThePacketTableAsTriangleAndQuad) {
    for (const auto& c : kPacketTable) {
        for (bool quad : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (quad ? " quad" : " triangle"));
            TmdObjectSpec o = BaseObject();
            o.packets = MakePacket(c, quad);
            // A second packet right after proves the first consumed exactly its ilen.
            auto second = MakePacket(kPacketTable[0], false);
            o.packets.insert(o.packets.end(), second.begin(), second.end());
            o.nPrimitive = 2;
            auto r = LoadBytes(BuildTmd({o}).data());
            ASSERT_TRUE(r.ok);
            EXPECT_TRUE(r.messages.empty());
            const WorkPrimitive& p = r.doc->Records()[0];
            const int n = quad ? 4 : 3;

            std::uint16_t attr = static_cast<std::uint16_t>(
                (quad ? PA_QUAD : 0) | (c.iip ? PA_GOURAUD : 0) | (c.grd ? PA_GRADATION : 0) |
                (c.lgt ? 0 : PA_LIGHT) | (c.tme ? PA_TEXTURED : 0) | PA_BRIGHTNESS);
            EXPECT_EQ(p.attr, attr);
            for (int k = 0; k < n; ++k) {
                EXPECT_EQ(p.x[k], 10 * k + 1);
                EXPECT_EQ(p.y[k], -20 * k);
                EXPECT_EQ(p.z[k], k * 7 - 3);
            }
            const int nrm = quad ? c.normals4 : c.normals3;
            for (int k = 0; k < 4; ++k) {
                if (k < nrm) {
                    EXPECT_EQ(p.nx[k], 100 + (4 - k));
                    EXPECT_EQ(p.ny[k], -200 - (4 - k));
                    EXPECT_EQ(p.nz[k], 4096 - (4 - k));
                } else {
                    EXPECT_EQ(p.nx[k], 0.0);
                }
            }
            const int col = quad ? c.colours4 : c.colours3;
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(p.colour[k], k < col ? 0x102030u * static_cast<unsigned>(k + 1) : 0u);
            if (c.tme) {
                for (int k = 0; k < n; ++k) {
                    EXPECT_EQ(p.u[k], 10 + k);
                    EXPECT_EQ(p.v[k], 20 + k);
                }
                EXPECT_EQ(p.clutX, 80);
                EXPECT_EQ(p.clutY, 37);
                EXPECT_EQ(p.tpage, 9);
                EXPECT_EQ(p.abr, 3);
                EXPECT_EQ(p.pmode, 2);
            } else {
                const std::uint8_t u[4] = {0, 16, 0, 16}, v[4] = {0, 0, 16, 16};
                EXPECT_EQ(std::memcmp(p.u, u, 4), 0);
                EXPECT_EQ(std::memcmp(p.v, v, 4), 0);
                EXPECT_EQ(p.clutX + p.clutY + p.tpage + p.abr + p.pmode, 0);
            }
            EXPECT_EQ(p.style, 0);
            // The second packet decoded from where the first one's ilen said.
            EXPECT_EQ(r.doc->Records()[1].attr, PA_LIGHT | PA_BRIGHTNESS);
            EXPECT_EQ(r.doc->Records()[1].x[2], 21);
        }
    }
}

TEST(TmdReader, DecodesTheOtherHeaderBits) {
    TmdObjectSpec o = BaseObject();
    // Unlit flat triangle with FCE, ABE and TGE set.
    o.packets = {PacketHeader(3, 3, LGT | FCE, 0x20 | ABE | TGE), 0x00112233, Halves(0, 1), Halves(2, 0)};
    o.nPrimitive = 1;
    auto r = LoadBytes(BuildTmd({o}).data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.doc->Records()[0].attr, PA_DOUBLE | PA_TRANSLUCENT);
    EXPECT_EQ(r.doc->Records()[0].colour[0], 0x112233u);
}

TEST(TmdReader, IlenLargerThanTheDataSkipsToTheNextPacket) {
    TmdObjectSpec o = BaseObject();
    o.packets = MakePacket(kPacketTable[6], false, 5);
    auto second = MakePacket(kPacketTable[0], true);
    o.packets.insert(o.packets.end(), second.begin(), second.end());
    o.nPrimitive = 2;
    auto r = LoadBytes(BuildTmd({o}).data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.doc->Records()[1].attr, PA_QUAD | PA_LIGHT | PA_BRIGHTNESS);
    EXPECT_EQ(r.doc->Records()[1].x[3], 31);
}

TEST(TmdReader, SharedVertexIsCopiedIntoEveryPrimitive) {
    TmdObjectSpec o = BaseObject();
    o.packets = {PacketHeader(3, 3, LGT, 0x20), 0, Halves(4, 1), Halves(2, 0),
                 PacketHeader(3, 3, LGT, 0x20), 0, Halves(3, 4), Halves(0, 0)};
    o.nPrimitive = 2;
    auto r = LoadBytes(BuildTmd({o}).data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.doc->Records()[0].x[0], 41);
    EXPECT_EQ(r.doc->Records()[1].x[1], 41);
    EXPECT_EQ(r.doc->Records()[1].y[1], -80);
}

TEST(TmdReader, LoadSelectsObjectZeroPrimesTheClipboardAndComputesExtents) {
    TmdObjectSpec a = BaseObject();
    a.packets = MakePacket(kPacketTable[0], true);
    a.nPrimitive = 1;
    a.scale = -7;
    TmdObjectSpec b = BaseObject();
    b.packets = MakePacket(kPacketTable[6], false);
    b.nPrimitive = 1;
    auto r = LoadBytes(BuildTmd({a, b}, 0x1234).data());
    ASSERT_TRUE(r.ok);
    CPolyvaneDoc& doc = *r.doc;
    EXPECT_EQ(doc.Header().id, 0x41u);
    EXPECT_EQ(doc.Header().flags, 0x1234u);
    EXPECT_EQ(doc.Header().nobj, 2u);
    EXPECT_EQ(doc.SelectedObject(), 0u);
    EXPECT_EQ(doc.CurrentPrimitive(), &doc.Records()[0]);
    EXPECT_EQ(doc.ObjectEntry(0).scale, -7);
    EXPECT_EQ(doc.ObjectEntry(1).n_primitive, 1u);
    ASSERT_TRUE(doc.HasClipboard());
    EXPECT_EQ(std::memcmp(&doc.Clipboard(), &doc.Records()[0], sizeof(WorkPrimitive)), 0);
    // Vertices x 1..31, y 0..-60, z -3..18 (quad uses vertices 0..3); extents always include 0.
    EXPECT_EQ(doc.MaxExtent().vx, 31);
    EXPECT_EQ(doc.MinExtent().vx, 0);
    EXPECT_EQ(doc.MinExtent().vy, -60);
    EXPECT_EQ(doc.MaxExtent().vy, 0);
    EXPECT_EQ(doc.MinExtent().vz, -3);
    EXPECT_EQ(doc.MaxExtent().vz, 18);
    EXPECT_FALSE(doc.IsModified());
}

TEST(TmdReader, ZeroObjectsLoadsAnEmptyModelWithoutMessage) {
    // Header only, and header with one table entry that lies inside the file.
    Bytes headerOnly;
    headerOnly.u32(0x41);
    headerOnly.u32(0);
    headerOnly.u32(0);
    Bytes withEntry = headerOnly;
    for (int i = 0; i < 7; ++i)
        withEntry.u32(i < 6 ? 0 : 1);
    for (const Bytes* file : {&headerOnly, &withEntry}) {
        auto r = LoadBytes(file->data());
        EXPECT_TRUE(r.ok);
        EXPECT_TRUE(r.messages.empty());
        EXPECT_EQ(r.doc->ObjectCount(), 0u);
        EXPECT_FALSE(r.doc->HasSelection());
        EXPECT_EQ(r.doc->CurrentPrimitive(), nullptr);
        EXPECT_FALSE(r.doc->HasClipboard());
    }
}

TEST(TmdReader, FailuresShowTheirMessagesAndLeaveNoModel) {
    TmdObjectSpec good = BaseObject();
    good.packets = MakePacket(kPacketTable[0], false);
    good.nPrimitive = 1;
    const Bytes valid = BuildTmd({good});

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> messages;
    };
    std::vector<Case> cases;
    cases.push_back({"fewer than 12 bytes", {0x41, 0, 0, 0, 0, 0, 0}, {"Bad TMD file"}});
    {
        auto b = valid.data();
        b[0] = 0x42;
        cases.push_back({"wrong id", b, {"Bad TMD file header"}});
    }
    {
        auto b = valid.data();
        b[12] = 0xFF; // object 0's vert_top far beyond the image
        b[13] = 0xFF;
        cases.push_back({"object 0 offset beyond the image", b, {"Bad TMD file"}});
    }
    {
        TmdObjectSpec o = good;
        o.packets = {PacketHeader(3, 3, LGT, 0x20), 0, Halves(0, 1), Halves(5, 0)}; // vertex 5 of 5
        o.nPrimitive = 1;
        cases.push_back({"vertex index out of range", BuildTmd({o}).data(), {"Bad TMD file"}});
    }
    {
        TmdObjectSpec o = good;
        o.packets = {PacketHeader(4, 3, 0, 0x20), 0, Halves(5, 0), Halves(1, 2)}; // normal 5 == n_normal
        o.nPrimitive = 1;
        cases.push_back({"normal index equal to n_normal", BuildTmd({o}).data(), {"Bad TMD file"}});
    }
    {
        TmdObjectSpec o = good;
        o.nPrimitive = 2; // the second packet would start past the end
        cases.push_back({"packet beyond the image", BuildTmd({o}).data(), {"Bad TMD file"}});
    }
    {
        auto b = valid.data();
        b[12 + 20] = 0x00; // n_primitive = 0x40000000: cannot fit, refused before allocating
        b[12 + 23] = 0x40;
        cases.push_back({"primitive count that cannot fit", b, {"Bad TMD file"}});
    }
    {
        auto b = valid.data();
        b[8] = 3; // three objects declared, one table entry and data after it
        b[9] = 1;
        cases.push_back({"object table beyond the image", b, {"Bad TMD file"}});
    }
    {
        auto b = valid.data();
        b[12 + 0] = static_cast<std::uint8_t>(b.size() - 12 - 4); // vertex table in the last 4 bytes
        b[12 + 1] = 0;
        cases.push_back({"vertex table past the end", b, {"Bad TMD file"}});
    }
    {
        TmdObjectSpec o = good;
        o.packets = {PacketHeader(4, 3, LGT, 0x20 | TME)}; // textured: texture words missing
        o.nPrimitive = 1;
        cases.push_back({"packet data past the end", BuildTmd({o}).data(), {"Bad TMD file"}});
    }

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = LoadBytes(c.bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, c.messages);
        EXPECT_EQ(r.doc->ObjectCount(), 0u);
        EXPECT_FALSE(r.doc->HasSelection());
        EXPECT_EQ(r.doc->CurrentPrimitive(), nullptr);
    }
}

TEST(TmdReader, HoldsTheObjectCountAt4096) {
    TmdObjectSpec o = BaseObject();
    o.packets = MakePacket(kPacketTable[6], false);
    o.nPrimitive = 1;
    std::vector<TmdObjectSpec> objects(4097, o);
    objects[4096].nPrimitive = 0;
    auto r = LoadBytes(BuildTmd(objects, 0, 5000).data());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.doc->ObjectCount(), 4096u);
    EXPECT_EQ(r.doc->Header().nobj, 4096u);
    EXPECT_EQ(r.doc->ObjectRecords(4095).size(), 1u);
    EXPECT_EQ(r.doc->ObjectEntry(4095).n_primitive, 1u);
}

TEST(TmdReader, ObjectsSharingOnePacketBlockLoadWithinTheRecordLimit) {
    TmdObjectSpec o = BaseObject();
    for (int i = 0; i < 3; ++i) {
        const auto packet = MakePacket(kPacketTable[static_cast<std::size_t>(i)], i == 1);
        o.packets.insert(o.packets.end(), packet.begin(), packet.end());
    }
    o.nPrimitive = 3;
    // Object 1's entry is object 0's: both decode the one block, 6 records from 3 packets.
    Bytes file = BuildTmd({o, o});
    std::copy_n(file.data().begin() + 12, 28, file.data().begin() + 12 + 28);
    file.data().resize(file.size() - (file.size() - 12 - 56) / 2);
    auto loaded = LoadBytes(file.data());
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.messages.empty());
    ASSERT_EQ(loaded.doc->ObjectCount(), 2u);
    for (std::uint32_t j = 0; j < 3; ++j)
        EXPECT_EQ(DecodedDifference(loaded.doc->ObjectRecords(0)[j], loaded.doc->ObjectRecords(1)[j]), "")
            << j;

    // A model that claims more records than the limit is refused, before any is allocated.
    for (const std::uint64_t limit : {std::uint64_t{6}, std::uint64_t{5}}) {
        const auto read = ReadTmd(file.data(), limit);
        EXPECT_EQ(read.has_value(), limit == 6) << limit;
        if (!read) {
            EXPECT_EQ(read.error(), TmdReadError::badFile);
        }
    }
}

TEST(TmdReader, EveryPrefixOfAValidFileFailsCleanlyOrLoads) {
    TmdObjectSpec a = BaseObject();
    for (const auto& c : kPacketTable) {
        auto p = MakePacket(c, true);
        a.packets.insert(a.packets.end(), p.begin(), p.end());
        ++a.nPrimitive;
    }
    TmdObjectSpec b = BaseObject();
    b.packets = MakePacket(kPacketTable[3], false);
    b.nPrimitive = 1;
    const auto full = BuildTmd({a, b}).data();
    for (std::size_t n = 0; n < full.size(); ++n) {
        std::vector<std::uint8_t> prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        auto r = LoadBytes(prefix);
        // No prefix holds the whole model: the normal table of b or the last packet is always cut.
        EXPECT_FALSE(r.ok) << "prefix of " << n << " bytes";
        EXPECT_LE(r.messages.size(), 1u);
    }
    EXPECT_TRUE(LoadBytes(full).ok);
}
