// File, Save on a model opened from an address writes it back there: asked once per document, the
// undo history's clean point following each save, and an undone change saved back as the older version.
// Textures, Write Back puts a texture opened from an address back the same way.
#include "CommandIds.h"
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "ShellTestSupport.h"
#include "model/CPolyvaneDoc.h"

#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

class ShellWriteBackTest : public QObject {
    Q_OBJECT
  private slots:
    void saveWritesBackAfterOneConfirmationAndUndoneChangesGoBackToo();

  private:
    QTemporaryDir m_settings;
    QTemporaryDir m_files;
};

void ShellWriteBackTest::saveWritesBackAfterOneConfirmationAndUndoneChangesGoBackToo() {
    const std::filesystem::path image = std::filesystem::path(m_files.path().toStdString()) / "game.dat";
    std::vector<std::uint8_t> archive = Filler(4000, 3);
    const std::vector<std::uint8_t> model = SmallTmd(5);
    Place(archive, 0x100, model);
    // A texture whose image block's length word is short, as some converters write it: written back,
    // it gets the length its block really has (offset 52 in this texture).
    const std::vector<std::uint8_t> texture = SmallTim();
    std::vector<std::uint8_t> shortWord = texture;
    shortWord[52] = 28;
    shortWord[53] = shortWord[54] = shortWord[55] = 0;
    Place(archive, 0x800, shortWord);
    WriteAll(image, archive);

    Shell shell(m_settings.path());
    QVERIFY(shell.Start({QString::fromStdString(image.string() + "@0x100")}));
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    QVERIFY(doc.IsFromItem());

    shell.prompts.writeBackAnswers = {false, true};
    QVERIFY(!shell.app->SaveDocument(doc, false));
    QCOMPARE(shell.prompts.writeBackAsked, QStringList{QStringLiteral("game.dat@0x100 > game.dat")});
    QCOMPARE(ReadAll(image), archive);
    QVERIFY(shell.app->SaveDocument(doc, false));
    const std::vector<std::uint8_t> first = ReadAll(image);

    QVERIFY(shell.Frame().ExecuteCommand(ID_TOOLS_FLIP_X));
    QVERIFY(doc.IsModified());
    QVERIFY(shell.app->SaveDocument(doc, false));
    QCOMPARE(shell.prompts.writeBackAsked.size(), 2);
    QVERIFY(!doc.IsModified());
    const std::vector<std::uint8_t> flipped = ReadAll(image);
    QVERIFY(flipped != first);

    QVERIFY(shell.Frame().ExecuteCommand(ID_EDIT_UNDO));
    QVERIFY(doc.IsModified());
    QVERIFY(shell.app->SaveDocument(doc, false));
    QCOMPARE(ReadAll(image), first);
    QCOMPARE(shell.prompts.writeBackAsked.size(), 2);

    std::vector<std::uint8_t> expected = ReadAll(image);
    QCOMPARE(shell.app->OpenDocumentFile(QString::fromStdString(image.string() + "@0x800")), &doc);
    QCOMPARE(doc.Textures().size(), std::size_t{1});
    shell.prompts.writeBackAnswers = {false, true};
    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_WRITE_BACK));
    QCOMPARE(shell.prompts.writeBackAsked.value(2), QStringLiteral("game.dat@0x800 > game.dat"));
    QCOMPARE(ReadAll(image), expected);
    QVERIFY(shell.Frame().ExecuteCommand(ID_TEXTURES_WRITE_BACK));
    Place(expected, 0x800, texture);
    QCOMPARE(ReadAll(image), expected);
}

QTEST_MAIN(ShellWriteBackTest)
#include "ShellWriteBackTest.moc"
