// A full solid paint of a large object by the model view through the QPainter surface into an image
// of a typical window's size.
#include "RandomModel.h"
#include "app/QPainterDC.h"
#include "view/CPolyvaneView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

void PaintSolid(benchmark::State& state, std::int32_t mode) {
    auto doc = MakeDoc(RandomFaces(static_cast<std::size_t>(state.range(0))));
    HeadlessViewHost host(CRect{0, 0, 1024, 768});
    CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(doc.get());
    view.m_viewMode = mode;
    QImage image(1024, 768, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterDC dc(painter, CRect{0, 0, 1024, 768});
        view.OnDraw(&dc);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
        view.m_angleY += 0.01;
    }
    view.SetDocument(nullptr);
}

void BM_SolidPaintQImage(benchmark::State& state) {
    PaintSolid(state, VM_SOLID);
}
BENCHMARK(BM_SolidPaintQImage)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WireframePaintQImage(benchmark::State& state) {
    PaintSolid(state, VM_WIREFRAME);
}
BENCHMARK(BM_WireframePaintQImage)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Fonts for the QPainter text need a GUI application; no window is shown.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
