#pragma once
// A model view painting a document onto the software surface at 1024 x 768, turning a little each
// time, for the paint benchmarks.
#include "model/CPolyvaneDoc.h"
#include "platform/CRasterDC.h"
#include "view/CPolyvaneView.h"

#include <benchmark/benchmark.h>

namespace polyvane::test {

inline void PaintRepeatedly(benchmark::State& state, CPolyvaneDoc& doc, std::int32_t mode) {
    HeadlessViewHost host(CRect{0, 0, 1024, 768});
    CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(&doc);
    view.m_viewMode = mode;
    for (auto _ : state) {
        CRasterDC dc(1024, 768);
        view.OnDraw(&dc);
        benchmark::DoNotOptimize(dc.Pixels().data());
        view.m_angleY += 0.01;
    }
    view.SetDocument(nullptr);
}

} // namespace polyvane::test
