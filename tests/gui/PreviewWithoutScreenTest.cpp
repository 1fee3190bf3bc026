// The "Preview" command where the Qt display has no screen to take: it reports "Err" and leaves
// no window behind.
#include "app/QtDisplayService.h"
#include "platform/MessageBox.h"
#include "view/CPreviewScreen.h"

#include <QCoreApplication>
#include <QtTest>

using namespace polyvane;

namespace {
void NoPainting(std::span<std::uint16_t>, std::int32_t, std::int32_t, int) {
    QFAIL("there is no display to paint on");
}
} // namespace

class PreviewWithoutScreenTest : public QObject {
    Q_OBJECT

  private slots:
    void withoutAnApplicationShowsErr() {
        QtDisplayService service;
        HeadlessMessageBox box;
        ScopedMessageBox scoped(box);
        RunPreview(service, nullptr, 320, 240, NoPainting);
        QCOMPARE(box.Texts(), std::vector<std::string>{"Err"});
    }

    void withoutAWidgetApplicationShowsErr() {
        int argc = 1;
        char name[] = "preview";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        QtDisplayService service;
        std::unique_ptr<IDirectDraw> display;
        QCOMPARE(service.DirectDrawCreate(display), DDERR_NODIRECTDRAWHW);
        QVERIFY(!display);
        HeadlessMessageBox box;
        ScopedMessageBox scoped(box);
        RunPreview(service, nullptr, 320, 240, NoPainting);
        QCOMPARE(box.Texts(), std::vector<std::string>{"Err"});
    }
};

QTEST_APPLESS_MAIN(PreviewWithoutScreenTest)
#include "PreviewWithoutScreenTest.moc"
