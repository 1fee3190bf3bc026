// The whole-object geometry commands: coordinates, extents, normals, redraw and modified flag.
#include "CountingView.h"
#include "DocTestSupport.h"
#include "RoundTrip.h"
#include "TmdBuilder.h"

#include "CommandIds.h"
#include "formats/RecordGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// Object 0: corners with x from 10 to 50, y from -7 to 3, z from -20 to 0, a lit Gouraud quad and a lit
// triangle; object 1 a copy that the tools must leave alone.
std::unique_ptr<CPolyvaneDoc> Model() {
    TmdObjectSpec o;
    o.vertices = {10, -7, 0, 50, 3, -20, 30, -7, -5, 10, 3, -20};
    o.normals = {0, 0, 4096};
    o.packets = {
        PacketHeader(5, 5, 0, 0x38), 0x808080, Halves(0, 0), Halves(0, 1), Halves(0, 2), Halves(0, 3),
        PacketHeader(4, 3, 0, 0x20), 0x404040, Halves(0, 2), Halves(1, 3)};
    o.nPrimitive = 2;
    auto r = LoadBytes(BuildTmd({o, o}).data());
    EXPECT_TRUE(r.ok);
    return std::move(r.doc);
}

struct Extents {
    int minX, maxX, minY, maxY, minZ, maxZ;
    bool operator==(const Extents&) const = default;
};

Extents ExtentsOf(const CPolyvaneDoc& doc) {
    return {doc.MinExtent().vx, doc.MaxExtent().vx, doc.MinExtent().vy,
            doc.MaxExtent().vy, doc.MinExtent().vz, doc.MaxExtent().vz};
}

} // namespace

TEST(GeometryTools, ChangeEveryCornerAndTheExtents) {
    struct Case {
        unsigned id;
        Extents extents;
    };
    const Case cases[] = {
        {ID_TOOLS_FLIP_X, {-50, 0, -7, 3, -20, 0}},
        {ID_TOOLS_FLIP_Y, {0, 50, -3, 7, -20, 0}},
        {ID_TOOLS_FLIP_Z, {0, 50, -7, 3, 0, 20}},
        {ID_TOOLS_SWAP_XZ, {-20, 0, -7, 3, 0, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        auto doc = Model();
        EXPECT_EQ(ExtentsOf(*doc), (Extents{0, 50, -7, 3, -20, 0}));
        const WorkPrimitive before = doc->Records()[0];
        CountingView view;
        view.SetDocument(doc.get());
        EXPECT_TRUE(doc->OnCmdMsg(c.id, nullptr));
        EXPECT_EQ(ExtentsOf(*doc), c.extents);
        EXPECT_EQ(view.updates, 1);
        EXPECT_TRUE(doc->IsModified());
        const WorkPrimitive& p = doc->Records()[0];
        for (int k = 0; k < 4; ++k) {
            const double x = before.x[k], y = before.y[k], z = before.z[k];
            const double ex = c.id == ID_TOOLS_FLIP_X ? -x : c.id == ID_TOOLS_SWAP_XZ ? z : x;
            const double ey = c.id == ID_TOOLS_FLIP_Y ? -y : y;
            const double ez = c.id == ID_TOOLS_FLIP_Z ? -z : c.id == ID_TOOLS_SWAP_XZ ? x : z;
            EXPECT_EQ(p.x[k], ex);
            EXPECT_EQ(p.y[k], ey);
            EXPECT_EQ(p.z[k], ez);
        }
        // Face normals follow the new corners: unit length, and vertex normals were averaged again.
        EXPECT_NEAR(p.fnx * p.fnx + p.fny * p.fny + p.fnz * p.fnz, 1.0, 1e-12);
        EXPECT_NE(p.nz[0], 4096.0);
        // The other object keeps its coordinates.
        EXPECT_EQ(std::memcmp(doc->ObjectRecords(1)[0].x, before.x, sizeof before.x), 0);
    }
}

TEST(GeometryTools, SwapRecomputesTheFaceNormalFromTheNewCorners) {
    auto doc = Model();
    WorkPrimitive before = doc->Records()[1];
    ComputeRecordFaceNormals({&before, 1});
    doc->OnSwapXZ();
    const WorkPrimitive& p = doc->Records()[1];
    // Exchanging two axes mirrors the face, so the normal's x and z trade places and all turn round.
    EXPECT_DOUBLE_EQ(p.fnx, -before.fnz);
    EXPECT_DOUBLE_EQ(p.fny, -before.fny);
    EXPECT_DOUBLE_EQ(p.fnz, -before.fnx);
}

TEST(GeometryTools, ApplyingATwiceRestoresTheModelExactly) {
    for (unsigned id : {ID_TOOLS_FLIP_X, ID_TOOLS_FLIP_Y, ID_TOOLS_FLIP_Z, ID_TOOLS_SWAP_XZ}) {
        SCOPED_TRACE(id);
        auto once = Model();
        auto twice = Model();
        twice->OnCmdMsg(id, nullptr);
        twice->OnCmdMsg(id, nullptr);
        for (std::uint32_t r = 0; r < 2; ++r) {
            const WorkPrimitive& a = once->Records()[r];
            const WorkPrimitive& b = twice->Records()[r];
            EXPECT_EQ(std::memcmp(a.x, b.x, sizeof a.x), 0);
            EXPECT_EQ(std::memcmp(a.y, b.y, sizeof a.y), 0);
            EXPECT_EQ(std::memcmp(a.z, b.z, sizeof a.z), 0);
        }
        EXPECT_EQ(ExtentsOf(*once), ExtentsOf(*twice));
        // Saved, it gives the same file as four times to the byte (a tool drops the file's normals,
        // so the untouched model keeps other ones).
        auto four = Model();
        for (int i = 0; i < 4; ++i)
            four->OnCmdMsg(id, nullptr);
        EXPECT_EQ(SaveToMemory(*four), SaveToMemory(*twice));
    }
}

TEST(GeometryTools, DoNothingWithoutASelectedObject) {
    CPolyvaneDoc doc;
    CountingView view;
    view.SetDocument(&doc);
    for (unsigned id : {ID_TOOLS_FLIP_X, ID_TOOLS_FLIP_Y, ID_TOOLS_FLIP_Z, ID_TOOLS_SWAP_XZ})
        EXPECT_TRUE(doc.OnCmdMsg(id, nullptr));
    EXPECT_EQ(view.updates, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.HasSelection());
}

// Each tool is its own inverse: its steps keep only the records running it twice would not give back
// (here the file's normals, dropped by the first step only), and twenty of them undone and made
// again restore every record exactly. A bound the steps pass drops the oldest, which the Undo item
// then says.
TEST(GeometryTools, StepsOfToolsThatAreTheirOwnInverseKeepOnlyWhatTheyCannotGiveBack) {
    for (unsigned id : {ID_TOOLS_FLIP_X, ID_TOOLS_FLIP_Y, ID_TOOLS_FLIP_Z, ID_TOOLS_SWAP_XZ}) {
        SCOPED_TRACE(id);
        auto doc = Model();
        auto records = [](const CPolyvaneDoc& d) {
            return std::vector<WorkPrimitive>(d.Records().begin(), d.Records().end());
        };
        auto same = [&](const CPolyvaneDoc& d, const std::vector<WorkPrimitive>& expected,
                        const Extents& extents) {
            for (std::uint32_t r = 0; r < d.WorkCount(); ++r)
                if (!SameModelFields(d.Records()[r], expected[r]))
                    return false;
            return ExtentsOf(d) == extents;
        };
        const std::vector<WorkPrimitive> start = records(*doc);
        const Extents startExtents = ExtentsOf(*doc);
        for (int i = 0; i < 20; ++i)
            doc->OnCmdMsg(id, nullptr);
        const std::vector<WorkPrimitive> end = records(*doc);
        const Extents endExtents = ExtentsOf(*doc);
        EXPECT_EQ(doc->History().UndoNames().size(), 20u);
        EXPECT_EQ(doc->History().Bytes(), 20 * sizeof(ObjectStep) + 2 * sizeof(ObjectStep::KeptRecord));
        while (doc->History().Undo()) {
        }
        EXPECT_TRUE(same(*doc, start, startExtents));
        while (doc->History().Redo()) {
        }
        EXPECT_TRUE(same(*doc, end, endExtents));

        doc->History().SetByteLimit(3 * sizeof(ObjectStep));
        EXPECT_EQ(doc->History().UndoNames().size(), 3u);
        while (doc->History().Undo()) {
        }
        CCmdUI undo(ID_EDIT_UNDO);
        doc->OnCmdMsg(ID_EDIT_UNDO, &undo);
        EXPECT_EQ(undo.m_text.value_or(""), "&Undo (oldest steps dropped)");
    }
}

// An object's line and sprite move with its triangle, are saved where the triangle went and come back
// on undo.
TEST(GeometryTools, MoveTheObjectsLinesAndSpritesToo) {
    TmdObjectSpec o;
    o.vertices = {10, -7, 1, 50, 3, -20, 30, -7, -5, -4, 6, 8};
    o.packets = {
        PacketHeader(4, 3, 0x01, 0x20), 0x00405060,        Halves(0, 1),           Halves(2, 0), // triangle
        PacketHeader(3, 2, 1, 0x40),    0x40102030,        Halves(0, 3),                         // line 0-3
        PacketHeader(3, 2, 1, 0x74),    Halves(3, 0x0012), Halves(0x0804, 0x0040), // 8 x 8 sprite at 3
    };
    o.nPrimitive = 3;
    using V = std::array<std::int16_t, 3>;
    struct Case {
        unsigned id;
        V v0, v3;
    };
    const Case cases[] = {
        {ID_TOOLS_FLIP_X, {-10, -7, 1}, {4, 6, 8}},
        {ID_TOOLS_FLIP_Y, {10, 7, 1}, {-4, -6, 8}},
        {ID_TOOLS_FLIP_Z, {10, -7, -1}, {-4, 6, -8}},
        {ID_TOOLS_SWAP_XZ, {1, -7, 10}, {8, 6, -4}},
    };
    auto of = [](const TmdVector& v) { return V{v.vx, v.vy, v.vz}; };
    auto expect = [&](const CPolyvaneDoc& doc, const V& v0, const V& v3) {
        const auto kept = doc.KeptPackets(0);
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_EQ(of(kept[0].vertices[0]), v0);
        EXPECT_EQ(of(kept[0].vertices[1]), v3);
        EXPECT_EQ(of(kept[1].vertices[0]), v3);
        // The triangle's first corner went where the line's first end went.
        EXPECT_EQ((V{doc.Records()[0].ix[0], doc.Records()[0].iy[0], doc.Records()[0].iz[0]}), v0);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        auto r = LoadBytes(BuildTmd({o}).data());
        ASSERT_TRUE(r.ok);
        r.doc->OnCmdMsg(c.id, nullptr);
        expect(*r.doc, c.v0, c.v3);
        auto saved = LoadBytes(SaveToMemory(*r.doc));
        ASSERT_TRUE(saved.ok);
        expect(*saved.doc, c.v0, c.v3);
        r.doc->OnCmdMsg(ID_EDIT_UNDO, nullptr);
        expect(*r.doc, {10, -7, 1}, {-4, 6, 8});
    }
}

// Whatever leaves an object's normals other than the document computes them (a corner moved, a save
// writing the file's normals, a step taken back to records read with the file's normals) makes the next
// flip keep the records it could not give back; taken back, the flip restores every record exactly.
TEST(GeometryTools, AFlipAfterAnyChangeIsTakenBackExactly) {
    struct Case {
        const char* name;
        std::function<void(CPolyvaneDoc&)> change;
        std::optional<bool> keepsRecords; // none: whichever the records need
    };
    const Case cases[] = {
        {"a flip", [](CPolyvaneDoc& d) { d.OnFlipX(); }, false},
        {"a corner moved",
         [](CPolyvaneDoc& d) {
             d.OnFlipX();
             d.ChangeCurrentPrimitive("Move", [](WorkPrimitive& p) { p.x[0] += 3; });
         },
         true},
        {"a save",
         [](CPolyvaneDoc& d) {
             d.OnFlipX();
             (void)SaveToMemory(d);
         },
         std::nullopt},
        {"a flip taken back",
         [](CPolyvaneDoc& d) {
             d.OnFlipX();
             d.OnEditUndo();
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = Model();
        c.change(*doc);
        const std::vector<WorkPrimitive> before(doc->Records().begin(), doc->Records().end());
        const Extents extents = ExtentsOf(*doc);
        doc->History().Clear(); // the flip's step is then all the history holds
        doc->OnFlipY();
        if (c.keepsRecords) {
            EXPECT_EQ(doc->History().Bytes() > sizeof(ObjectStep), *c.keepsRecords);
        }
        doc->OnEditUndo();
        for (std::uint32_t r = 0; r < doc->WorkCount(); ++r)
            EXPECT_TRUE(SameModelFields(doc->Records()[r], before[r])) << r;
        EXPECT_EQ(ExtentsOf(*doc), extents);
    }
}
