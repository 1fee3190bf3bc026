// The "Preview" command end to end through the Qt display, and the display's own answers.
#include "app/PreviewWindow.h"
#include "app/QtDisplayService.h"
#include "platform/CView.h"
#include "platform/MessageBox.h"
#include "view/CPreviewScreen.h"

#include <QApplication>
#include <QtTest>

using namespace polyvane;

namespace {

PreviewWindow* FindPreviewWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == PreviewWindow::kObjectName)
            return static_cast<PreviewWindow*>(widget);
    return nullptr;
}

// The word's box: from the top-left corner to the last non-black pixel of the first rows.
QRect WordBox(const QImage& page) {
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < 64 && y < page.height(); ++y)
        for (int x = 0; x < 200 && x < page.width(); ++x)
            if (page.pixelColor(x, y) != QColor(Qt::black)) {
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(0, 0, right + 1, bottom + 1);
}

// A view's window, as the application's views have them.
class WidgetViewHost final : public QWidget, public IViewHost {
  public:
    [[nodiscard]] CRect GetClientRect() const override { return CRect{0, 0, width(), height()}; }
    void Invalidate(bool) override { update(); }
    void SetCapture() override { grabMouse(); }
    void ReleaseCapture() override { releaseMouse(); }
    [[nodiscard]] bool HasCapture() const override { return QWidget::mouseGrabber() == this; }
    void SetWindowText(const std::string& text) override { setWindowTitle(QString::fromStdString(text)); }
};

// Looks at the screen while the box is up, as the user would.
class InspectingMessageBox final : public IMessageBox {
  public:
    void Show(std::string_view text) override {
        texts.emplace_back(text);
        PreviewWindow* window = FindPreviewWindow();
        windowShown = window && window->isVisible() && window->isFullScreen();
        if (window && window->Presented()) {
            page = *window->Presented();
            screenShot = window->grab().toImage();
            pageRect = window->PageRect();
        }
    }
    std::vector<std::string> texts;
    bool windowShown = false;
    QImage page;
    QImage screenShot;
    QRect pageRect;
};

struct Chain {
    std::unique_ptr<IDirectDraw> display;
    std::unique_ptr<IDirectDrawSurface> primary;
    IDirectDrawSurface* back = nullptr;
};

DDSURFACEDESC FlipChainDesc() {
    DDSURFACEDESC desc;
    desc.dwSize = DDSURFACEDESC::kSize;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    return desc;
}

// A display in the preview's mode with its flip chain.
Chain MakeChain(QtDisplayService& service) {
    Chain c;
    if (service.DirectDrawCreate(c.display) != DD_OK ||
        c.display->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK ||
        c.display->SetDisplayMode(800, 600, 16) != DD_OK ||
        c.display->CreateSurface(FlipChainDesc(), c.primary) != DD_OK ||
        c.primary->GetAttachedSurface(DDSCAPS{DDSCAPS_BACKBUFFER}, c.back) != DD_OK)
        return {};
    return c;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

  private slots:
    void commandShowsTheFramesFullScreenUntilAKey() {
        QtDisplayService service;
        InspectingMessageBox box;
        ScopedMessageBox scoped(box);
        WidgetViewHost view;
        view.show();
        QImage shown;
        QRect pageRect;
        int frames = 0;
        // Frame n is all word n (red n of 31); at frame 3 the user presses a key.
        RunPreview(service, &view, 320, 240,
                   [&](std::span<std::uint16_t> picture, std::int32_t, std::int32_t, int frame) {
                       frames = frame + 1;
                       std::fill(picture.begin(), picture.end(), static_cast<std::uint16_t>(frame * 8));
                       PreviewWindow* window = FindPreviewWindow();
                       if (frame == 3 && window && window->Presented()) {
                           shown = *window->Presented();
                           pageRect = window->PageRect();
                           QCoreApplication::postEvent(
                               window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
                       }
                   });
        QVERIFY(box.texts.empty());
        QCOMPARE(frames, 4);
        // Frame 2 was the one on the screen while frame 3 was painted.
        QCOMPARE(shown.size(), QSize(320, 240));
        QCOMPARE(shown.format(), QImage::Format_RGB16);
        QCOMPARE(shown.pixelColor(160, 120), QColor(132, 0, 0));
        // Scaled to the screen with the television's shape kept.
        QVERIFY(pageRect.isValid());
        QVERIFY(std::abs(pageRect.width() * 3 - pageRect.height() * 4) <= 4);
        QCOMPARE(FindPreviewWindow(), nullptr);
    }

    void flipsShowTheTwoPagesInTurn() {
        QtDisplayService service;
        Chain c = MakeChain(service);
        QVERIFY(c.back);
        IDisplayDC* dc = nullptr;
        QCOMPARE(c.primary->GetDC(dc), DD_OK);
        dc->SetBkColor(RGB(0, 0, 255));
        dc->SetTextColor(RGB(255, 255, 0));
        QVERIFY(dc->TextOut(0, 0, "Front"));
        QCOMPARE(c.primary->ReleaseDC(dc), DD_OK);

        PreviewWindow* window = FindPreviewWindow();
        QVERIFY(window);
        const QImage* withWord = window->Presented();
        QVERIFY(withWord && WordBox(*withWord).isValid());
        QCOMPARE(c.primary->Flip(nullptr, 0), DD_OK);
        QVERIFY(window->Presented() != withWord);
        QVERIFY(!WordBox(*window->Presented()).isValid());
        QCOMPARE(c.primary->Flip(c.back, 0), DD_OK);
        QCOMPARE(window->Presented(), withWord);
    }

    void aHiddenWindowLosesTheChainUntilRestored() {
        QtDisplayService service;
        Chain c = MakeChain(service);
        QVERIFY(c.primary);
        FindPreviewWindow()->hide();
        QCOMPARE(c.primary->Flip(nullptr, 0), DDERR_SURFACELOST);
        IDisplayDC* dc = nullptr;
        QCOMPARE(c.primary->GetDC(dc), DDERR_SURFACELOST);
        QCOMPARE(c.primary->Restore(), DD_OK);
        QVERIFY(FindPreviewWindow()->isVisible());
        QCOMPARE(c.primary->Flip(nullptr, 0), DD_OK);
    }

    void aModeChangeLosesThePagesUntilRestored() {
        QtDisplayService service;
        Chain c = MakeChain(service);
        QVERIFY(c.primary);
        QCOMPARE(c.display->SetDisplayMode(640, 480, 32), DD_OK);
        QCOMPARE(c.primary->Flip(nullptr, 0), DDERR_SURFACELOST);
        QCOMPARE(c.primary->Restore(), DD_OK);
        QCOMPARE(FindPreviewWindow()->Presented()->size(), QSize(640, 480));
        QCOMPARE(FindPreviewWindow()->Presented()->format(), QImage::Format_RGB32);
    }

    void aHeldDrawingContextKeepsTheChainFromFlipping() {
        QtDisplayService service;
        Chain c = MakeChain(service);
        QVERIFY(c.primary);
        IDisplayDC* dc = nullptr;
        QCOMPARE(c.primary->GetDC(dc), DD_OK);
        IDisplayDC* second = nullptr;
        QCOMPARE(c.primary->GetDC(second), DDERR_SURFACEBUSY);
        QCOMPARE(c.primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
        QCOMPARE(c.primary->ReleaseDC(second), DDERR_INVALIDPARAMS);
        QCOMPARE(c.primary->ReleaseDC(dc), DD_OK);
        QCOMPARE(c.primary->Flip(nullptr, 0), DD_OK);
    }

    void releasingTheDisplayClosesTheWindowAndLosesTheSurfaces() {
        QtDisplayService service;
        Chain c = MakeChain(service);
        QVERIFY(c.primary);
        c.display.reset();
        QCOMPARE(FindPreviewWindow(), nullptr);
        QCOMPARE(c.primary->Flip(nullptr, 0), DDERR_SURFACELOST);
        QCOMPARE(c.primary->Restore(), DDERR_NOEXCLUSIVEMODE);
    }

    void setUpOutOfTurnIsRefused_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expected");
        QTest::newRow("mode without exclusive use") << 0 << DDERR_NOEXCLUSIVEMODE;
        QTest::newRow("flip chain under normal cooperation") << 1 << DDERR_NOEXCLUSIVEMODE;
        QTest::newRow("exclusive without full screen") << 2 << DDERR_INVALIDPARAMS;
        QTest::newRow("unknown depth") << 3 << DDERR_INVALIDMODE;
        QTest::newRow("empty mode") << 4 << DDERR_INVALIDMODE;
        QTest::newRow("description of another size") << 5 << DDERR_INVALIDPARAMS;
        QTest::newRow("two back buffers") << 6 << DDERR_INVALIDPARAMS;
        QTest::newRow("second primary surface") << 7 << DDERR_PRIMARYSURFACEALREADYEXISTS;
        QTest::newRow("front buffer asked for as attached") << 8 << DDERR_NOTFOUND;
    }
    void setUpOutOfTurnIsRefused() {
        QFETCH(int, step);
        QFETCH(int, expected);
        QtDisplayService service;
        std::unique_ptr<IDirectDraw> display;
        QCOMPARE(service.DirectDrawCreate(display), DD_OK);
        std::unique_ptr<IDirectDrawSurface> surface;
        DDSURFACEDESC desc = FlipChainDesc();
        HRESULT r = DD_OK;
        auto exclusive = [&] {
            return display->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        };
        switch (step) {
        case 0:
            r = display->SetDisplayMode(800, 600, 16);
            break;
        case 1:
            QCOMPARE(display->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
            r = display->CreateSurface(desc, surface);
            break;
        case 2:
            r = display->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE);
            break;
        case 3:
            QCOMPARE(exclusive(), DD_OK);
            r = display->SetDisplayMode(800, 600, 8);
            break;
        case 4:
            QCOMPARE(exclusive(), DD_OK);
            r = display->SetDisplayMode(0, 600, 16);
            break;
        case 5:
            QCOMPARE(exclusive(), DD_OK);
            desc.dwSize = 100;
            r = display->CreateSurface(desc, surface);
            break;
        case 6:
            QCOMPARE(exclusive(), DD_OK);
            desc.dwBackBufferCount = 2;
            r = display->CreateSurface(desc, surface);
            break;
        case 7: {
            QCOMPARE(exclusive(), DD_OK);
            QCOMPARE(display->CreateSurface(desc, surface), DD_OK);
            std::unique_ptr<IDirectDrawSurface> second;
            r = display->CreateSurface(desc, second);
            QVERIFY(!second);
            break;
        }
        case 8: {
            QCOMPARE(exclusive(), DD_OK);
            QCOMPARE(display->CreateSurface(desc, surface), DD_OK);
            IDirectDrawSurface* attached = nullptr;
            r = surface->GetAttachedSurface(DDSCAPS{DDSCAPS_PRIMARYSURFACE}, attached);
            QVERIFY(!attached);
            break;
        }
        default:
            QFAIL("no such step");
        }
        QCOMPARE(r, static_cast<HRESULT>(expected));
        if (step != 7 && step != 8)
            QVERIFY(!surface);
    }
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
