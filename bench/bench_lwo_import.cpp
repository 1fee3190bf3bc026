// Importing a LightWave LWOB object of many polygons (points, polygons, surfaces and the normals the
// import computes).
#include "TmdBuilder.h"

#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <cstring>

using namespace polyvane;

namespace {

void Chunk(test::Bytes& out, const char* id, const test::Bytes& body) {
    out.text(id);
    out.u32be(static_cast<std::uint32_t>(body.size()));
    out.data().insert(out.data().end(), body.data().begin(), body.data().end());
}

// Quadrilaterals and triangles alternating over a bumpy grid 250 cells wide, on two surfaces.
std::vector<std::uint8_t> GridLwob(std::int64_t polygons) {
    constexpr unsigned kCells = 250;
    const unsigned rows = static_cast<unsigned>((polygons + kCells - 1) / kCells);
    test::Bytes points, pols, body;
    for (unsigned y = 0; y <= rows; ++y)
        for (unsigned x = 0; x <= kCells; ++x)
            for (float f : {x * 0.08f, y * 0.08f, static_cast<float>((x * x + 3 * y * x) % 29) * 0.01f})
                points.u32be(std::bit_cast<std::uint32_t>(f));
    for (std::int64_t i = 0; i < polygons; ++i) {
        const unsigned cell = static_cast<unsigned>(i);
        const unsigned v0 = cell / kCells * (kCells + 1) + cell % kCells;
        const unsigned v1 = v0 + 1, v2 = v0 + kCells + 1, v3 = v2 + 1;
        if (i % 2) {
            pols.u16be(4);
            for (unsigned v : {v0, v1, v3, v2})
                pols.u16be(v);
        } else {
            pols.u16be(3);
            for (unsigned v : {v0, v1, v2})
                pols.u16be(v);
        }
        pols.u16be(1 + static_cast<unsigned>(i % 2));
    }
    test::Bytes names;
    names.text("Matte");
    names.u8(0);
    names.text("Shiny");
    names.u8(0);
    body.text("LWOB");
    Chunk(body, "SRFS", names);
    Chunk(body, "PNTS", points);
    Chunk(body, "POLS", pols);
    test::Bytes file;
    file.text("FORM");
    file.u32be(static_cast<std::uint32_t>(body.size()));
    file.data().insert(file.data().end(), body.data().begin(), body.data().end());
    return file.data();
}

void BM_ImportLwob(benchmark::State& state) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    const auto file = GridLwob(state.range(0));
    for (auto _ : state) {
        CPolyvaneDoc doc;
        CArchive ar = CArchive::FromMemory(file, "grid.lwo");
        doc.Serialize(ar);
        if (doc.WorkCount() != static_cast<std::uint32_t>(state.range(0)))
            state.SkipWithError("import failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

} // namespace

BENCHMARK(BM_ImportLwob)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
