// Loading generated TMD models, against a plain copy of the same number of WorkPrimitive records.
#include "DocTestSupport.h"
#include "TmdBuilder.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// `objects` objects of `prims` primitives each, cycling through lit flat, lit Gouraud, textured and
// unlit gradation packets over a grid of vertices.
std::vector<std::uint8_t> MakeModel(std::uint32_t objects, std::uint32_t prims) {
    std::vector<TmdObjectSpec> specs(objects);
    for (auto& o : specs) {
        for (int i = 0; i < 1024; ++i)
            o.vertices.insert(o.vertices.end(),
                              {static_cast<std::int16_t>(i % 32 * 10), static_cast<std::int16_t>(i / 32 * 10),
                               static_cast<std::int16_t>(i % 7)});
        for (int i = 0; i < 64; ++i)
            o.normals.insert(o.normals.end(), {static_cast<std::int16_t>(i * 64), 0, 4096});
        o.packets.reserve(prims * 8);
        for (std::uint32_t j = 0; j < prims; ++j) {
            const unsigned v = j % 900, n = j % 64;
            switch (j % 4) {
            case 0: // lit flat quad
                o.packets.insert(o.packets.end(), {PacketHeader(5, 4, 0, 0x28), 0x28808080, Halves(n, v),
                                                   Halves(v + 1, v + 32), Halves(v + 33, 0)});
                break;
            case 1: // lit Gouraud triangle
                o.packets.insert(o.packets.end(), {PacketHeader(4, 4, 0, 0x30), 0x30808080, Halves(n, v),
                                                   Halves(n, v + 1), Halves(n, v + 32)});
                break;
            case 2: // lit textured quad
                o.packets.insert(o.packets.end(),
                                 {PacketHeader(9, 7, 0, 0x2C), 0x78000000, 0x000A3F00, 0x3F00, 0x3F3F,
                                  Halves(n, v), Halves(v + 1, v + 32), Halves(v + 33, 0)});
                break;
            default: // unlit gradation triangle
                o.packets.insert(o.packets.end(), {PacketHeader(6, 5, 5, 0x21), 0xFF, 0xFF00, 0xFF0000,
                                                   Halves(v, v + 1), Halves(v + 32, 0)});
                break;
            }
        }
        o.nPrimitive = prims;
    }
    return BuildTmd(specs).data();
}

void BM_Load(benchmark::State& state) {
    const auto objects = static_cast<std::uint32_t>(state.range(0));
    const auto prims = static_cast<std::uint32_t>(state.range(1));
    const auto bytes = MakeModel(objects, prims);
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    for (auto _ : state) {
        auto doc = std::make_unique<CPolyvaneDoc>();
        CArchive ar = CArchive::FromMemory(bytes, "bench.tmd");
        doc->Serialize(ar);
        if (!doc->LoadSucceeded())
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc->Records().data());
    }
    const double total = double(objects) * prims;
    state.counters["time_per_prim"] = benchmark::Counter(
        total, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * total));
}

// The baseline: allocate and copy the same number of records as one plain block.
void BM_PlainCopy(benchmark::State& state) {
    const auto total = static_cast<std::size_t>(state.range(0) * state.range(1));
    std::unique_ptr<WorkPrimitive[]> source(new WorkPrimitive[total]);
    std::memset(source.get(), 1, sizeof(WorkPrimitive) * total);
    for (auto _ : state) {
        std::unique_ptr<WorkPrimitive[]> copy(new WorkPrimitive[total]);
        std::memcpy(copy.get(), source.get(), sizeof(WorkPrimitive) * total);
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
    state.counters["time_per_prim"] = benchmark::Counter(
        double(total), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * total));
}

} // namespace

BENCHMARK(BM_Load)->Args({1, 200000})->Args({4096, 50})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopy)->Args({1, 200000})->Args({4096, 50})->Unit(benchmark::kMillisecond);
