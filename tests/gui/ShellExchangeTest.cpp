// The exchange commands wired to the menus: Import opens a new document with its textures, Export
// writes the chosen file, Import Image adds a texture that Save TIM As writes.
#include "CommandIds.h"
#include "ShellTestSupport.h"
#include "exchange/PngCodec.h"
#include "model/CPolyvaneDoc.h"
#include "texture/TimFiles.h"

#include <QFile>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

namespace {

const QString kCube = QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube.tmd");

void WritePicture(const QString& path) {
    RgbaImage picture{4, 4, std::vector<std::uint8_t>(64, 255)};
    QVERIFY(WriteWholeFile(path.toStdString(), EncodePng(picture)));
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

CPolyvaneDoc& ActiveDocument(const Shell& shell) {
    return shell.Active()->GetDocument();
}

} // namespace

class ShellExchangeTest : public QObject {
    Q_OBJECT
  private slots:
    void importOpensANewDocumentWithItsTexture();
    void exportWritesTheChosenFileAndSaysWhatIsMissing();
    void importImageAddsATextureThatSaveTimAsWrites();
    void aNameSavedWithoutExtensionGetsTheChosenFiltersOne();

  private:
    QTemporaryDir m_settings;
    QTemporaryDir m_files;
};

void ShellExchangeTest::importOpensANewDocumentWithItsTexture() {
    WritePicture(m_files.filePath(QStringLiteral("skin.png")));
    WriteText(m_files.filePath(QStringLiteral("quad.mtl")), "newmtl skin\nmap_Kd skin.png\n");
    WriteText(m_files.filePath(QStringLiteral("quad.obj")),
              "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
              "usemtl skin\nf 1/1 2/2 3/3 4/4\n");
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({kCube}));
    const std::size_t before = shell.app->Documents().size();
    shell.prompts.exchangePaths = {m_files.filePath(QStringLiteral("quad.obj"))};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_IMPORT));
    QCOMPARE(shell.app->Documents().size(), before + 1);
    CPolyvaneDoc& doc = ActiveDocument(shell);
    QCOMPARE(doc.GetTitle(), std::string("quad"));
    QCOMPARE(doc.ObjectCount(), 1u);
    QCOMPARE(doc.Textures().size(), std::size_t{1});
    QVERIFY(doc.IsModified());
    QVERIFY(shell.Messages().isEmpty());
    // A file no reader takes: one message and no new document.
    WriteText(m_files.filePath(QStringLiteral("junk.xyz")), "no model\n");
    shell.prompts.exchangePaths = {m_files.filePath(QStringLiteral("junk.xyz"))};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_IMPORT));
    QCOMPARE(shell.app->Documents().size(), before + 1);
    QCOMPARE(shell.Messages().size(), 1);
    QVERIFY(shell.Messages()[0].startsWith(QStringLiteral("Cannot read")));
}

void ShellExchangeTest::exportWritesTheChosenFileAndSaysWhatIsMissing() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({kCube}));
    const QString out = m_files.filePath(QStringLiteral("cube.glb"));
    shell.prompts.exchangePaths = {out};
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_EXPORT));
    QVERIFY(QFile::exists(out));
    QCOMPARE(shell.prompts.exchangeTitles, QStringList{QStringLiteral("Export")});
    // The dialog suggests the model's name in its file's folder.
    QCOMPARE(shell.prompts.starts, QStringList{QStringLiteral(POLYVANE_SOURCE_DIR "/samples/cube")});
    // The sample's textured faces sample a page no loaded TIM covers.
    QCOMPARE(shell.Messages().size(), 1);
    QVERIFY(shell.Messages()[0].startsWith(QStringLiteral("Textures not loaded")));
    QVERIFY(!ActiveDocument(shell).IsModified());
}

void ShellExchangeTest::importImageAddsATextureThatSaveTimAsWrites() {
    Shell shell(m_settings.path());
    QVERIFY(shell.Start({kCube}));
    shell.Frame().RefreshCommandStates();
    QVERIFY(!shell.Frame().Action(ID_TEXTURES_SAVE_TIM_AS)->isEnabled());
    const QString picture = m_files.filePath(QStringLiteral("picture.png"));
    WritePicture(picture);
    const QString saved = m_files.filePath(QStringLiteral("saved.tim"));
    shell.prompts.exchangePaths = {picture, saved};
    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_IMPORT_IMAGE));
    QCOMPARE(ActiveDocument(shell).Textures().size(), std::size_t{1});
    shell.Frame().RefreshCommandStates();
    QVERIFY(shell.Frame().Action(ID_TEXTURES_SAVE_TIM_AS)->isEnabled());
    // Until it is written, the texture lives only in memory.
    QVERIFY(ActiveDocument(shell).Textures().back().unsaved);
    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_SAVE_TIM_AS));
    QVERIFY(!ActiveDocument(shell).Textures().back().unsaved);
    QCOMPARE(QString::fromStdString(ActiveDocument(shell).Textures().back().fileName), saved);
    TimImage back;
    back.fileName = saved.toStdString();
    QVERIFY(LoadTim(back));
    const TimImage& added = ActiveDocument(shell).Textures().back();
    QCOMPARE(back.imageWidth, added.imageWidth);
    QVERIFY(back.pixels.bytes().size() == added.pixels.bytes().size() &&
            std::equal(back.pixels.bytes().begin(), back.pixels.bytes().end(), added.pixels.bytes().begin()));
    QVERIFY(std::equal(back.clut, back.clut + 16, added.clut));
}

void ShellExchangeTest::aNameSavedWithoutExtensionGetsTheChosenFiltersOne() {
    const struct {
        const char *path, *filter, *expected;
    } cases[] = {
        {"/m/car3y", "glTF binary (*.glb)", "/m/car3y.glb"},
        {"/m/car3y", "Wavefront OBJ (*.obj *.OBJ)", "/m/car3y.obj"},
        {"/m/car3y.gltf", "glTF binary (*.glb)", "/m/car3y.gltf"},
        {"/m.d/car3y", "All files (*)", "/m.d/car3y"},
    };
    for (const auto& c : cases)
        QCOMPARE(WithFilterExtension(QString::fromUtf8(c.path), QString::fromUtf8(c.filter)),
                 QString::fromUtf8(c.expected));
}

QTEST_MAIN(ShellExchangeTest)
#include "ShellExchangeTest.moc"
