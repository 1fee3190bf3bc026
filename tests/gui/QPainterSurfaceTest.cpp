// The shared drawing-surface suite on the QPainter surface, painting into an image offscreen, and one
// real paint of the model view through it.
#include "DrawingSurfaceSuite.h"
#include "WorkDocBuilder.h"
#include "app/QPainterDC.h"
#include "view/CPolyvaneView.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

namespace {
COLORREF ToColorRef(QRgb c) {
    return RGB(qRed(c), qGreen(c), qBlue(c));
}
} // namespace

class QPainterSurfaceTest : public QObject {
    Q_OBJECT

  private slots:
    void sharedSuite_data() {
        QTest::addColumn<int>("index");
        const auto cases = SurfaceCases();
        for (std::size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << static_cast<int>(i);
    }

    void sharedSuite() {
        QFETCH(int, index);
        const SurfaceCase c = SurfaceCases()[static_cast<std::size_t>(index)];
        QImage image(kSuiteClient.right, kSuiteClient.bottom, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterDC dc(painter, kSuiteClient);
        std::vector<std::string> lines;
        dc.SetTraceSink([&](std::string_view l) { lines.emplace_back(l); });
        const Failures failures = RunSurfaceCase(
            c, dc, [&] { return lines; },
            [&](std::int32_t x, std::int32_t y) { return ToColorRef(image.pixel(x, y)); });
        painter.end();
        QString report;
        for (const auto& f : failures)
            report += QString::fromStdString(f) + "\n";
        QVERIFY2(failures.empty(), qPrintable(report));
    }

    // On a pixmap the surface draws through the painter's own rasteriser rather than into the pixels.
    void sharedSuiteThroughThePainter_data() { sharedSuite_data(); }

    void sharedSuiteThroughThePainter() {
        QFETCH(int, index);
        const SurfaceCase c = SurfaceCases()[static_cast<std::size_t>(index)];
        QPixmap pixmap(kSuiteClient.right, kSuiteClient.bottom);
        pixmap.fill(Qt::white);
        QPainter painter(&pixmap);
        QPainterDC dc(painter, kSuiteClient);
        std::vector<std::string> lines;
        dc.SetTraceSink([&](std::string_view l) { lines.emplace_back(l); });
        QImage image;
        const Failures failures = RunSurfaceCase(
            c, dc, [&] { return lines; },
            [&](std::int32_t x, std::int32_t y) {
                if (image.isNull()) {
                    painter.end();
                    image = pixmap.toImage();
                }
                return ToColorRef(image.pixel(x, y));
            });
        QString report;
        for (const auto& f : failures)
            report += QString::fromStdString(f) + "\n";
        QVERIFY2(failures.empty(), qPrintable(report));
    }

    void farPointsThroughThePainterAreCutNotOverflowed() {
        QPixmap pixmap(100, 100);
        pixmap.fill(Qt::white);
        QPainter painter(&pixmap);
        QPainterDC dc(painter, CRect{0, 0, 100, 100});
        const CPoint huge[3] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
        const HGDIOBJ brush = dc.CreateSolidBrush(kBlue);
        dc.SelectObject(brush);
        dc.Polygon(huge, 3);
        dc.MoveTo(-2000000000, 50);
        dc.LineTo(2000000000, 50);
        dc.TextOut(2147483647, 2147483647, "far");
        painter.end();
        const QImage image = pixmap.toImage();
        QCOMPARE(ToColorRef(image.pixel(20, 20)), kBlue);
        QCOMPARE(ToColorRef(image.pixel(20, 50)), kBlack);
    }

    void modelViewPaintsThroughThePainter() {
        auto doc = MakeDoc({Record({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}),
                            Record({{-50, 50, 100}, {50, 50, 100}, {-50, -50, 100}, {50, -50, 100}})});
        HeadlessViewHost host(CRect{0, 0, 400, 300});
        CPolyvaneView view;
        view.SetHost(&host);
        view.SetDocument(doc.get());
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QPainterDC dc(painter, CRect{0, 0, 400, 300});
            view.OnDraw(&dc);
        }
        QCOMPARE(ToColorRef(image.pixel(280, 150)), RGB(255, 64, 0)); // current triangle's bottom edge
        QCOMPARE(ToColorRef(image.pixel(154, 180)), RGB(0, 0, 0));    // the quad's left edge
        QCOMPARE(ToColorRef(image.pixel(210, 140)), RGB(255, 255, 255));
        view.SetDocument(nullptr);
    }
};

QTEST_MAIN(QPainterSurfaceTest)
#include "QPainterSurfaceTest.moc"
