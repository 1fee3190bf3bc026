// The application's own views in real windows: the model view painted and turned with the mouse,
// its modes, and Textures, View putting the texture view in its place in the same window.
#include "ShellTestSupport.h"
#include "ViewIds.h"
#include "app/ViewWidget.h"
#include "texture/CTimView.h"
#include "texture/TimFiles.h"
#include "view/CPolyvaneView.h"

#include <QMdiArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

namespace {

const QString kCube = QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd");
const std::string kCubeTim = POLYVANE_SOURCE_DIR "/samples/cube.tim";

int NonWhitePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != QColor(Qt::white).rgb())
                ++count;
    return count;
}

CPolyvaneView* ModelView(CChildFrame* frame) {
    return frame ? dynamic_cast<CPolyvaneView*>(frame->GetActiveView()) : nullptr;
}

void Drag(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint from, QPoint to) {
    QTest::mousePress(widget, button, modifiers, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(to), widget->mapToGlobal(QPointF(to)),
                     Qt::NoButton, button, modifiers);
    QCoreApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, button, modifiers, to);
}

// Starts the application on the sample in a 500 x 400 window showing its model view.
bool OpenSample(Shell& shell, CPolyvaneView*& view, ViewWidget*& widget) {
    if (!shell.Start({kCube}))
        return false;
    view = ModelView(shell.Active());
    widget = shell.Active()->ActiveViewWidget();
    shell.Active()->resize(500, 400);
    return view && widget;
}

// Steps the document to its first textured primitive; false when it has none.
bool SelectTexturedPrimitive(Shell& shell) {
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    for (int i = 0; i < 64; ++i) {
        if (doc.CurrentPrimitive() && (doc.CurrentPrimitive()->attr & PA_TEXTURED))
            return true;
        shell.Frame().ExecuteCommand(ID_OBJECT_NEXT_PRIM);
    }
    return false;
}

} // namespace

class ShellViewsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_settings = std::make_unique<QTemporaryDir>(); }
    void modelViewPaintsTheSampleAndTurnsWithTheMouse();
    void modeCommandsChangeWhatIsPainted();
    void texturesViewReplacesTheModelViewInTheSameWindow();
    void textureViewShowsTheTextureAndScrolls();

  private:
    std::unique_ptr<QTemporaryDir> m_settings;
};

void ShellViewsTest::modelViewPaintsTheSampleAndTurnsWithTheMouse() {
    Shell shell(m_settings->path());
    CPolyvaneView* view = nullptr;
    ViewWidget* widget = nullptr;
    QVERIFY(OpenSample(shell, view, widget));
    const QImage before = widget->grab().toImage();
    QVERIFY(NonWhitePixels(before) > 100);

    // Left drag turns about X and Y; Control turns about Z; the right button moves nearer/farther.
    Drag(widget, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100), QPoint(130, 80));
    QVERIFY(view->m_angleY != 0.0 || view->m_angleX != 0.0);
    QCOMPARE(view->m_angleZ, 0.0);
    QVERIFY(!widget->HasCapture());
    const QImage turned = widget->grab().toImage();
    QVERIFY(turned != before);

    Drag(widget, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 100), QPoint(140, 100));
    QVERIFY(view->m_angleZ != 0.0);
    const double distance = view->m_distance;
    Drag(widget, Qt::RightButton, Qt::NoModifier, QPoint(100, 100), QPoint(100, 150));
    QVERIFY(view->m_distance != distance);
    // Turning the view is not an edit.
    QVERIFY(!shell.Active()->GetDocument().IsModified());
    QVERIFY(!shell.Active()->isWindowModified());
}

void ShellViewsTest::modeCommandsChangeWhatIsPainted() {
    Shell shell(m_settings->path());
    CPolyvaneView* view = nullptr;
    ViewWidget* widget = nullptr;
    QVERIFY(OpenSample(shell, view, widget));
    const int wireframe = NonWhitePixels(widget->grab().toImage());

    QVERIFY(shell.Frame().ExecuteCommand(ID_VIEW_SOLID));
    QCOMPARE(view->m_viewMode, VM_SOLID);
    QVERIFY(shell.Frame().Action(ID_VIEW_SOLID)->isChecked());
    QVERIFY(!shell.Frame().Action(ID_VIEW_WIREFRAME)->isChecked());
    // White faces drawn back to front hide the edges behind them.
    const int solid = NonWhitePixels(widget->grab().toImage());
    QVERIFY(solid > 0);
    QVERIFY(solid < wireframe);

    QVERIFY(shell.Frame().ExecuteCommand(ID_VIEW_BLANK));
    QCOMPARE(NonWhitePixels(widget->grab().toImage()), 0);
}

void ShellViewsTest::texturesViewReplacesTheModelViewInTheSameWindow() {
    Shell shell(m_settings->path());
    QVERIFY(shell.Start({kCube}));
    CChildFrame* frame = shell.Active();
    CPolyvaneView* model = ModelView(frame);
    QVERIFY(model);
    model->m_angleY = 0.5;
    const int windows = shell.Frame().MdiArea()->subWindowList().size();

    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_VIEW));
    QCOMPARE(shell.Active(), frame);
    QCOMPARE(shell.Frame().MdiArea()->subWindowList().size(), windows);
    auto* texture = dynamic_cast<CTimView*>(frame->GetActiveView());
    QVERIFY(texture);
    QCOMPARE(frame->CurrentViewId(), kTextureViewId);
    QCOMPARE(frame->ActiveViewWidget()->ControlId(), kFirstPaneId);
    QCOMPARE(&texture->GetDocument()->Header(), &frame->GetDocument().Header());
    // The model view stays in the window, hidden, under its own ID and with its state.
    ViewWidget* hidden = frame->FindView(kModelViewId);
    QVERIFY(hidden);
    QCOMPARE(&hidden->View(), static_cast<CView*>(model));
    QVERIFY(!hidden->isVisible());
    QCOMPARE(model->m_angleY, 0.5);
    QCOMPARE(frame->GetDocument().GetViews().size(), 2u);
    // Without textures the view says so in its window.
    QVERIFY(NonWhitePixels(frame->ActiveViewWidget()->grab().toImage()) > 0);

    // The menu item is checked while the texture view shows; the command again brings back the
    // model view with its angles.
    shell.Frame().RefreshCommandStates();
    QVERIFY(shell.Frame().Action(ID_TEXTURES_VIEW)->isChecked());
    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_VIEW));
    QCOMPARE(frame->GetActiveView(), static_cast<CView*>(model));
    QCOMPARE(frame->CurrentViewId(), kModelViewId);
    QCOMPARE(model->m_angleY, 0.5);
    shell.Frame().RefreshCommandStates();
    QVERIFY(!shell.Frame().Action(ID_TEXTURES_VIEW)->isChecked());
    QVERIFY(shell.Messages().isEmpty());

    // A new window on the document starts with a model view of its own.
    QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_NEW));
    CChildFrame* second = shell.Active();
    QVERIFY(second != frame);
    CPolyvaneView* secondModel = ModelView(second);
    QVERIFY(secondModel);
    QVERIFY(secondModel != model);
    QCOMPARE(secondModel->m_angleY, 0.0);
    QCOMPARE(second->CurrentViewId(), kModelViewId);
}

void ShellViewsTest::textureViewShowsTheTextureAndScrolls() {
    Shell shell(m_settings->path());
    QVERIFY(shell.Start({kCube}));
    QVERIFY(SelectTexturedPrimitive(shell));
    CChildFrame* frame = shell.Active();
    CPolyvaneDoc& doc = frame->GetDocument();
    std::optional<TimImage> cube = OpenTimFile(kCubeTim);
    QVERIFY(cube);
    doc.AttachTexture(std::move(*cube));
    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_VIEW));
    ViewWidget* widget = frame->ActiveViewWidget();
    auto* texture = dynamic_cast<CTimView*>(&widget->View());
    QVERIFY(texture);

    // A window smaller than the magnified texture scrolls over it.
    frame->resize(160, 160);
    QCoreApplication::processEvents();
    const QImage top = widget->grab().toImage();
    QScrollBar* bar = widget->VerticalScrollBar()->isVisible() ? widget->VerticalScrollBar()
                                                               : widget->HorizontalScrollBar();
    bar->setValue(bar->maximum());
    QVERIFY(bar->value() > 0);
    const CPoint position = widget->GetScrollPosition();
    QVERIFY(position.x > 0 || position.y > 0);
    QCOMPARE(texture->ClientToLogical(CPoint{0, 0}), position);
    QVERIFY(widget->grab().toImage() != top);

    // The wheel scrolls down; a sideways wheel scrolls across.
    QScrollBar* across = widget->HorizontalScrollBar();
    QScrollBar* down = widget->VerticalScrollBar();
    QVERIFY(across->isVisible() && down->isVisible());
    across->setValue(0);
    down->setValue(0);
    const auto wheel = [widget](QPoint delta) {
        QWheelEvent event(QPointF(20, 20), widget->mapToGlobal(QPointF(20, 20)), QPoint(), delta,
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget, &event);
    };
    wheel(QPoint(0, -120));
    QVERIFY(down->value() > 0);
    QCOMPARE(across->value(), 0);
    wheel(QPoint(-120, 0));
    QVERIFY(across->value() > 0);

    // A window the user (or Tile) makes larger than the texture keeps its size after painting.
    QCoreApplication::processEvents();
    frame->resize(900, 700);
    QCoreApplication::processEvents();
    (void)widget->grab();
    QCoreApplication::processEvents();
    QCOMPARE(frame->size(), QSize(900, 700));
    QVERIFY(!widget->HorizontalScrollBar()->isVisible());
    QVERIFY(!widget->VerticalScrollBar()->isVisible());
}

QTEST_MAIN(ShellViewsTest)
#include "ShellViewsTest.moc"
