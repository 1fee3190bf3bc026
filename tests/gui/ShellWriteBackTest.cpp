// File, Save on a model opened from an address writes it back there: asked once per document, the
// undo history's clean point following each save, and an undone change saved back as the older version.
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
    std::copy(model.begin(), model.end(), archive.begin() + 0x100);
    WriteAll(image, archive);
    // Every byte outside the model's extent stays as it was.
    const auto outside = [&](const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint8_t> rest = bytes;
        rest.erase(rest.begin() + 0x100, rest.begin() + 0x100 + static_cast<std::ptrdiff_t>(model.size()));
        return rest;
    };

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
    QCOMPARE(outside(flipped), outside(archive));

    QVERIFY(shell.Frame().ExecuteCommand(ID_EDIT_UNDO));
    QVERIFY(doc.IsModified());
    QVERIFY(shell.app->SaveDocument(doc, false));
    QCOMPARE(ReadAll(image), first);
    QCOMPARE(shell.prompts.writeBackAsked.size(), 2);
}

QTEST_MAIN(ShellWriteBackTest)
#include "ShellWriteBackTest.moc"
