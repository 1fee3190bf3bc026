#pragma once
// Documents and hosts for the dialog tests.
#include "CommandIds.h"
#include "DialogIds.h"
#include "DocTestSupport.h"
#include "TmdBuilder.h"
#include "platform/CView.h"
#include "platform/HeadlessDialogHost.h"

#include <gtest/gtest.h>

namespace polyvane::test {

class CountingView : public CView {
  public:
    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, long, void*) override { ++updates; }
    int updates = 0;
};

// One object of `count` unlit flat triangles; vertex j of the file is (xs[j], ys[j], zs[j]) when
// given, else (j, 0, 0), and triangle j uses vertex j three times.
inline std::vector<std::uint8_t> TrianglesTmd(int count, std::vector<std::int16_t> vertices = {}) {
    TmdObjectSpec o;
    for (int j = 0; j < count; ++j) {
        if (vertices.size() < 3 * static_cast<std::size_t>(j + 1))
            o.vertices.insert(o.vertices.end(), {static_cast<std::int16_t>(j), 0, 0});
        o.packets.insert(o.packets.end(), {PacketHeader(3, 3, 0x01, 0x20), 0x123456,
                                           Halves(static_cast<unsigned>(j), static_cast<unsigned>(j)),
                                           Halves(static_cast<unsigned>(j), 0)});
    }
    if (!vertices.empty())
        o.vertices = std::move(vertices);
    o.nPrimitive = static_cast<std::uint32_t>(count);
    return BuildTmd({o}).data();
}

// A loaded document with a counting view attached.
struct DocWithView {
    explicit DocWithView(const std::vector<std::uint8_t>& bytes) : loaded(LoadBytes(bytes)) {
        EXPECT_TRUE(loaded.ok);
        view.SetDocument(loaded.doc.get());
    }
    ~DocWithView() { view.SetDocument(nullptr); }
    CPolyvaneDoc& doc() { return *loaded.doc; }
    LoadResult loaded;
    CountingView view;
};

inline const DialogTemplate& TemplateOf(int id) {
    const DialogTemplate* t = FindDialogTemplate(id);
    EXPECT_NE(t, nullptr);
    return *t;
}

} // namespace polyvane::test
