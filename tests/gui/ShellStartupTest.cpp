// Start-up of the editor: with no file, with a file, with files that cannot be opened, and the
// opening of the same file twice.
#include "ShellTestSupport.h"
#include "app/CAboutDlg.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

namespace {
const QString kCube = QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd");
}

class ShellStartupTest : public QObject {
    Q_OBJECT
  private slots:
    void startsWithNewDocumentTitledTmd1();
    void newDocumentsAreNumberedInOrder();
    void opensTheFileGivenOnTheCommandLine();
    void startupEndsWhenTheFileCannotBeOpened_data();
    void startupEndsWhenTheFileCannotBeOpened();
    void sameFileIsNotOpenedTwice();
    void aboutBoxCarriesVersionAndNote();

  private:
    QTemporaryDir m_settings;
};

void ShellStartupTest::startsWithNewDocumentTitledTmd1() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QCOMPARE(shell.app->Documents().size(), 1u);
    CChildFrame* frame = shell.Active();
    QVERIFY(frame);
    QCOMPARE(QString::fromStdString(frame->GetDocument().GetTitle()), QStringLiteral("tmd1"));
    QCOMPARE(frame->windowTitle(), QStringLiteral("tmd1[*]"));
    QVERIFY(!frame->isWindowModified());
    QCOMPARE(frame->CurrentViewId(), 1);
    QVERIFY(frame->GetActiveView());
    QCOMPARE(frame->GetActiveView()->GetDocument(), &frame->GetDocument());
    QCOMPARE(shell.Frame().windowTitle(), QStringLiteral("TMD - tmd1[*]"));
    QCOMPARE(shell.Frame().CurrentMenus().size(), 8);
    QVERIFY(shell.Messages().isEmpty());
}

void ShellStartupTest::newDocumentsAreNumberedInOrder() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    QStringList titles;
    for (CPolyvaneDoc* doc : shell.app->Documents())
        titles.append(QString::fromStdString(doc->GetTitle()));
    QCOMPARE(titles, (QStringList{"tmd1", "tmd2", "tmd3"}));
    QCOMPARE(shell.Frame().MdiArea()->subWindowList().size(), 3);
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("tmd3"));
}

void ShellStartupTest::opensTheFileGivenOnTheCommandLine() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({kCube}));
    QCOMPARE(shell.app->Documents().size(), 1u);
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    QCOMPARE(QString::fromStdString(doc.GetTitle()), QStringLiteral("cube.tmd"));
    QCOMPARE(QString::fromStdString(doc.GetPathName()), QFileInfo(kCube).absoluteFilePath());
    QVERIFY(doc.ObjectCount() > 0);
    QCOMPARE(shell.app->RecentFiles().Entries().value(0), QFileInfo(kCube).absoluteFilePath());
    QVERIFY(shell.Messages().isEmpty());
}

void ShellStartupTest::startupEndsWhenTheFileCannotBeOpened_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("missing.tmd")
                                  << QStringList{"Could not open file"};
    QTest::newRow("bad header") << QByteArray(12, '\0') << QStringLiteral("zero.tmd")
                                << QStringList{"Bad TMD file header"};
    QTest::newRow("unknown extension")
        << QByteArray("data") << QStringLiteral("model.xyz") << QStringList{"Could not open file"};
}

void ShellStartupTest::startupEndsWhenTheFileCannotBeOpened() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QStringList, messages);
    QTemporaryDir files;
    const QString path = files.filePath(name);
    if (!bytes.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    Shell shell(m_settings.path());
    QVERIFY(!shell.Start({path}));
    QCOMPARE(shell.Messages(), messages);
    QVERIFY(shell.app->Documents().empty());
    QVERIFY(!shell.app->RecentFiles().Entries().contains(QFileInfo(path).absoluteFilePath()));
}

void ShellStartupTest::sameFileIsNotOpenedTwice() {
    QTemporaryDir files;
    QVERIFY(QFile::link(kCube, files.filePath(QStringLiteral("link.tmd"))));
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({kCube}));
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("tmd1"));

    CPolyvaneDoc* again =
        shell.app->OpenDocumentFile(QStringLiteral(POLYVANE_SOURCE_DIR "/samples/../samples/cube.tmd"));
    CPolyvaneDoc* throughLink = shell.app->OpenDocumentFile(files.filePath(QStringLiteral("link.tmd")));
    QCOMPARE(shell.app->Documents().size(), 2u);
    QCOMPARE(again, shell.app->Documents().front());
    QCOMPARE(throughLink, again);
    // The window already showing the file comes to the front.
    QCOMPARE(&shell.Active()->GetDocument(), again);
}

void ShellStartupTest::aboutBoxCarriesVersionAndNote() {
    CAboutDlg dialog;
    QVERIFY(CAboutDlg::VersionLine().contains(QStringLiteral("0.0")));
    QVERIFY(CAboutDlg::VersionLine().contains(QStringLiteral("alpha")));
    const auto* note = dialog.findChild<QLabel*>(QStringLiteral("note"));
    QVERIFY(note);
    QCOMPARE(note->text(),
             QStringLiteral("This tool is currently still in production, so expect limitations and bugs."));
    const auto* ok = dialog.findChild<QPushButton*>();
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    // The button sits right of the texts, the note below them, as the template places them.
    QVERIFY(ok->geometry().left() > dialog.findChild<QLabel*>(QStringLiteral("version"))->geometry().left());
    QVERIFY(note->geometry().top() > ok->geometry().bottom());
}

QTEST_MAIN(ShellStartupTest)
#include "ShellStartupTest.moc"
