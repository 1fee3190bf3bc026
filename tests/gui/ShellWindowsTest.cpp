// Document windows in the main window: Cascade and Tile sizes, which window is active after one
// closes, and the Window menu's list of windows.
#include "ShellTestSupport.h"
#include "app/ViewWidget.h"
#include "formats/TimList.h"
#include "texture/CTimView.h"
#include "texture/TimFiles.h"
#include "texture/TimViewLayout.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

namespace {

const QString kCube = QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd");
const std::string kCubeTim = POLYVANE_SOURCE_DIR "/samples/cube.tim";

// The sample in `windows` windows of a 1000 x 720 main window; the last one is active.
bool OpenWindows(Shell& shell, int windows) {
    if (!shell.Start({kCube}))
        return false;
    shell.Frame().resize(1000, 720);
    shell.Frame().show();
    for (int i = 1; i < windows; ++i)
        if (!shell.Frame().ExecuteCommand(ID_WINDOW_NEW))
            return false;
    QCoreApplication::processEvents();
    return true;
}

// Puts the active window on the texture view of the sample's first textured primitive.
CTimView* ShowTexture(Shell& shell) {
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    std::optional<TimImage> cube = OpenTimFile(kCubeTim);
    if (cube)
        doc.AttachTexture(std::move(*cube));
    else
        return nullptr;
    for (int i = 0; i < 64 && !(doc.CurrentPrimitive() && (doc.CurrentPrimitive()->attr & PA_TEXTURED)); ++i)
        shell.Frame().ExecuteCommand(ID_OBJECT_NEXT_PRIM);
    if (!shell.Frame().ExecuteCommand(ID_TEXTURES_VIEW))
        return nullptr;
    auto* view = dynamic_cast<CTimView*>(shell.Active()->GetActiveView());
    // The first paint fits the window to the texture.
    (void)shell.Active()->ActiveViewWidget()->grab();
    QCoreApplication::processEvents();
    return view;
}

QMenu* WindowMenu(Shell& shell) {
    for (QMenu* menu : shell.Frame().CurrentMenus())
        if (menu->title() == QStringLiteral("&Window"))
            return menu;
    return nullptr;
}

QStringList ListedWindows(Shell& shell, QString* checked = nullptr) {
    QStringList texts;
    for (QAction* action : shell.Frame().WindowListActions()) {
        if (action->isSeparator())
            continue;
        texts << action->text();
        if (checked && action->isChecked())
            *checked = action->text();
    }
    return texts;
}

} // namespace

class ShellWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_settings = std::make_unique<QTemporaryDir>(); }

    void cascadeLeavesEveryWindowAUsableSize() {
        Shell shell(m_settings->path());
        QVERIFY(OpenWindows(shell, 4));
        CTimView* texture = ShowTexture(shell);
        QVERIFY(texture);
        CChildFrame* textureFrame = shell.Active();
        QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_CASCADE));
        QCoreApplication::processEvents();
        const QSize area = shell.Frame().MdiArea()->viewport()->size();
        QSet<int> tops;
        for (QMdiSubWindow* window : shell.Frame().MdiArea()->subWindowList()) {
            auto* frame = qobject_cast<CChildFrame*>(window);
            tops.insert(window->y());
            QVERIFY(window->geometry().bottom() < area.height() && window->geometry().right() < area.width());
            if (frame == textureFrame) {
                const CSize total = texture->GetTotalSize();
                QVERIFY(frame->ActiveViewWidget()->width() >= std::min<int>(total.cx, area.width() - 40));
                QVERIFY(frame->ActiveViewWidget()->height() >= std::min<int>(total.cy, area.height() - 60));
            } else {
                QCOMPARE(window->size(), area * 3 / 4);
            }
        }
        // Each window shows the title bar of the one before.
        QCOMPARE(tops.size(), 4);
    }

    void tiledTextureWindowKeepsItsTile() {
        Shell shell(m_settings->path());
        QVERIFY(OpenWindows(shell, 2));
        QVERIFY(ShowTexture(shell));
        CChildFrame* frame = shell.Active();
        QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_TILE_HORZ));
        QCoreApplication::processEvents();
        const QRect tile = frame->geometry();
        (void)frame->ActiveViewWidget()->grab();
        QCoreApplication::processEvents();
        QCOMPARE(frame->geometry(), tile);
    }

    void closingAWindowActivatesTheOneBelow() {
        Shell shell(m_settings->path());
        QVERIFY(OpenWindows(shell, 3));
        QVERIFY(shell.app->NewDocument());
        const QList<QMdiSubWindow*> windows = shell.Frame().MdiArea()->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(windows.size(), 4);
        // Stacking order from the bottom: cube:1, cube:3, cube:2, then the new document on top.
        shell.Frame().MdiArea()->setActiveSubWindow(windows[2]);
        shell.Frame().MdiArea()->setActiveSubWindow(windows[1]);
        shell.Frame().MdiArea()->setActiveSubWindow(windows[3]);
        struct Step {
            QMdiSubWindow* closing;
            QMdiSubWindow* activeAfter;
        };
        for (const Step& step : {Step{windows[3], windows[1]}, Step{windows[1], windows[2]}}) {
            step.closing->close();
            QCoreApplication::processEvents();
            QCOMPARE(shell.Active(), qobject_cast<CChildFrame*>(step.activeAfter));
            // The document's menus, title and commands are there without a click.
            QVERIFY(shell.Frame().CurrentMenus().size() > 3);
            QVERIFY(shell.Frame().windowTitle().contains(QStringLiteral("cube.tmd")));
            QVERIFY(shell.Frame().Action(ID_FILE_SAVE)->isEnabled());
            QVERIFY(shell.Frame().Action(ID_NEXT_PANE)->isEnabled());
        }
    }

    void theFrameTitleNamesTheDocumentOnceMaximisedOrNot() {
        Shell shell(m_settings->path());
        QVERIFY(shell.Start({kCube}));
        CChildFrame* frame = shell.Active();
        frame->GetDocument().SetModifiedFlag(true);
        for (bool maximised : {false, true, false}) {
            if (maximised)
                frame->showMaximized();
            else
                frame->showNormal();
            QCoreApplication::processEvents();
            shell.Frame().RefreshCommandStates();
            // The title as the window manager shows it, the modified mark put in.
            const QString shown =
                shell.Frame().windowTitle().replace(QStringLiteral("[*]"), QStringLiteral("*"));
            QCOMPARE(shown.count(QStringLiteral("cube.tmd")), 1);
            QVERIFY2(shown.startsWith(QStringLiteral("TMD - ")), qPrintable(shown));
        }
    }

    void windowMenuListsTheWindowsAndActivatesTheChosenOne() {
        Shell shell(m_settings->path());
        QVERIFY(OpenWindows(shell, 3));
        QVERIFY(WindowMenu(shell));
        QString checked;
        QCOMPARE(ListedWindows(shell, &checked),
                 (QStringList{"&1 cube.tmd:1", "&2 cube.tmd:2", "&3 cube.tmd:3"}));
        QCOMPARE(checked, QStringLiteral("&3 cube.tmd:3"));
        for (QAction* action : shell.Frame().WindowListActions())
            QVERIFY(WindowMenu(shell)->actions().contains(action));

        shell.Frame().WindowListActions()[1]->trigger();
        QCOMPARE(shell.Active(), shell.app->Frames(shell.Active()->GetDocument())[0]);
        ListedWindows(shell, &checked);
        QCOMPARE(checked, QStringLiteral("&1 cube.tmd:1"));

        // Nine are listed, the rest behind "More Windows...".
        for (int i = 3; i < 11; ++i)
            QVERIFY(shell.Frame().ExecuteCommand(ID_WINDOW_NEW));
        const QStringList listed = ListedWindows(shell);
        QCOMPARE(listed.size(), 10);
        QCOMPARE(listed[8], QStringLiteral("&9 cube.tmd:9"));
        QCOMPARE(listed[9], QStringLiteral("&More Windows..."));
    }

    void textureCornerDraggedPastTheEdgeStopsAtThePageEdge() {
        Shell shell(m_settings->path());
        QVERIFY(OpenWindows(shell, 1));
        CTimView* texture = ShowTexture(shell);
        QVERIFY(texture);
        ViewWidget* widget = shell.Active()->ActiveViewWidget();
        const WorkPrimitive* prim = shell.Active()->GetDocument().CurrentPrimitive();
        const int scale = texture->m_nScale;
        const CPoint offset = ComposeTimView(shell.Active()->GetDocument(), scale).offset;
        // Corner 0's spot in the window, then a drag to well left of and above the window.
        const CPoint texel{prim->u[0], prim->v[0]};
        const QPoint corner((texel.x - offset.x) * scale + scale / 2,
                            (texel.y - offset.y) * scale + scale / 2);
        const QPoint outside(-5 * scale, -3 * scale);
        QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, corner);
        QMouseEvent move(QEvent::MouseMove, QPointF(outside), QPointF(outside),
                         widget->mapToGlobal(QPointF(outside)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
        QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, outside);
        QVERIFY(prim->u[0] < 128 && prim->v[0] < 128);
        QCOMPARE(static_cast<int>(prim->u[0]), std::max(0, offset.x - 5));
        QCOMPARE(static_cast<int>(prim->v[0]), std::max(0, offset.y - 3));
    }

  private:
    std::unique_ptr<QTemporaryDir> m_settings;
};

QTEST_MAIN(ShellWindowsTest)
#include "ShellWindowsTest.moc"
