// The command vocabulary as the user sees it: menus, their items and states with and without a
// document, the toolbar's groups and tooltips, and the status bar's prompts and indicators.
#include "CommandTable.h"
#include "ShellTestSupport.h"
#include "view/ViewModes.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <utility>

using namespace polyvane;
using namespace polyvane::test;

namespace {

// A menu as text: its title, then each item as "text|id|state" with state e (enabled), d (disabled),
// and c when checked; separators as "-".
QStringList Describe(const QList<QMenu*>& menus) {
    QStringList lines;
    for (QMenu* menu : menus) {
        lines.append(menu->title());
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                lines.append(QStringLiteral("-"));
                continue;
            }
            if (!action->isVisible())
                continue;
            QString state = action->isEnabled() ? QStringLiteral("e") : QStringLiteral("d");
            if (action->isChecked())
                state += QLatin1Char('c');
            lines.append(
                QStringLiteral("%1|%2|%3").arg(action->text()).arg(action->data().toUInt()).arg(state));
        }
    }
    return lines;
}

} // namespace

class ShellMenusTest : public QObject {
    Q_OBJECT
  private slots:
    void menusWithoutDocument();
    void menusWithDocument();
    void commandsNobodyHandlesAreDisabled_data();
    void commandsNobodyHandlesAreDisabled();
    void toolbarHasTenGroupsWithTips();
    void toolbarDocksOnAnySide();
    void statusBarShowsReadyThenPrompts();
    void statusBarHasLockIndicators();
    void viewToolbarAndStatusBarToggleAndCheck();

  private:
    QTemporaryDir m_settings;
};

void ShellMenusTest::menusWithoutDocument() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(shell.app->Documents().empty());
    QCOMPARE(shell.Frame().windowTitle(), QStringLiteral("TMD"));
    const QStringList expected = {
        "&File",
        "&New\tCtrl+N|57600|e",
        "&Open...\tCtrl+O|57601|e",
        "&Import...|32820|e",
        "Sc&an...|32824|e",
        "-",
        "Recent File|57616|d",
        "-",
        "E&xit|57665|e",
        "&View",
        "&Toolbar|59392|ec",
        "&Status Bar|59393|ec",
        "&Help",
        "&About polyvane...|57664|e",
    };
    QCOMPARE(Describe(shell.Frame().CurrentMenus()), expected);
}

void ShellMenusTest::menusWithDocument() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    const QStringList lines = Describe(shell.Frame().CurrentMenus());
    // Items whose handlers arrive with the model and the views are left out here; their texts and
    // IDs are checked against the table below.
    const QStringList expectedStates = {
        "&File",
        "&New\tCtrl+N|57600|e",
        "&Open...\tCtrl+O|57601|e",
        "&Close|57602|e",
        "&Save\tCtrl+S|57603|e",
        "Save &As...|57604|e",
        "&Import...|32820|e",
        "&Export...|32821|e",
        "Sc&an...|32824|e",
        "-",
        "Recent File|57616|d",
        "-",
        "E&xit|57665|e",
        "&Edit",
        "&Undo\tCtrl+Z|57643|d",
        "&Redo\tCtrl+Y|57644|d",
        "-",
        "Cu&t\tCtrl+X|57635|d",
    };
    QCOMPARE(lines.mid(0, expectedStates.size()), expectedStates);
    QVERIFY(lines.contains(QStringLiteral("&Toolbar|59392|ec")));
    QVERIFY(lines.contains(QStringLiteral("&Status Bar|59393|ec")));
    QVERIFY(lines.contains(QStringLiteral("Scale &1:1|32806|dc")));
    for (const char* item : {"&New Window|57648|e", "&Cascade|57650|e", "&Tile|57651|e",
                             "&Arrange Icons|57649|e", "&About polyvane...|57664|e"})
        QVERIFY2(lines.contains(QString::fromUtf8(item)), item);

    // Titles, texts, IDs and separators in order, as the document menu has them.
    QStringList shape;
    for (const QString& line : lines)
        shape.append(line.section(QLatin1Char('|'), 0, 1));
    const QStringList expectedShape = {
        "&File",
        "&New\tCtrl+N|57600",
        "&Open...\tCtrl+O|57601",
        "&Close|57602",
        "&Save\tCtrl+S|57603",
        "Save &As...|57604",
        "&Import...|32820",
        "&Export...|32821",
        "Sc&an...|32824",
        "-",
        "Recent File|57616",
        "-",
        "E&xit|57665",
        "&Edit",
        "&Undo\tCtrl+Z|57643",
        "&Redo\tCtrl+Y|57644",
        "-",
        "Cu&t\tCtrl+X|57635",
        "&Copy\tCtrl+C|57634",
        "&Paste\tCtrl+V|57637",
        "-",
        "Pre&ferences...|32850",
        "&View",
        "&Toolbar|59392",
        "&Status Bar|59393",
        "-",
        "&Wireframe|32775",
        "So&lid|32785",
        "Te&xtured|32815",
        "T&IM|32773",
        "&Object Table|32782",
        "-",
        "TIM as &15-bit Words|32870",
        "TIM as &4-bit Pages|32871",
        "TIM as &8-bit Pages|32872",
        "TIM Whole Widt&h|32873",
        "TIM Colour Table from &Primitive|32874",
        "-",
        "Show &Vertex Numbers|32809",
        "&Dither|32816",
        "-",
        "&Fit to Window\tHome|32830",
        "&Object",
        "&Select Primitive|32792",
        "&Next Prim|32793",
        "&Prev Prim|32794",
        "N&ext Object|32800",
        "P&rev Object|32801",
        "&Modify Primitive|32804",
        "Pre&view|32807",
        "S&tats|32810",
        "&Textures",
        "&TIM Manager|32798",
        "&View|32799",
        "&Load Folder...|32817",
        "&Import Image...|32822",
        "Save TIM &As...|32823",
        "&Write Back|32840",
        "Scale &1:1|32806",
        "-",
        "Load Frame-Buffer &Dump...|32877",
        "Save Frame-Buffer D&ump...|32878",
        "Save Frame Buffer as &PNG...|32879",
        "&Export Page as PNG...|32881",
        "&Cut Marked Rectangle as TIM|32880",
        "-",
        "List &Overlaps|32875",
        "Offer Model Update on &Move|32876",
        "&Replace Palette Row...|32882",
        "Too&ls",
        "&Swap X and Z|32811",
        "Flip &X points|32813",
        "Flip &Y points|32812",
        "Flip &Z points|32814",
        "&Window",
        "&New Window|57648",
        "&Cascade|57650",
        "&Tile|57651",
        "&Arrange Icons|57649",
        // The open windows follow, numbered, each without a command ID of its own.
        "-",
        "&1 tmd1|0",
        "&Help",
        "&About polyvane...|57664",
    };
    QCOMPARE(shape, expectedShape);

    // Every item's prompt is the command table's, or for a view mode the mode table's.
    for (QMenu* menu : shell.Frame().CurrentMenus())
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isVisible() &&
                !shell.Frame().WindowListActions().contains(action)) {
                const unsigned id = action->data().toUInt();
                const resources::CommandInfo* info = resources::FindCommand(id);
                const ViewModeEntry* mode = ViewModeOfCommand(id);
                QVERIFY(info || mode);
                const char* prompt = info ? info->prompt : mode->prompt;
                QCOMPARE(action->statusTip(), QString::fromUtf8(prompt ? prompt : ""));
            }
}

void ShellMenusTest::commandsNobodyHandlesAreDisabled_data() {
    QTest::addColumn<unsigned>("id");
    QTest::newRow("Cut") << ID_EDIT_CUT;
    QTest::newRow("Print") << ID_FILE_PRINT;
    QTest::newRow("Scale 1:1") << ID_TEXTURES_SCALE_1_1;
}

void ShellMenusTest::commandsNobodyHandlesAreDisabled() {
    QFETCH(unsigned, id);
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd")}));
    shell.Frame().RefreshCommandStates();
    QVERIFY(!shell.Frame().Action(id)->isEnabled());
    CCmdUI state(id);
    QVERIFY(!shell.Frame().UpdateCommand(state));
    QVERIFY(!state.m_bEnabled);
    // Choosing it anyway does nothing.
    QVERIFY(!shell.Frame().ExecuteCommand(id));
}

void ShellMenusTest::toolbarHasTenGroupsWithTips() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QStringList groups{QString()};
    QStringList tips;
    for (QAction* action : shell.Frame().ToolBar()->actions()) {
        if (action->isSeparator()) {
            groups.append(QString());
            continue;
        }
        groups.last() += QString::number(action->data().toUInt()) + QLatin1Char(' ');
        QVERIFY(!action->icon().isNull());
        tips.append(action->toolTip());
    }
    const QStringList expected = {
        "57600 57601 57603 ",
        "57635 57634 57637 57643 57644 ",
        "57607 ",
        "32775 32785 32815 32797 32782 ",
        "32773 32870 32871 32872 ",
        "32789 32790 32791 32830 ",
        "32794 32793 ",
        "32801 32800 ",
        "32804 ",
        "57664 ",
    };
    QCOMPARE(groups, expected);
    QCOMPARE(tips, (QStringList{"New",
                                "Open",
                                "Save",
                                "Cut",
                                "Copy",
                                "Paste",
                                "Undo",
                                "Redo",
                                "Print",
                                "Wireframe View",
                                "Solid View",
                                "Textured View",
                                "Blank View",
                                "Object Table View",
                                "VRAM View",
                                "15-bit words",
                                "4-bit pages",
                                "8-bit pages",
                                "Front View",
                                "Side View",
                                "Top View",
                                "Fit to Window",
                                "Previous Primitive",
                                "Next Primitive",
                                "Previous Object",
                                "Next Object",
                                "Modify Primitive",
                                "About"}));
    // Images stay sharp on dense screens: a painted icon gives real pixels at twice the size.
    const QPixmap big = shell.Frame().Action(ID_FILE_SAVE)->icon().pixmap(QSize(16, 16), 2.0);
    QCOMPARE(big.size(), QSize(32, 32));
}

void ShellMenusTest::toolbarDocksOnAnySide() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QToolBar* bar = shell.Frame().ToolBar();
    QCOMPARE(bar->allowedAreas(), Qt::AllToolBarAreas);
    QVERIFY(bar->isMovable() && bar->isFloatable());
    QCOMPARE(shell.Frame().toolBarArea(bar), Qt::TopToolBarArea);
    shell.Frame().addToolBar(Qt::LeftToolBarArea, bar);
    QCOMPARE(shell.Frame().toolBarArea(bar), Qt::LeftToolBarArea);
}

void ShellMenusTest::statusBarShowsReadyThenPrompts() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QStatusBar* bar = shell.Frame().statusBar();
    QCOMPARE(shell.Frame().IdleLabel()->text(), QStringLiteral("Ready"));
    QVERIFY(bar->currentMessage().isEmpty());

    // Hovering a menu item shows its prompt; leaving the menu brings "Ready" back.
    QAction* open = shell.Frame().Action(ID_FILE_OPEN);
    open->showStatusText(shell.Frame().menuBar());
    QCOMPARE(bar->currentMessage(), QStringLiteral("Open an existing document"));
    QStatusTipEvent clear{QString()};
    QCoreApplication::sendEvent(&shell.Frame(), &clear);
    QVERIFY(bar->currentMessage().isEmpty());
    QVERIFY(shell.Frame().IdleLabel()->isVisibleTo(&shell.Frame()));

    // A toolbar button under the mouse shows its prompt.
    QWidget* button = shell.Frame().ToolBar()->widgetForAction(shell.Frame().Action(ID_OBJECT_NEXT_PRIM));
    QVERIFY(button);
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(button, &enter);
    QCOMPARE(bar->currentMessage(), QStringLiteral("Next Primitive"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    QVERIFY(bar->currentMessage().isEmpty());
}

void ShellMenusTest::statusBarHasLockIndicators() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    const QStringList names = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        QLabel* indicator = shell.Frame().Indicator(i);
        QCOMPARE(indicator->objectName(), names[i]);
        const bool wasOn = !indicator->text().isEmpty();
        const Qt::Key key = i == 0 ? Qt::Key_CapsLock : i == 1 ? Qt::Key_NumLock : Qt::Key_ScrollLock;
        QTest::keyClick(&shell.Frame(), key);
        QCOMPARE(indicator->text(), wasOn ? QString() : names[i]);
        QTest::keyClick(&shell.Frame(), key);
        QCOMPARE(indicator->text().isEmpty(), !wasOn);
    }
}

void ShellMenusTest::viewToolbarAndStatusBarToggleAndCheck() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    CMainFrame& frame = shell.Frame();
    QVERIFY(frame.Action(ID_VIEW_TOOLBAR)->isChecked());
    QVERIFY(frame.ExecuteCommand(ID_VIEW_TOOLBAR));
    QVERIFY(!frame.ToolBar()->isVisible());
    QVERIFY(!frame.Action(ID_VIEW_TOOLBAR)->isChecked());
    QVERIFY(frame.ExecuteCommand(ID_VIEW_STATUS_BAR));
    QVERIFY(!frame.statusBar()->isVisible());
    QVERIFY(!frame.Action(ID_VIEW_STATUS_BAR)->isChecked());
    QVERIFY(frame.ExecuteCommand(ID_VIEW_TOOLBAR));
    QVERIFY(frame.ToolBar()->isVisible());
    QVERIFY(frame.Action(ID_VIEW_TOOLBAR)->isChecked());
}

QTEST_MAIN(ShellMenusTest)
#include "ShellMenusTest.moc"
