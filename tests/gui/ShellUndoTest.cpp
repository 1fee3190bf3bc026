// Edit, Undo and Redo in the real application: their names and states, the shortcuts, and the window's
// modified mark following the history.
#include "ShellTestSupport.h"

#include <QAction>
#include <QFile>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

class ShellUndoTest : public QObject {
    Q_OBJECT

  private slots:
    void menuItemsNameTheStepAndAreDisabledWithNone();
    void shortcutsUndoAndRedoAndTheMarkFollowsTheSavedState();
    void thePreferencesBoundEveryDocumentsHistoryAndAreKept();

  private:
    QTemporaryDir m_settings;
};

namespace {

// The item's text without its access key and accelerator.
QString Label(QAction* action) {
    return action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
}

} // namespace

void ShellUndoTest::menuItemsNameTheStepAndAreDisabledWithNone() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd")}));
    CMainFrame& frame = shell.Frame();
    QAction* undo = frame.Action(ID_EDIT_UNDO);
    QAction* redo = frame.Action(ID_EDIT_REDO);
    QVERIFY(undo && redo);
    const struct {
        unsigned command;
        QString undoLabel;
        bool undoEnabled;
        QString redoLabel;
        bool redoEnabled;
    } steps[] = {
        {0, "Undo", false, "Redo", false},
        {ID_TOOLS_FLIP_X, "Undo Flip X", true, "Redo", false},
        {ID_EDIT_PASTE, "Undo Paste", true, "Redo", false},
        {ID_OBJECT_NEXT_PRIM, "Undo Paste", true, "Redo", false}, // navigation is no step
        {ID_EDIT_UNDO, "Undo Flip X", true, "Redo Paste", true},
        {ID_EDIT_UNDO, "Undo", false, "Redo Flip X", true},
        {ID_EDIT_REDO, "Undo Flip X", true, "Redo Paste", true},
        {ID_TOOLS_SWAP_XZ, "Undo Swap X and Z", true, "Redo", false},
    };
    for (const auto& s : steps) {
        if (s.command)
            QVERIFY(frame.ExecuteCommand(s.command));
        frame.RefreshCommandStates();
        QCOMPARE(Label(undo), s.undoLabel);
        QCOMPARE(undo->isEnabled(), s.undoEnabled);
        QCOMPARE(Label(redo), s.redoLabel);
        QCOMPARE(redo->isEnabled(), s.redoEnabled);
    }
    // The accelerator stays with the item whatever its name.
    QVERIFY(undo->text().contains(QLatin1String("\tCtrl+Z")));
}

void ShellUndoTest::shortcutsUndoAndRedoAndTheMarkFollowsTheSavedState() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cube.tmd"));
    QVERIFY(QFile::copy(QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd"), path));
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({path}));
    CMainFrame& frame = shell.Frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    const double x = doc.Records()[0].x[0];

    QVERIFY(frame.ExecuteCommand(ID_TOOLS_FLIP_X));
    QVERIFY(frame.ExecuteCommand(ID_FILE_SAVE));
    QVERIFY(!shell.Active()->isWindowModified());
    QVERIFY(frame.ExecuteCommand(ID_TOOLS_FLIP_Y));
    frame.RefreshCommandStates();
    QVERIFY(shell.Active()->isWindowModified());

    QTest::keySequence(&frame, QKeySequence(Qt::CTRL | Qt::Key_Z));
    frame.RefreshCommandStates();
    QVERIFY(!shell.Active()->isWindowModified()); // back at the saved state
    QCOMPARE(doc.Records()[0].x[0], -x);
    QTest::keySequence(&frame, QKeySequence(Qt::CTRL | Qt::Key_Z));
    frame.RefreshCommandStates();
    QCOMPARE(doc.Records()[0].x[0], x);
    QVERIFY(shell.Active()->isWindowModified()); // before the saved state
    QTest::keySequence(&frame, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QTest::keySequence(&frame, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    frame.RefreshCommandStates();
    QCOMPARE(doc.History().RedoNames(), std::vector<std::string>{});
    QVERIFY(shell.Active()->isWindowModified());
    shell.prompts.saveAnswers.push_back(SaveAnswer::no);
}

void ShellUndoTest::thePreferencesBoundEveryDocumentsHistoryAndAreKept() {
    QTemporaryDir settings;
    constexpr std::size_t k64MiB = std::size_t{64} << 20;
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    CPolyvaneDoc& open = shell.Active()->GetDocument();
    QCOMPARE(open.History().ByteLimit(), UndoHistory::kDefaultByteLimit);
    shell.prompts.preferences = Preferences{64};
    QVERIFY(shell.Frame().ExecuteCommand(ID_EDIT_PREFERENCES));
    QCOMPARE(open.History().ByteLimit(), k64MiB);
    QVERIFY(shell.app->NewDocument());
    QCOMPARE(shell.Active()->GetDocument().History().ByteLimit(), k64MiB);
    // Cancelled, the dialog changes nothing.
    shell.prompts.preferences.reset();
    QVERIFY(shell.Frame().ExecuteCommand(ID_EDIT_PREFERENCES));
    QCOMPARE(open.History().ByteLimit(), k64MiB);
    shell.Stop();

    Shell restarted(settings.path());
    QVERIFY(restarted.Start());
    QCOMPARE(restarted.Active()->GetDocument().History().ByteLimit(), k64MiB);
}

QTEST_MAIN(ShellUndoTest)
#include "ShellUndoTest.moc"
