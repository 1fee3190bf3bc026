// Files changed on disk by another program: documents reload or ask, textures are read again, a
// removed file is said once and written back by Save, and our own saves change nothing.
#include "ShellTestSupport.h"
#include "TimBuilder.h"
#include "TmdBuilder.h"
#include "view/CPolyvaneView.h"

#include <QFile>
#include <QSaveFile>
#include <QtTest>

#include <algorithm>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr int kWaitMs = 5000;

// A model of `count` objects, each one flat triangle.
QByteArray ModelBytes(int count) {
    TmdObjectSpec triangle;
    triangle.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 0};
    triangle.normals = {0, 0, 4096};
    triangle.packets = {PacketHeader(4, 3, 0, 0x20), 0x404040, Halves(0, 0), Halves(1, 2)};
    triangle.nPrimitive = 1;
    const Bytes bytes = BuildTmd(std::vector<TmdObjectSpec>(static_cast<std::size_t>(count), triangle));
    return {reinterpret_cast<const char*>(bytes.data().data()), static_cast<qsizetype>(bytes.size())};
}

// A 15-bit texture `width` frame-buffer units wide and one row high.
QByteArray TextureBytes(std::uint16_t width) {
    TimSpec spec;
    spec.flag = kTimMode15Bit;
    spec.imageWidth = width;
    spec.imageHeight = 1;
    spec.pixels = CountingBytes(std::size_t{width} * 2);
    const Bytes bytes = BuildTim(spec);
    return {reinterpret_cast<const char*>(bytes.data().data()), static_cast<qsizetype>(bytes.size())};
}

// Writes as build tools and editors do: a new file renamed over the old one.
bool Replace(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

CPolyvaneView* ModelView(CChildFrame* frame) {
    return frame ? dynamic_cast<CPolyvaneView*>(frame->GetActiveView()) : nullptr;
}

} // namespace

class ShellReloadTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void unmodifiedDocumentReloadsKeepingWindowsAndAngles();
    void modifiedDocumentAsksBeforeReloading_data();
    void modifiedDocumentAsksBeforeReloading();
    void changedTextureIsReadAgain();
    void removedFileIsSaidOnceAndSaveWritesItBack();
    void ownSaveDoesNotReload();

  private:
    // Opens a one-object model in a started shell and waits until its file is watched.
    CPolyvaneDoc* OpenWatched(Shell& shell);

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_files;
    QString m_path;
};

void ShellReloadTest::init() {
    m_files = std::make_unique<QTemporaryDir>();
    m_path = m_files->filePath(QStringLiteral("model.tmd"));
    QVERIFY(Replace(m_path, ModelBytes(1)));
}

CPolyvaneDoc* ShellReloadTest::OpenWatched(Shell& shell) {
    if (!shell.Start())
        return nullptr;
    CPolyvaneDoc* doc = shell.app->OpenDocumentFile(m_path);
    if (!doc || !QTest::qWaitFor([&] { return shell.app->Watch().IsWatching(m_path); }, kWaitMs))
        return nullptr;
    return doc;
}

void ShellReloadTest::unmodifiedDocumentReloadsKeepingWindowsAndAngles() {
    Shell shell(m_settings.path());
    CPolyvaneDoc* doc = OpenWatched(shell);
    QVERIFY(doc);
    QCOMPARE(doc->ObjectCount(), 1u);
    QVERIFY(shell.app->NewWindow(*doc));
    CPolyvaneView* view = ModelView(shell.Active());
    QVERIFY(view);
    view->m_angleX = 0.5;
    view->m_angleY = -1.25;

    QVERIFY(Replace(m_path, ModelBytes(2)));
    QTRY_COMPARE_WITH_TIMEOUT(doc->ObjectCount(), 2u, kWaitMs);
    QCOMPARE(std::ranges::count(shell.app->Documents(), doc), 1);
    QCOMPARE(shell.app->FrameCount(*doc), 2);
    QCOMPARE(ModelView(shell.Active()), view);
    QCOMPARE(view->m_angleX, 0.5);
    QCOMPARE(view->m_angleY, -1.25);
    QVERIFY(!doc->IsModified());
    QVERIFY(shell.prompts.reloadAsked.isEmpty());
    QVERIFY(shell.Messages().isEmpty());

    // A second write reaches it too: the watch survives the rename that replaced the file.
    QVERIFY(Replace(m_path, ModelBytes(3)));
    QTRY_COMPARE_WITH_TIMEOUT(doc->ObjectCount(), 3u, kWaitMs);
}

void ShellReloadTest::modifiedDocumentAsksBeforeReloading_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<std::uint32_t>("objects");
    QTest::addColumn<bool>("modified");
    QTest::newRow("yes reloads") << true << 2u << false;
    QTest::newRow("no keeps the edits") << false << 1u << true;
}

void ShellReloadTest::modifiedDocumentAsksBeforeReloading() {
    QFETCH(bool, answer);
    QFETCH(std::uint32_t, objects);
    QFETCH(bool, modified);
    Shell shell(m_settings.path());
    shell.prompts.reloadAnswers = {answer};
    CPolyvaneDoc* doc = OpenWatched(shell);
    QVERIFY(doc);
    doc->OnFlipX();
    QVERIFY(doc->IsModified());

    QVERIFY(Replace(m_path, ModelBytes(2)));
    QTRY_COMPARE_WITH_TIMEOUT(shell.prompts.reloadAsked, QStringList{QStringLiteral("model.tmd")}, kWaitMs);
    QCOMPARE(doc->ObjectCount(), objects);
    QCOMPARE(doc->IsModified(), modified);
    QCOMPARE(doc->History().CanUndo(), modified);
    // A declined change is not asked about again.
    QTest::qWait(500);
    QCOMPARE(shell.prompts.reloadAsked.size(), 1);
}

void ShellReloadTest::changedTextureIsReadAgain() {
    const QString texturePath = m_files->filePath(QStringLiteral("skin.tim"));
    QVERIFY(Replace(texturePath, TextureBytes(2)));
    Shell shell(m_settings.path());
    QVERIFY(OpenWatched(shell));
    CPolyvaneDoc* doc = shell.app->OpenDocumentFile(texturePath);
    QVERIFY(doc);
    QCOMPARE(doc->Textures().size(), std::size_t{1});
    QCOMPARE(doc->Textures().front().imageWidth, std::uint16_t{2});
    QTRY_VERIFY_WITH_TIMEOUT(shell.app->Watch().IsWatching(texturePath), kWaitMs);

    QVERIFY(Replace(texturePath, TextureBytes(4)));
    QTRY_COMPARE_WITH_TIMEOUT(doc->Textures().front().imageWidth, std::uint16_t{4}, kWaitMs);
    QCOMPARE(doc->Textures().front().fileName, texturePath.toStdString());
    QCOMPARE(doc->ObjectCount(), 1u);
    QVERIFY(shell.Messages().isEmpty());
}

void ShellReloadTest::removedFileIsSaidOnceAndSaveWritesItBack() {
    Shell shell(m_settings.path());
    CPolyvaneDoc* doc = OpenWatched(shell);
    QVERIFY(doc);
    const QStringList said{QStringLiteral("model.tmd has been removed from disk")};

    QVERIFY(QFile::remove(m_path));
    QTRY_COMPARE_WITH_TIMEOUT(shell.Messages(), said, kWaitMs);
    // The periodic look at the watched files passes without a second word.
    QTest::qWait(1500);
    QCOMPARE(shell.Messages(), said);
    QCOMPARE(doc->ObjectCount(), 1u);

    QVERIFY(shell.app->SaveDocument(*doc, false));
    QVERIFY(QFile::exists(m_path));
    QVERIFY(shell.app->Watch().IsWatching(m_path));
    QVERIFY(Replace(m_path, ModelBytes(2)));
    QTRY_COMPARE_WITH_TIMEOUT(doc->ObjectCount(), 2u, kWaitMs);
    QCOMPARE(shell.Messages(), said);
}

void ShellReloadTest::ownSaveDoesNotReload() {
    Shell shell(m_settings.path());
    CPolyvaneDoc* doc = OpenWatched(shell);
    QVERIFY(doc);
    doc->OnFlipX();
    QVERIFY(shell.app->SaveDocument(*doc, false));
    QVERIFY(!doc->IsModified());
    // A reload would have cleared the history.
    QTest::qWait(800);
    QVERIFY(doc->History().CanUndo());
    QVERIFY(shell.prompts.reloadAsked.isEmpty());
    QVERIFY(shell.Messages().isEmpty());
}

QTEST_MAIN(ShellReloadTest)
#include "ShellReloadTest.moc"
