// Commands on their way: the routing order, accelerators, check marks of the mode buttons, mouse
// messages reaching the view, and windows of one document.
#include "ShellTestSupport.h"
#include "app/CommandRouting.h"
#include "app/ViewWidget.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// A target that handles one command and notes in `log` that it ran.
class NamedTarget final : public CCmdTarget {
  public:
    NamedTarget(const char* name, unsigned id, QStringList& log) : m_name(name), m_id(id), m_log(log) {}
    bool OnCmdMsg(unsigned id, CCmdUI* update) override {
        if (id != m_id)
            return false;
        if (update)
            update->SetCheck(1);
        else
            m_log.append(QString::fromUtf8(m_name));
        return true;
    }

  private:
    const char* m_name;
    unsigned m_id;
    QStringList& m_log;
};

} // namespace

class ShellCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void routingStopsAtTheFirstTargetThatHandles();
    void commandReachesTheViewBeforeTheDocument();
    void acceleratorsReachTheirCommands_data();
    void acceleratorsReachTheirCommands();
    void modeButtonsCarryOneExclusiveCheck();
    void mouseMessagesReachTheViewWithKeyFlags();
    void viewPaintsOnAnErasedWhiteWindow();
    void newWindowGivesASecondViewWithItsOwnState();
    void switchingToAnUnknownViewChangesNothing();
    void nextPaneCyclesThroughWindows();
    void tileAndCascadeArrangeTheWindows();

  private:
    QTemporaryDir m_settings;
};

void ShellCommandsTest::routingStopsAtTheFirstTargetThatHandles() {
    QStringList log;
    NamedTarget view("view", 1, log), doc("doc", 1, log), frame("frame", 2, log), app("app", 3, log);
    QVERIFY(RouteCommand({&view, &doc, &frame, &app}, 1, nullptr));
    QVERIFY(RouteCommand({nullptr, &doc, &frame, &app}, 1, nullptr));
    QVERIFY(RouteCommand({&view, &doc, &frame, &app}, 3, nullptr));
    QCOMPARE(log, (QStringList{"view", "doc", "app"}));
    CCmdUI unhandled(9);
    QVERIFY(!RouteCommand({&view, &doc, &frame, &app}, 9, &unhandled));
    QVERIFY(!unhandled.m_bEnabled);
    CCmdUI handled(2);
    QVERIFY(RouteCommand({&view, &doc, &frame, &app}, 2, &handled));
    QVERIFY(handled.m_bEnabled);
    QCOMPARE(handled.m_nCheck, 1);
}

void ShellCommandsTest::commandReachesTheViewBeforeTheDocument() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd")}, RecordingViews()));
    RecordingView* view = shell.ActiveRecordingView();
    QVERIFY(view);
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    const auto before = doc.CurrentPrimitiveIndex();
    // The view answers Next Prim here, so the document's own handler must not run.
    QVERIFY(shell.Frame().ExecuteCommand(ID_OBJECT_NEXT_PRIM));
    QCOMPARE(view->commands, std::vector<unsigned>{ID_OBJECT_NEXT_PRIM});
    QCOMPARE(doc.CurrentPrimitiveIndex(), before);
    QVERIFY(shell.Frame().Action(ID_EDIT_COPY)->isEnabled());
}

void ShellCommandsTest::acceleratorsReachTheirCommands_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<unsigned>("id");
    QTest::newRow("Ctrl+C") << QKeySequence(Qt::CTRL | Qt::Key_C) << ID_EDIT_COPY;
    QTest::newRow("Ctrl+Insert") << QKeySequence(Qt::CTRL | Qt::Key_Insert) << ID_EDIT_COPY;
    QTest::newRow("Ctrl+V") << QKeySequence(Qt::CTRL | Qt::Key_V) << ID_EDIT_PASTE;
    QTest::newRow("Shift+Insert") << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << ID_EDIT_PASTE;
    QTest::newRow("Ctrl+X") << QKeySequence(Qt::CTRL | Qt::Key_X) << ID_EDIT_CUT;
    QTest::newRow("Shift+Delete") << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << ID_EDIT_CUT;
    QTest::newRow("Ctrl+Z") << QKeySequence(Qt::CTRL | Qt::Key_Z) << ID_EDIT_UNDO;
    QTest::newRow("Alt+Backspace") << QKeySequence(Qt::ALT | Qt::Key_Backspace) << ID_EDIT_UNDO;
}

void ShellCommandsTest::acceleratorsReachTheirCommands() {
    QFETCH(QKeySequence, keys);
    QFETCH(unsigned, id);
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({}, RecordingViews()));
    shell.Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&shell.Frame()));
    QTest::keySequence(&shell.Frame(), keys);
    QCOMPARE(shell.ActiveRecordingView()->commands, std::vector<unsigned>{id});
}

void ShellCommandsTest::modeButtonsCarryOneExclusiveCheck() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({}, RecordingViews()));
    const unsigned modes[] = {ID_VIEW_WIREFRAME, ID_VIEW_SOLID, ID_VIEW_BLANK, ID_VIEW_OBJECT_TABLE,
                              ID_VIEW_VRAM};
    for (unsigned chosen : modes) {
        // Through the button itself, as the user clicks it, for those on the toolbar.
        QWidget* button = shell.Frame().ToolBar()->widgetForAction(shell.Frame().Action(chosen));
        if (button)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            shell.Frame().Action(chosen)->trigger();
        for (unsigned mode : modes)
            QCOMPARE(shell.Frame().Action(mode)->isChecked(), mode == chosen);
        // Clicking the checked button again keeps it checked.
        if (button) {
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(shell.Frame().Action(chosen)->isChecked());
        }
    }
}

void ShellCommandsTest::mouseMessagesReachTheViewWithKeyFlags() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({}, RecordingViews()));
    ViewWidget* widget = shell.Active()->ActiveViewWidget();
    RecordingView* view = shell.ActiveRecordingView();
    QTest::mousePress(widget, Qt::LeftButton, Qt::ControlModifier, QPoint(10, 20));
    QVERIFY(widget->HasCapture());
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 25), QPointF(30, 25),
                     widget->mapToGlobal(QPointF(30, 25)), Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(widget, &move);
    // A drag may change the document; the window's mark follows when the button comes up.
    shell.Active()->GetDocument().SetModifiedFlag(true);
    QVERIFY(!shell.Active()->isWindowModified());
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::ControlModifier, QPoint(30, 25));
    QVERIFY(!widget->HasCapture());
    QVERIFY(shell.Active()->isWindowModified());
    QTest::mousePress(widget, Qt::RightButton, Qt::ShiftModifier, QPoint(5, 6));
    QTest::mouseRelease(widget, Qt::RightButton, Qt::NoModifier, QPoint(5, 7));

    QStringList got;
    for (const auto& m : view->mouse)
        got.append(QStringLiteral("%1 %2 %3,%4").arg(m.what).arg(m.flags).arg(m.point.x).arg(m.point.y));
    const QStringList expected = {
        "L 9 10,20", // left button (1) with Control (8)
        "M 9 30,25",
        "l 8 30,25", // the button is up when its release arrives
        "R 6 5,6",   // right button (2) with Shift (4)
        "r 0 5,7",
    };
    QCOMPARE(got, expected);
    QCOMPARE(widget->GetClientRect(), (CRect{0, 0, widget->width(), widget->height()}));
}

void ShellCommandsTest::viewPaintsOnAnErasedWhiteWindow() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({}, RecordingViews()));
    ViewWidget* widget = shell.Active()->ActiveViewWidget();
    RecordingView* view = shell.ActiveRecordingView();
    const int before = view->paints;
    const QImage image = widget->grab().toImage();
    QCOMPARE(view->paints, before + 1);
    QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::white));
    // Invalidating through the host asks for a repaint later, not at once.
    view->Invalidate(true);
    QCOMPARE(view->paints, before + 1);
}

void ShellCommandsTest::newWindowGivesASecondViewWithItsOwnState() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({}, RecordingViews()));
    CChildFrame* first = shell.Active();
    shell.ActiveRecordingView()->mode = 2;
    QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_NEW));
    CChildFrame* second = shell.Active();
    QVERIFY(second && second != first);
    QCOMPARE(&second->GetDocument(), &first->GetDocument());
    QCOMPARE(shell.app->FrameCount(first->GetDocument()), 2);
    QCOMPARE(first->GetDocument().GetViews().size(), 2u);
    QCOMPARE(shell.ActiveRecordingView()->mode, 1);
    QVERIFY(shell.Frame().Action(ID_VIEW_WIREFRAME)->isChecked());
    QCOMPARE(first->windowTitle(), QStringLiteral("tmd1:1[*]"));
    QCOMPARE(second->windowTitle(), QStringLiteral("tmd1:2[*]"));

    // Closing one window of the document asks nothing and leaves the other.
    first->GetDocument().SetModifiedFlag(true);
    QVERIFY(second->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(shell.prompts.asked.isEmpty());
    QCOMPARE(shell.app->Documents().size(), 1u);
    QCOMPARE(first->GetDocument().GetViews().size(), 1u);
    QCOMPARE(first->windowTitle(), QStringLiteral("tmd1[*]"));
    QVERIFY(first->isWindowModified());
}

void ShellCommandsTest::switchingToAnUnknownViewChangesNothing() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({}, RecordingViews()));
    CChildFrame* frame = shell.Active();
    CView* before = frame->GetActiveView();
    frame->SwitchView(5);
    QCOMPARE(shell.Messages(), QStringList{"Invalid View ID"});
    QCOMPARE(frame->GetActiveView(), before);
    QCOMPARE(frame->CurrentViewId(), 1);
    QCOMPARE(frame->ActiveViewWidget()->ControlId(), kFirstPaneId);
}

void ShellCommandsTest::nextPaneCyclesThroughWindows() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("tmd2"));
    QVERIFY(shell.Frame().ExecuteCommand(ID_NEXT_PANE));
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("tmd1"));
    QVERIFY(shell.Frame().ExecuteCommand(ID_PREV_PANE));
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("tmd2"));
}

void ShellCommandsTest::tileAndCascadeArrangeTheWindows() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_NEW));
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    const QList<QMdiSubWindow*> windows = shell.Frame().MdiArea()->subWindowList();
    QCOMPARE(windows.size(), 3);
    QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_TILE_HORZ));
    for (int i = 0; i < windows.size(); ++i)
        for (int j = i + 1; j < windows.size(); ++j)
            QVERIFY(!windows[i]->geometry().intersects(windows[j]->geometry()));
    QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_CASCADE));
    for (int i = 1; i < windows.size(); ++i)
        QVERIFY(windows[i - 1]->geometry().intersects(windows[i]->geometry()));

    // Arranging lines the minimised windows up along the bottom, side by side.
    windows[0]->showMinimized();
    windows[1]->showMinimized();
    QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_ARRANGE));
    const int bottom = shell.Frame().MdiArea()->viewport()->height();
    QCOMPARE(windows[0]->geometry().bottom() + 1, bottom);
    QCOMPARE(windows[1]->geometry().bottom() + 1, bottom);
    QVERIFY(!windows[0]->geometry().intersects(windows[1]->geometry()));
}

QTEST_MAIN(ShellCommandsTest)
#include "ShellCommandsTest.moc"
