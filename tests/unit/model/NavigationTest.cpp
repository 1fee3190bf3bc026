// Stepping through primitives and objects, and the attribute clipboard, run through the document's
// command routing as the menus run them.
#include "CountingView.h"
#include "DocTestSupport.h"
#include "TmdBuilder.h"

#include "CommandIds.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// Objects with 3, 0 and 2 primitives: unlit flat packets over vertices 0..3.
std::unique_ptr<CPolyvaneDoc> ThreeObjects() {
    auto object = [](std::uint32_t count) {
        TmdObjectSpec o;
        o.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0, 10, 10, 0};
        for (std::uint32_t i = 0; i < count; ++i)
            o.packets.insert(o.packets.end(), {PacketHeader(4, 3, 1, 0x20), 0x000010u * (i + 1),
                                               Halves(i % 2, 1), Halves(2, 0)});
        o.nPrimitive = count;
        return o;
    };
    auto r = LoadBytes(BuildTmd({object(3), object(0), object(2)}).data());
    EXPECT_TRUE(r.ok);
    return std::move(r.doc);
}

void Command(CPolyvaneDoc& doc, unsigned id) {
    EXPECT_TRUE(doc.OnCmdMsg(id, nullptr)) << id;
}

} // namespace

TEST(Navigation, PrimitivesWrapBothWays) {
    auto doc = ThreeObjects();
    CountingView view;
    view.SetDocument(doc.get());
    struct Step {
        unsigned id;
        std::uint32_t expected;
    };
    const Step steps[] = {{ID_OBJECT_NEXT_PRIM, 1}, {ID_OBJECT_NEXT_PRIM, 2}, {ID_OBJECT_NEXT_PRIM, 0},
                          {ID_OBJECT_PREV_PRIM, 2}, {ID_OBJECT_PREV_PRIM, 1}, {ID_OBJECT_PREV_PRIM, 0}};
    int updates = 0;
    for (const auto& s : steps) {
        Command(*doc, s.id);
        EXPECT_EQ(doc->CurrentPrimitiveIndex(), s.expected);
        EXPECT_EQ(view.updates, ++updates);
    }
    EXPECT_FALSE(doc->IsModified());
}

TEST(Navigation, ObjectsWrapBothWaysAndSelectTheFirstPrimitive) {
    auto doc = ThreeObjects();
    Command(*doc, ID_OBJECT_NEXT_PRIM);
    Command(*doc, ID_OBJECT_PREV_OBJECT);
    EXPECT_EQ(doc->SelectedObject(), 2u);
    EXPECT_EQ(doc->CurrentPrimitiveIndex(), 0u);
    Command(*doc, ID_OBJECT_NEXT_OBJECT);
    EXPECT_EQ(doc->SelectedObject(), 0u);
    Command(*doc, ID_OBJECT_NEXT_OBJECT);
    EXPECT_EQ(doc->SelectedObject(), 1u);
    EXPECT_EQ(doc->CurrentPrimitive(), nullptr); // no primitives
    Command(*doc, ID_OBJECT_PREV_OBJECT);
    EXPECT_EQ(doc->SelectedObject(), 0u);
    EXPECT_FALSE(doc->IsModified());
}

TEST(Navigation, OneObjectIsReselectedWithItsFirstPrimitive) {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    o.packets = {PacketHeader(4, 3, 1, 0x20), 0, Halves(0, 1), Halves(2, 0),
                 PacketHeader(4, 3, 1, 0x20), 0, Halves(0, 1), Halves(2, 0)};
    o.nPrimitive = 2;
    auto r = LoadBytes(BuildTmd({o}).data());
    for (unsigned id : {ID_OBJECT_NEXT_OBJECT, ID_OBJECT_PREV_OBJECT}) {
        Command(*r.doc, ID_OBJECT_NEXT_PRIM);
        ASSERT_EQ(r.doc->CurrentPrimitiveIndex(), 1u);
        Command(*r.doc, id);
        EXPECT_EQ(r.doc->SelectedObject(), 0u);
        EXPECT_EQ(r.doc->CurrentPrimitiveIndex(), 0u);
    }
}

TEST(Navigation, PrimitiveCommandsDoNothingWithoutACurrentPrimitive) {
    auto doc = ThreeObjects();
    Command(*doc, ID_EDIT_COPY);
    Command(*doc, ID_OBJECT_NEXT_OBJECT); // object 1: no primitives
    CountingView view;
    view.SetDocument(doc.get());
    for (unsigned id : {ID_OBJECT_NEXT_PRIM, ID_OBJECT_PREV_PRIM, ID_EDIT_COPY, ID_EDIT_PASTE}) {
        Command(*doc, id);
        EXPECT_EQ(doc->CurrentPrimitive(), nullptr);
    }
    EXPECT_EQ(view.updates, 0);
    EXPECT_FALSE(doc->IsModified());

    // An empty document: every command does nothing, the object commands included.
    CPolyvaneDoc empty;
    for (unsigned id : {ID_OBJECT_NEXT_PRIM, ID_OBJECT_PREV_PRIM, ID_OBJECT_NEXT_OBJECT,
                        ID_OBJECT_PREV_OBJECT, ID_EDIT_COPY, ID_EDIT_PASTE}) {
        Command(empty, id);
        EXPECT_FALSE(empty.HasSelection());
        EXPECT_EQ(empty.SelectedObject(), 0u);
    }
    EXPECT_FALSE(empty.HasClipboard());
    EXPECT_FALSE(empty.IsModified());
}

namespace {

// A textured triangle and an untextured quad, with different colours, texture fields and coordinates.
std::unique_ptr<CPolyvaneDoc> TexturedAndPlain() {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0, 10, 10, 0};
    const std::uint32_t cba = (100u << 6) | 3u, tsb = (1u << 7) | (2u << 5) | 7u;
    o.packets = {PacketHeader(0, 6, 1, 0x24 | 0x02),
                 0x2211 | (cba << 16),
                 0x4433 | (tsb << 16),
                 0x6655,
                 0xABCDEF,
                 Halves(0, 1),
                 Halves(2, 0),
                 PacketHeader(0, 6, 1 | 4, 0x28),
                 0x111111,
                 0x222222,
                 0x333333,
                 0x444444,
                 Halves(0, 1),
                 Halves(2, 3)};
    o.nPrimitive = 2;
    auto r = LoadBytes(BuildTmd({o, o}).data());
    EXPECT_TRUE(r.ok);
    return std::move(r.doc);
}

} // namespace

TEST(Clipboard, PasteOntoAnUntexturedPrimitiveTakesTheTextureFields) {
    auto doc = TexturedAndPlain();
    CountingView view;
    view.SetDocument(doc.get());
    Command(*doc, ID_EDIT_COPY); // the textured triangle
    Command(*doc, ID_OBJECT_NEXT_PRIM);
    const WorkPrimitive before = *doc->CurrentPrimitive();
    const int updates = view.updates;
    Command(*doc, ID_EDIT_PASTE);
    const WorkPrimitive& p = *doc->CurrentPrimitive();
    const WorkPrimitive& clip = doc->Clipboard();
    EXPECT_EQ(p.attr, (clip.attr & ~PA_QUAD) | PA_QUAD); // still a quad: attributes, not geometry
    EXPECT_EQ(p.tpage, 7);
    EXPECT_EQ(p.abr, 2);
    EXPECT_EQ(p.pmode, 1);
    EXPECT_EQ(p.clutX, 48);
    EXPECT_EQ(p.clutY, 100);
    EXPECT_EQ(std::memcmp(p.u, clip.u, 4), 0);
    EXPECT_EQ(std::memcmp(p.v, clip.v, 4), 0);
    EXPECT_EQ(std::memcmp(p.colour, clip.colour, sizeof p.colour), 0);
    // Geometry, normals and style stay.
    EXPECT_EQ(std::memcmp(p.x, before.x, sizeof p.x), 0);
    EXPECT_EQ(std::memcmp(p.nx, before.nx, sizeof p.nx), 0);
    EXPECT_EQ(p.style, before.style);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(view.updates, updates); // the change shows at the next repaint
}

TEST(Clipboard, PasteOntoATexturedPrimitiveKeepsItsTextureFields) {
    auto doc = TexturedAndPlain();
    Command(*doc, ID_OBJECT_NEXT_PRIM);
    Command(*doc, ID_EDIT_COPY); // the untextured quad
    Command(*doc, ID_OBJECT_PREV_PRIM);
    const WorkPrimitive before = *doc->CurrentPrimitive();
    Command(*doc, ID_EDIT_PASTE);
    const WorkPrimitive& p = *doc->CurrentPrimitive();
    EXPECT_EQ(p.attr, doc->Clipboard().attr & ~PA_QUAD); // untextured now, and still a triangle
    EXPECT_EQ(p.attr & PA_TEXTURED, 0);
    EXPECT_EQ(p.tpage, before.tpage);
    EXPECT_EQ(p.clutY, before.clutY);
    EXPECT_EQ(std::memcmp(p.u, before.u, 4), 0);
    EXPECT_EQ(p.colour[3], 0x444444u);
}

TEST(Clipboard, SurvivesChangesOfObjectAndPrimitive) {
    auto doc = TexturedAndPlain();
    Command(*doc, ID_OBJECT_NEXT_PRIM);
    Command(*doc, ID_EDIT_COPY);
    Command(*doc, ID_OBJECT_NEXT_OBJECT);
    Command(*doc, ID_EDIT_PASTE);
    EXPECT_EQ(doc->SelectedObject(), 1u);
    EXPECT_EQ(doc->Records()[0].colour[2], 0x333333u);
    EXPECT_EQ(doc->Records()[0].attr & PA_QUAD, 0);
}

TEST(Clipboard, PasteWithoutCopyUsesWhatTheReaderCopied) {
    auto doc = TexturedAndPlain();
    Command(*doc, ID_OBJECT_NEXT_PRIM);
    Command(*doc, ID_EDIT_PASTE);
    EXPECT_EQ(doc->Records()[1].attr, (doc->Records()[0].attr & ~PA_QUAD) | PA_QUAD);
    EXPECT_EQ(doc->Records()[1].colour[0], 0xABCDEFu);
}

TEST(Clipboard, PasteBeforeAnyCopyDoesNothingAfterAnImport) {
    Bytes pnts;
    for (float f : {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f})
        pnts.u32be(std::bit_cast<std::uint32_t>(f));
    Bytes lwo;
    lwo.text("FORM");
    lwo.u32be(static_cast<std::uint32_t>(4 + 8 + pnts.size() + 8 + 10));
    lwo.text("LWOBPNTS");
    lwo.u32be(static_cast<std::uint32_t>(pnts.size()));
    lwo.data().insert(lwo.data().end(), pnts.data().begin(), pnts.data().end());
    lwo.text("POLS");
    lwo.u32be(10);
    for (unsigned v : {3u, 0u, 1u, 2u, 1u})
        lwo.u16be(v);
    auto r = LoadBytes(lwo.data(), "a.lwo");
    ASSERT_TRUE(r.ok);
    ASSERT_FALSE(r.doc->HasClipboard());
    const WorkPrimitive before = *r.doc->CurrentPrimitive();
    Command(*r.doc, ID_EDIT_PASTE);
    EXPECT_EQ(std::memcmp(r.doc->CurrentPrimitive(), &before, sizeof before), 0);
    EXPECT_FALSE(r.doc->IsModified());
}
