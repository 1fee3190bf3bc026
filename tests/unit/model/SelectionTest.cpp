// Selecting objects: what is stored, what becomes current, and what the views are told.
#include "DocTestSupport.h"
#include "TmdBuilder.h"
#include "platform/CView.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace polyvane;
using namespace polyvane::test;

namespace {

class CountingView : public CView {
  public:
    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, long hint, void* object) override {
        ++updates;
        lastHint = hint;
        lastObject = object;
    }
    int updates = 0;
    long lastHint = -1;
    void* lastObject = this;
};

// Objects with 3, 0 and 2 unlit triangles; vertex x of primitive j of object i is 100 * i + j.
std::vector<std::uint8_t> ThreeObjects() {
    std::vector<TmdObjectSpec> objects;
    for (int i = 0; i < 3; ++i) {
        TmdObjectSpec o;
        const int prims = i == 0 ? 3 : i == 1 ? 0 : 2;
        for (int j = 0; j < prims; ++j) {
            o.vertices.insert(o.vertices.end(), {static_cast<std::int16_t>(100 * i + j), 0, 0});
            o.packets.insert(o.packets.end(), {PacketHeader(3, 3, 0x01, 0x20), 0x123456,
                                               Halves(static_cast<unsigned>(j), static_cast<unsigned>(j)),
                                               Halves(static_cast<unsigned>(j), 0)});
        }
        o.nPrimitive = static_cast<std::uint32_t>(prims);
        objects.push_back(o);
    }
    return BuildTmd(objects).data();
}

} // namespace

TEST(Selection, NewDocumentHasNothingToSelect) {
    CPolyvaneDoc doc;
    CountingView view;
    view.SetDocument(&doc);
    doc.SelectModelObject(0);
    EXPECT_FALSE(doc.HasSelection());
    EXPECT_EQ(doc.CurrentPrimitive(), nullptr);
    EXPECT_EQ(view.updates, 0);
    EXPECT_EQ(doc.ObjectCount(), 0u);
    EXPECT_FALSE(doc.HasClipboard());
}

TEST(Selection, SelectingMakesTheFirstPrimitiveCurrentAndRedraws) {
    auto r = LoadBytes(ThreeObjects());
    ASSERT_TRUE(r.ok);
    CPolyvaneDoc& doc = *r.doc;
    CountingView view;
    view.SetDocument(&doc);

    doc.SelectPrimitive(2);
    doc.SelectModelObject(0); // the selected object again: records kept, first primitive current
    EXPECT_EQ(doc.CurrentPrimitive(), &doc.Records()[0]);
    EXPECT_EQ(doc.Records()[2].x[0], 2.0);
    EXPECT_EQ(view.updates, 1);
    EXPECT_EQ(view.lastHint, 0);
    EXPECT_EQ(view.lastObject, nullptr);

    doc.SelectModelObject(2);
    EXPECT_EQ(doc.SelectedObject(), 2u);
    EXPECT_EQ(doc.WorkCount(), 2u);
    EXPECT_EQ(doc.Records()[1].x[0], 201.0);
    EXPECT_EQ(doc.CurrentPrimitiveIndex(), 0u);

    doc.SelectModelObject(3); // beyond the object count: nothing happens
    EXPECT_EQ(doc.SelectedObject(), 2u);
    EXPECT_EQ(view.updates, 2);
}

TEST(Selection, AnObjectWithoutPrimitivesIsSelectedWithNoCurrentPrimitive) {
    auto r = LoadBytes(ThreeObjects());
    CPolyvaneDoc& doc = *r.doc;
    doc.SelectModelObject(1);
    EXPECT_TRUE(doc.HasSelection());
    EXPECT_EQ(doc.WorkCount(), 0u);
    EXPECT_EQ(doc.CurrentPrimitive(), nullptr);
    EXPECT_FALSE(doc.CurrentPrimitiveIndex().has_value());
    doc.CopyPrimitive(); // nothing to copy: the clipboard keeps what the reader put there
    EXPECT_EQ(doc.Clipboard().x[0], 0.0);
    doc.ComputeExtents();
    EXPECT_EQ(doc.MaxExtent().vx, 0);
    EXPECT_EQ(doc.MinExtent().vx, 0);
}

TEST(Selection, CopyPrimitiveCopiesTheWholeRecord) {
    auto r = LoadBytes(ThreeObjects());
    CPolyvaneDoc& doc = *r.doc;
    doc.SelectPrimitive(2);
    doc.CopyPrimitive();
    EXPECT_EQ(std::memcmp(&doc.Clipboard(), &doc.Records()[2], sizeof(WorkPrimitive)), 0);
    EXPECT_FALSE(doc.IsModified());
}
