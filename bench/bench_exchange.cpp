// Export and import of a 100,000-primitive model against the TMD save of the same model, each writing
// or reading a real file.
#include "exchange/ModelExporter.h"
#include "exchange/ModelImporter.h"
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>

using namespace polyvane;

namespace {

constexpr std::size_t kPrimitives = 100000;

// Lit Gouraud triangles over a bumpy grid 250 cells wide, two per cell: one object whose 50,000 or so
// shared corners the TMD writer can index.
TmdModel GridModel() {
    constexpr std::size_t kCells = 250;
    TmdModel model;
    model.header = {kTmdId, 0, 1};
    TmdModelObject object;
    object.entry.n_primitive = kPrimitives;
    object.records = std::make_unique<WorkPrimitive[]>(kPrimitives);
    auto corner = [](std::size_t x, std::size_t y, WorkPrimitive& p, int k) {
        p.x[k] = double(x * 8);
        p.y[k] = double(y * 8);
        p.z[k] = double((x * x + 3 * y * x) % 29);
        p.ny[k] = -1.0;
        p.colour[k] = 0x808080;
    };
    for (std::size_t i = 0; i < kPrimitives; ++i) {
        WorkPrimitive& p = object.records[i];
        std::memset(&p, 0, sizeof p);
        const std::size_t cell = i / 2, x = cell % kCells, y = cell / kCells;
        p.attr = PA_LIGHT | PA_GOURAUD;
        if (i % 2) {
            corner(x + 1, y, p, 0), corner(x + 1, y + 1, p, 1), corner(x, y + 1, p, 2);
        } else {
            corner(x, y, p, 0), corner(x + 1, y, p, 1), corner(x, y + 1, p, 2);
        }
    }
    model.objects.push_back(std::move(object));
    return model;
}

std::string Scratch(const char* name) {
    const auto folder = std::filesystem::temp_directory_path() / "bench_exchange";
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

void BM_TmdSave(benchmark::State& state) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    CPolyvaneDoc doc;
    doc.AdoptModel(GridModel());
    const std::string path = Scratch("grid.tmd");
    for (auto _ : state)
        if (!doc.OnSaveDocument(path))
            state.SkipWithError("save failed");
    state.SetItemsProcessed(state.iterations() * std::int64_t{kPrimitives});
}

void Export(benchmark::State& state, const char* name) {
    const TmdModel model = GridModel();
    const std::string path = Scratch(name);
    for (auto _ : state)
        if (!ExportModel(RefOf(model), {}, path).ok)
            state.SkipWithError("export failed");
    state.SetItemsProcessed(state.iterations() * std::int64_t{kPrimitives});
}

void Import(benchmark::State& state, const char* name) {
    const std::string path = Scratch(name);
    if (!ExportModel(RefOf(GridModel()), {}, path).ok)
        state.SkipWithError("export failed");
    for (auto _ : state) {
        ImportResult result = ImportModelFile(path);
        if (!result.ok)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(result.model.objects.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kPrimitives});
}

void BM_ExportGlb(benchmark::State& state) {
    Export(state, "grid.glb");
}
void BM_ExportObj(benchmark::State& state) {
    Export(state, "grid.obj");
}
void BM_ImportGlb(benchmark::State& state) {
    Import(state, "import.glb");
}
void BM_ImportObj(benchmark::State& state) {
    Import(state, "import.obj");
}

} // namespace

BENCHMARK(BM_TmdSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportGlb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportObj)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportGlb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportObj)->Unit(benchmark::kMillisecond);
