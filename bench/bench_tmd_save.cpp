// Saving one object of many lit Gouraud triangles over a bumpy grid: the hashed vertex and normal
// sharing and vertex normals against the plain linear and all-pairs searches.
#include "TmdBuilder.h"

#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace polyvane;

namespace {

// `primitives` triangles, two per cell of a grid 250 cells wide.
std::unique_ptr<CPolyvaneDoc> GridModel(std::int64_t primitives) {
    constexpr unsigned kCells = 250;
    const unsigned rows = static_cast<unsigned>((primitives / 2 + kCells - 1) / kCells);
    test::TmdObjectSpec o;
    for (unsigned y = 0; y <= rows; ++y)
        for (unsigned x = 0; x <= kCells; ++x)
            o.vertices.insert(o.vertices.end(),
                              {static_cast<std::int16_t>(x * 8), static_cast<std::int16_t>(y * 8),
                               static_cast<std::int16_t>((x * x + 3 * y * x) % 29)});
    o.normals = {0, 0, 4096};
    for (std::int64_t i = 0; i < primitives; ++i) {
        const unsigned cell = static_cast<unsigned>(i / 2);
        const unsigned v0 = cell / kCells * (kCells + 1) + cell % kCells;
        const unsigned v1 = v0 + 1, v2 = v0 + kCells + 1, v3 = v2 + 1;
        const unsigned a = (i % 2) ? v1 : v0, b = (i % 2) ? v3 : v1, c = v2;
        o.packets.insert(o.packets.end(), {test::PacketHeader(4, 4, 0, 0x30), 0x808080, test::Halves(0, a),
                                           test::Halves(0, b), test::Halves(0, c)});
    }
    o.nPrimitive = static_cast<std::uint32_t>(primitives);
    const auto bytes = test::BuildTmd({o});
    auto doc = std::make_unique<CPolyvaneDoc>();
    CArchive ar = CArchive::FromMemory(bytes.data(), "grid.tmd");
    doc->Serialize(ar);
    if (!doc->LoadSucceeded())
        std::abort();
    return doc;
}

void Save(benchmark::State& state, SharingMethod method) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    auto doc = GridModel(state.range(0));
    for (auto _ : state) {
        CArchive ar = CArchive::ToMemory("grid.tmd");
        if (!doc->WriteModel(ar, method))
            state.SkipWithError("save failed");
        benchmark::DoNotOptimize(ar.StoredBytes().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SaveHashed(benchmark::State& state) {
    Save(state, SharingMethod::hashed);
}
void BM_SavePlain(benchmark::State& state) {
    Save(state, SharingMethod::plain);
}

} // namespace

BENCHMARK(BM_SaveHashed)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
// The all-pairs normals take minutes at 100,000 primitives: one run is enough to compare.
BENCHMARK(BM_SavePlain)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlain)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
