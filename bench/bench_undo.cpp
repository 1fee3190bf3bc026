// The history of geometry tools on one object of 200,000 primitives: what twenty flips keep against
// one copy of the object's records, and undo and redo of a flip against the flip itself. The object's
// normals are as the document computes them (an imported model's on opening, any model's after a
// tool); a flip of records whose normals are out of date is measured on its own.
#include "RandomModel.h"
#include "WorkDocBuilder.h"

#include "CommandIds.h"

#include <benchmark/benchmark.h>

using namespace polyvane;

namespace {

constexpr std::size_t kPrimitives = 200000;

// Built with zero normals, which the document has not computed.
std::unique_ptr<CPolyvaneDoc> StaleDoc() {
    return test::MakeDocObjects({test::RandomFaces(kPrimitives)});
}

std::unique_ptr<CPolyvaneDoc> BigDoc() {
    auto doc = StaleDoc();
    doc->OnCmdMsg(ID_TOOLS_FLIP_X, nullptr);
    doc->History().Clear();
    return doc;
}

void BM_TwentyFlipsHistoryBytes(benchmark::State& state) {
    auto doc = BigDoc();
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i)
            doc->OnCmdMsg(ID_TOOLS_FLIP_X, nullptr);
    }
    const double copy = static_cast<double>(sizeof(WorkPrimitive) * kPrimitives);
    state.counters["history_MiB"] = static_cast<double>(doc->History().Bytes()) / (1 << 20);
    state.counters["copies_of_object"] = static_cast<double>(doc->History().Bytes()) / copy;
    state.counters["steps"] = static_cast<double>(doc->History().UndoNames().size());
}

void BM_Flip(benchmark::State& state) {
    auto doc = BigDoc();
    for (auto _ : state) {
        doc->OnCmdMsg(ID_TOOLS_FLIP_X, nullptr);
        state.PauseTiming();
        doc->History().Clear();
        state.ResumeTiming();
    }
}

// The first flip after the normals went out of date keeps every record, and finds which by computing
// them once more over a copy.
void BM_FlipAfterStaleNormals(benchmark::State& state) {
    auto doc = StaleDoc();
    for (auto _ : state) {
        doc->OnCmdMsg(ID_TOOLS_FLIP_X, nullptr);
        state.PauseTiming();
        doc->OnCmdMsg(ID_EDIT_UNDO, nullptr);
        doc->History().Clear();
        state.ResumeTiming();
    }
}

void BM_UndoFlip(benchmark::State& state) {
    auto doc = BigDoc();
    doc->OnCmdMsg(ID_TOOLS_FLIP_X, nullptr);
    for (auto _ : state) {
        doc->OnCmdMsg(ID_EDIT_UNDO, nullptr);
        state.PauseTiming();
        doc->OnCmdMsg(ID_EDIT_REDO, nullptr);
        state.ResumeTiming();
    }
}

void BM_RedoFlip(benchmark::State& state) {
    auto doc = BigDoc();
    doc->OnCmdMsg(ID_TOOLS_FLIP_X, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        doc->OnCmdMsg(ID_EDIT_UNDO, nullptr);
        state.ResumeTiming();
        doc->OnCmdMsg(ID_EDIT_REDO, nullptr);
    }
}

} // namespace

BENCHMARK(BM_TwentyFlipsHistoryBytes)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipAfterStaleNormals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoFlip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoFlip)->Unit(benchmark::kMillisecond);
