// Projection and back-to-front order of one object, against the repeated maximum search it replaces;
// and a solid paint on the software surface.
#include "PaintBench.h"
#include "RandomModel.h"
#include "model/Projection.h"
#include "platform/CRasterDC.h"
#include "view/CPolyvaneView.h"

#include <benchmark/benchmark.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

void BM_ProjectAndOrder(benchmark::State& state) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    double angle = 0.0;
    for (auto _ : state) {
        doc->Project(1000.0, 1000.0, 512, 384, angle, 0.3, 0.1);
        benchmark::DoNotOptimize(doc->m_pDrawFirst);
        angle += 0.01;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProjectAndOrder)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same work with the order found by repeated maximum search. 100,000 primitives would take
// minutes per paint (n squared record visits), so that size is left out.
void BM_ProjectAndSelect(benchmark::State& state) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    const std::span<WorkPrimitive> records(doc->m_pWork.get(), doc->WorkCount());
    double angle = 0.0;
    for (auto _ : state) {
        ProjectRecords(records, Projector(1000.0, 1000.0, 512, 384, angle, 0.3, 0.1));
        benchmark::DoNotOptimize(LinkBySelection(records));
        angle += 0.01;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProjectAndSelect)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ProjectOnly(benchmark::State& state) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    const std::span<WorkPrimitive> records(doc->m_pWork.get(), doc->WorkCount());
    for (auto _ : state) {
        ProjectRecords(records, Projector(1000.0, 1000.0, 512, 384, 0.2, 0.3, 0.1));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ProjectOnly)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SolidPaintSoftware(benchmark::State& state) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    PaintRepeatedly(state, *doc, VM_SOLID);
}
BENCHMARK(BM_SolidPaintSoftware)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
