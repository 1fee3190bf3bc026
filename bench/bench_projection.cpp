// Projection and back-to-front order of one object, and a solid paint on the software surface.
#include "PaintBench.h"
#include "RandomModel.h"
#include "model/Projection.h"
#include "platform/CRasterDC.h"
#include "view/CPolyvaneView.h"

#include <benchmark/benchmark.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// What a view does before it draws: the selected object's projection and back-to-front order, into
// a projected object of its own that keeps its storage between paints.
void BM_ProjectAndOrder(benchmark::State& state) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    ProjectedObject projected;
    double angle = 0.0;
    for (auto _ : state) {
        ProjectObject(doc->Records(), Projector(1000.0, 1000.0, 512, 384, angle, 0.3, 0.1), projected);
        benchmark::DoNotOptimize(projected.order.data());
        angle += 0.01;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProjectAndOrder)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SolidPaintSoftware(benchmark::State& state) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    PaintRepeatedly(state, *doc, VM_SOLID);
}
BENCHMARK(BM_SolidPaintSoftware)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
