// Files: the recently-used list, saving and the questions before closing, dropped files and files
// handed over by a later start of the program.
#include "ShellTestSupport.h"
#include "app/InstanceChannel.h"

#include <QFile>
#include <QMdiArea>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include <thread>

using namespace polyvane;
using namespace polyvane::test;

namespace {

const QString kCube = QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd");

// Copies the sample under `count` distinct names in `dir`.
QStringList SampleCopies(const QTemporaryDir& dir, int count) {
    QStringList paths;
    for (int i = 1; i <= count; ++i) {
        const QString path = dir.filePath(QStringLiteral("model%1.tmd").arg(i));
        QFile::copy(kCube, path);
        paths.append(path);
    }
    return paths;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Copies the sample into the subdirectory `name` of `dir` and gives its path.
QString SampleInSubdirectory(const QTemporaryDir& dir, const QString& name) {
    QDir(dir.path()).mkdir(name);
    const QString path = dir.filePath(name + QStringLiteral("/model1.tmd"));
    QFile::copy(kCube, path);
    return path;
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ShellFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void recentListPushesOutItsOldestAndSurvivesRestart();
    void recentFileCommandOpensItsEntry();
    void openCommandUsesTheChosenPath();
    void closingModifiedDocumentAsks_data();
    void closingModifiedDocumentAsks();
    void failedSaveKeepsFileAndModifiedMark();
    void savedModelReadsBack();
    void saveAsSuggestsTmdName();
    void saveReplacesTheFileAndClearsTheMark();
    void importedModelIsSavedUnderATmdName();
    void answeringYesSavesAndCloses();
    void exitAsksForEveryModifiedDocument();
    void droppedFilesAreOpened();
    void filesFromALaterStartAreHandedOver();

  private:
    QTemporaryDir m_files;
};

void ShellFilesTest::recentListPushesOutItsOldestAndSurvivesRestart() {
    QTemporaryDir settings;
    const QStringList paths = SampleCopies(m_files, 7);
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    for (const QString& path : paths)
        QVERIFY(shell.app->OpenDocumentFile(path));
    QStringList newestFirst;
    for (int i = 6; i >= 1; --i)
        newestFirst.append(QFileInfo(paths[i]).absoluteFilePath());
    QCOMPARE(shell.app->RecentFiles().Entries(), newestFirst);
    shell.Frame().RefreshCommandStates();
    QCOMPARE(shell.Frame().Action(ID_FILE_MRU_FILE1)->text(),
             QStringLiteral("&1 ") + QDir::toNativeSeparators(newestFirst[0]));
    QVERIFY(shell.Frame().Action(ID_FILE_MRU_FILE1 + 5)->isVisible());
    QVERIFY(shell.Frame().Action(ID_FILE_MRU_FILE1 + 5)->isEnabled());
    shell.Stop();

    Shell restarted(settings.path());
    QVERIFY(restarted.Start());
    QCOMPARE(restarted.app->RecentFiles().Entries(), newestFirst);
    // Opening an entry again moves it to the front without repeating it.
    QVERIFY(restarted.app->OpenDocumentFile(paths[3]));
    QCOMPARE(restarted.app->RecentFiles().Entries().size(), 6);
    QCOMPARE(restarted.app->RecentFiles().Entries().front(), QFileInfo(paths[3]).absoluteFilePath());
}

void ShellFilesTest::recentFileCommandOpensItsEntry() {
    QTemporaryDir settings;
    const QStringList paths = SampleCopies(m_files, 2);
    {
        Shell shell(settings.path());
        QVERIFY(shell.Start({paths[0]}));
        QVERIFY(shell.app->OpenDocumentFile(paths[1]));
    }
    QFile::remove(paths[1]);
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_MRU_FILE1 + 1));
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetPathName()),
             QFileInfo(paths[0]).absoluteFilePath());
    // An entry whose file is gone shows why and leaves the list.
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_MRU_FILE1 + 1));
    QCOMPARE(shell.Messages(), QStringList{"Could not open file"});
    QCOMPARE(shell.app->RecentFiles().Entries(), QStringList{QFileInfo(paths[0]).absoluteFilePath()});
    QVERIFY(!shell.Frame().Action(ID_FILE_MRU_FILE1 + 1)->isVisible());
}

void ShellFilesTest::openCommandUsesTheChosenPath() {
    QTemporaryDir settings;
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    shell.prompts.openPaths = QStringList{kCube};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_OPEN));
    QCOMPARE(shell.app->Documents().size(), 2u);
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("cube.tmd"));
    // Cancelling the dialog opens nothing.
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_OPEN));
    QCOMPARE(shell.app->Documents().size(), 2u);
}

void ShellFilesTest::closingModifiedDocumentAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("cancel keeps it") << static_cast<int>(SaveAnswer::cancel) << false << QStringList{};
    QTest::newRow("no closes it") << static_cast<int>(SaveAnswer::no) << true << QStringList{};
    // A failed save (the file's folder has gone) keeps the window open.
    QTest::newRow("yes with a failed save keeps it")
        << static_cast<int>(SaveAnswer::yes) << false << QStringList{"Could not save file"};
}

void ShellFilesTest::closingModifiedDocumentAsks() {
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(QStringList, messages);
    QTemporaryDir settings, dir;
    const QString path = SampleInSubdirectory(dir, QStringLiteral("gone"));
    Shell shell(settings.path());
    QVERIFY(shell.Start({path}));
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("gone"), QStringLiteral("moved")));
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    doc.SetModifiedFlag(true);
    shell.Frame().RefreshCommandStates();
    QVERIFY(shell.Active()->isWindowModified());
    QCOMPARE(shell.Frame().windowTitle(), QStringLiteral("TMD - model1.tmd[*]"));

    shell.prompts.saveAnswers = {static_cast<SaveAnswer>(answer)};
    shell.Frame().ExecuteCommand(ID_FILE_CLOSE);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(shell.prompts.asked, QStringList{"model1.tmd"});
    QCOMPARE(shell.app->Documents().empty(), closed);
    QCOMPARE(shell.Messages(), messages);
    if (!closed)
        QVERIFY(shell.app->Documents().front()->IsModified());

    // The window's own close button asks the same.
    if (!closed) {
        shell.prompts.saveAnswers = {SaveAnswer::no};
        QVERIFY(shell.Active()->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(shell.app->Documents().empty());
        QCOMPARE(shell.prompts.asked.size(), 2);
    }
}

void ShellFilesTest::failedSaveKeepsFileAndModifiedMark() {
    // The file's folder is renamed while the document is open: the save cannot make its temporary
    // file beside the target, says so once, and leaves the file and the modified mark as they were.
    QTemporaryDir settings, dir;
    const QString path = SampleInSubdirectory(dir, QStringLiteral("gone"));
    const QByteArray original = Contents(path);
    Shell shell(settings.path());
    QVERIFY(shell.Start({path}));
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("gone"), QStringLiteral("moved")));
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    QVERIFY(shell.Frame().ExecuteCommand(ID_TOOLS_FLIP_X));
    QVERIFY(doc.IsModified());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE));
    QCOMPARE(shell.Messages(), QStringList{"Could not save file"});
    QVERIFY(doc.IsModified());
    QVERIFY(shell.Active()->isWindowModified());
    const QString moved = dir.filePath(QStringLiteral("moved/model1.tmd"));
    QCOMPARE(Contents(moved), original);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("moved"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{"model1.tmd"});
    QVERIFY(!QFile::exists(path));
}

void ShellFilesTest::savedModelReadsBack() {
    // A real model through Save: the file is replaced by the writer's bytes, which open again as the
    // edited model, and nothing is left beside it.
    QTemporaryDir settings, dir;
    const QString path = SampleInSubdirectory(dir, QStringLiteral("models"));
    const QByteArray original = Contents(path);
    Shell shell(settings.path());
    QVERIFY(shell.Start({path}));
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    QVERIFY(shell.Frame().ExecuteCommand(ID_TOOLS_FLIP_X));
    QVERIFY(doc.IsModified());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE));
    QVERIFY(shell.Messages().isEmpty());
    QVERIFY(!doc.IsModified());
    QVERIFY(!shell.Active()->isWindowModified());
    const QByteArray saved = Contents(path);
    QVERIFY(!saved.isEmpty());
    QVERIFY(saved != original);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("models"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{"model1.tmd"});
    // The saved file opens again as the edited model: as many objects, the first one mirrored in X.
    CPolyvaneDoc sample, reopened;
    QVERIFY(sample.OnOpenDocument(kCube.toStdString()));
    QVERIFY(reopened.OnOpenDocument(path.toStdString()));
    QCOMPARE(reopened.ObjectCount(), doc.ObjectCount());
    QVERIFY(sample.CurrentPrimitive() && reopened.CurrentPrimitive());
    QVERIFY(sample.CurrentPrimitive()->x[0] != 0.0);
    QCOMPARE(reopened.CurrentPrimitive()->x[0], -sample.CurrentPrimitive()->x[0]);
    QCOMPARE(reopened.CurrentPrimitive()->y[0], sample.CurrentPrimitive()->y[0]);
}

void ShellFilesTest::saveAsSuggestsTmdName() {
    QTemporaryDir settings;
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    // A new document: Save asks for a name, suggesting its title; cancelling saves nothing.
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE));
    QCOMPARE(shell.prompts.suggested, QStringList{"tmd1.tmd"});
    QVERIFY(shell.Messages().isEmpty());
    // A name without extension gets ".tmd".
    const QString target = m_files.filePath(QStringLiteral("named"));
    shell.prompts.savePaths = QStringList{target};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE_AS));
    QVERIFY(shell.Messages().isEmpty());
    QVERIFY(QFile::exists(target + QStringLiteral(".tmd")));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(shell.Active()->windowTitle(), QStringLiteral("named.tmd[*]"));
    QVERIFY(!shell.Active()->isWindowModified());
    // A folder that does not exist: the save fails and says so once.
    shell.prompts.savePaths = QStringList{m_files.filePath(QStringLiteral("missing/other.tmd"))};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE_AS));
    QCOMPARE(shell.Messages(), QStringList{"Could not save file"});
}

void ShellFilesTest::saveReplacesTheFileAndClearsTheMark() {
    QTemporaryDir settings, dir;
    const QString path = dir.filePath(QStringLiteral("plain.tmd"));
    QVERIFY(WriteFile(path, "old contents"));
    Shell shell(settings.path());
    QVERIFY(shell.Start({path}, {}, PlainDocs()));
    shell.Active()->GetDocument().SetModifiedFlag(true);
    shell.Frame().RefreshCommandStates();
    QCOMPARE(shell.Frame().windowTitle(), QStringLiteral("TMD - plain.tmd[*]"));
    QVERIFY(shell.Frame().isWindowModified());

    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE));
    QVERIFY(shell.Messages().isEmpty());
    QVERIFY(shell.prompts.suggested.isEmpty());
    QCOMPARE(Contents(path), QByteArray(PlainDoc::kSaved));
    QVERIFY(!shell.Active()->GetDocument().IsModified());
    QVERIFY(!shell.Active()->isWindowModified());
    QVERIFY(!shell.Frame().isWindowModified());
    // Nothing is left beside the file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plain.tmd"});
}

void ShellFilesTest::importedModelIsSavedUnderATmdName() {
    QTemporaryDir settings, dir;
    const QString source = dir.filePath(QStringLiteral("thing.lwo"));
    QVERIFY(WriteFile(source, "FORM"));
    Shell shell(settings.path());
    QVERIFY(shell.Start({source}, {}, PlainDocs()));
    const QString target = dir.filePath(QStringLiteral("thing.tmd"));
    shell.prompts.savePaths = QStringList{target};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE));
    QCOMPARE(shell.prompts.suggested, QStringList{target});
    QCOMPARE(Contents(source), QByteArray("FORM"));
    QCOMPARE(Contents(target), QByteArray(PlainDoc::kSaved));
    QCOMPARE(shell.Active()->windowTitle(), QStringLiteral("thing.tmd[*]"));
    QCOMPARE(shell.app->RecentFiles().Entries().front(), target);
}

void ShellFilesTest::answeringYesSavesAndCloses() {
    QTemporaryDir settings, dir;
    Shell shell(settings.path());
    QVERIFY(shell.Start({}, {}, PlainDocs()));
    shell.Active()->GetDocument().SetModifiedFlag(true);
    const QString target = dir.filePath(QStringLiteral("kept.tmd"));
    shell.prompts.saveAnswers = {SaveAnswer::yes};
    shell.prompts.savePaths = QStringList{target};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(shell.prompts.asked, QStringList{"tmd1"});
    QCOMPARE(Contents(target), QByteArray(PlainDoc::kSaved));
    QVERIFY(shell.app->Documents().empty());
}

void ShellFilesTest::exitAsksForEveryModifiedDocument() {
    QTemporaryDir settings;
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_NEW));
    const auto docs = shell.app->Documents();
    docs[0]->SetModifiedFlag(true);
    docs[2]->SetModifiedFlag(true);
    shell.prompts.saveAnswers = {SaveAnswer::no, SaveAnswer::cancel};
    QVERIFY(shell.Frame().ExecuteCommand(ID_APP_EXIT));
    QCOMPARE(shell.prompts.asked, (QStringList{"tmd1", "tmd3"}));
    QVERIFY(shell.Frame().isVisible());
    QCOMPARE(shell.app->Documents().size(), 3u);

    shell.prompts.saveAnswers = {SaveAnswer::no, SaveAnswer::no};
    QVERIFY(shell.Frame().ExecuteCommand(ID_APP_EXIT));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shell.Frame().isVisible());
    QVERIFY(shell.app->Documents().empty());
}

void ShellFilesTest::droppedFilesAreOpened() {
    QTemporaryDir settings;
    const QStringList paths = SampleCopies(m_files, 2);
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    QVERIFY(shell.Frame().acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1])});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&shell.Frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&shell.Frame(), &drop);
    QTRY_COMPARE(shell.app->Documents().size(), 3u);
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("model2.tmd"));
}

void ShellFilesTest::filesFromALaterStartAreHandedOver() {
    const QString key = QStringLiteral("polyvane-test-%1").arg(QCoreApplication::applicationPid());
    InstanceChannel later(key);
    QVERIFY(!later.SendToRunning({kCube}, 200));

    InstanceChannel running(key);
    QVERIFY(running.Listen());
    QSignalSpy received(&running, &InstanceChannel::filesReceived);
    // A second instance does not take over a channel that is answered.
    InstanceChannel rival(key);
    QVERIFY(!rival.Listen());

    QTemporaryDir settings;
    Shell shell(settings.path());
    QVERIFY(shell.Start());
    connect(&running, &InstanceChannel::filesReceived, shell.app.get(), &CPolyvaneApp::OpenFiles);
    bool sent = false;
    std::thread sender([&] { sent = later.SendToRunning({kCube}, 2000); });
    QTRY_COMPARE(received.count(), 1);
    sender.join();
    QVERIFY(sent);
    QCOMPARE(received.front().front().toStringList(), QStringList{QFileInfo(kCube).absoluteFilePath()});
    QCOMPARE(QString::fromStdString(shell.Active()->GetDocument().GetTitle()), QStringLiteral("cube.tmd"));
}

QTEST_MAIN(ShellFilesTest)
#include "ShellFilesTest.moc"
