// The textured mode's paint of one large object of 8-bit textured primitives at 1024 x 768, beside
// the solid paint of the same object, on the software surface; and the chip's picture alone.
#include "PaintBench.h"
#include "RandomModel.h"
#include "TimBuilder.h"
#include "platform/CRasterDC.h"
#include "texture/TimFrameBuffer.h"
#include "view/CPolyvaneView.h"

#include <benchmark/benchmark.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

std::unique_ptr<CPolyvaneDoc> TexturedModel(std::size_t count) {
    std::vector<WorkPrimitive> records = RandomFaces(count);
    for (std::size_t i = 0; i < records.size(); ++i) {
        WorkPrimitive& p = records[i];
        p.attr = static_cast<std::uint16_t>((p.attr & PA_QUAD) | PA_TEXTURED | PA_BRIGHTNESS | PA_DOUBLE);
        p.tpage = 10;
        p.pmode = kPixelMode8Bit;
        p.clutX = 0;
        p.clutY = 480;
        for (int k = 0; k < 4; ++k) {
            p.u[k] = static_cast<std::uint8_t>((k & 1) * 63 + i);
            p.v[k] = static_cast<std::uint8_t>((k >> 1) * 63 + i);
            p.colour[k] = RGB(128, 128, 128);
        }
    }
    TimSpec spec;
    spec.flag = 1; // 8-bit, 256 x 256 texels at (640, 0), its colour table at (0, 480)
    std::vector<std::uint16_t> clut(256);
    for (std::size_t i = 0; i < clut.size(); ++i)
        clut[i] = static_cast<std::uint16_t>(i * 0x0421 / 8 + 1);
    spec.clut = clut;
    spec.clutWidth = 256;
    spec.imageWidth = 128;
    spec.imageHeight = 256;
    spec.pixels = CountingBytes(128 * 256 * 2);
    auto doc = MakeDoc(records);
    doc->AttachTexture(LoadTimBytes(BuildTim(spec).data()).tim);
    return doc;
}

void Paint(benchmark::State& state, std::int32_t mode) {
    auto doc = TexturedModel(static_cast<std::size_t>(state.range(0)));
    PaintRepeatedly(state, *doc, mode);
}

void BM_TexturedPaintSoftware(benchmark::State& state) {
    Paint(state, VM_TEXTURED);
}
BENCHMARK(BM_TexturedPaintSoftware)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SolidPaintSoftwareSameModel(benchmark::State& state) {
    Paint(state, VM_SOLID);
}
BENCHMARK(BM_SolidPaintSoftwareSameModel)->Arg(100000)->Unit(benchmark::kMillisecond);

// The projected model drawn by the chip's rules into the 15-bit picture, without projection or blit,
// by one thread (second argument 1) or as many as the painter chooses (0).
void BM_TexturedPictureOnly(benchmark::State& state) {
    auto doc = TexturedModel(static_cast<std::size_t>(state.range(0)));
    ProjectedObject projected;
    ProjectObject({doc->Records().data(), doc->WorkCount()},
                  Projector(1000.0, 1000.0, 512, 384, 0.2, 0.3, 0.1), projected);
    const FrameBuffer memory = BuildFrameBuffer(doc->Textures());
    std::vector<std::uint16_t> picture(1024 * 768);
    TexturedPaintOptions options;
    options.threads = static_cast<unsigned>(state.range(1));
    TexturedPainter painter;
    for (auto _ : state) {
        painter.Paint({doc->Records().data(), doc->WorkCount()}, projected, memory, picture, 1024, 768,
                      options);
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_TexturedPictureOnly)
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
