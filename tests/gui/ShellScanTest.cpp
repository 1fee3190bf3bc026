// The scan window wired to the shell: File, Scan opens it on the chosen image, its tree lists the
// image's file with a thumbnail per hit, the filter hides the other format, and its actions open a
// hit as a document titled by its address, load the file's textures into the active model and
// extract hits byte for byte.
#include "CommandIds.h"
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "ShellTestSupport.h"
#include "app/ScanWindow.h"
#include "model/CPolyvaneDoc.h"

#include <QApplication>
#include <QComboBox>
#include <QTreeWidget>
#include <QtTest>

using namespace polyvane;
using namespace polyvane::test;

class ShellScanTest : public QObject {
    Q_OBJECT
  private slots:
    void scanWindowListsOpensLoadsAndExtracts();
    void aTextureAddressOpensWithNoModelAndTheRecentListShowsWholeAddresses();

  private:
    QTemporaryDir m_settings;
    QTemporaryDir m_files;
};

void ShellScanTest::scanWindowListsOpensLoadsAndExtracts() {
    if (!HaveXorriso())
        QSKIP("xorriso is not installed");
    const std::filesystem::path dir = m_files.path().toStdString();
    std::vector<std::uint8_t> archive = Filler(5000, 9);
    const std::vector<std::uint8_t> model = SmallTmd();
    const std::vector<std::uint8_t> texture = SmallTim();
    Place(archive, 100, model);
    Place(archive, 3001, texture);
    WriteAll(dir / "tree/ARCHIVE.BIN", archive);
    QVERIFY(MakeIso(dir / "tree", dir / "disc.iso"));

    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    shell.prompts.exchangePaths.append(QString::fromStdString((dir / "disc.iso").string()));
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SCAN));
    ScanWindow* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* scan = qobject_cast<ScanWindow*>(widget))
            window = scan;
    QVERIFY(window);
    window->WaitForScan();

    QTreeWidget* tree = window->Tree();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* file = tree->topLevelItem(0);
    QCOMPARE(file->text(0), QStringLiteral("ARCHIVE.BIN"));
    QCOMPARE(file->childCount(), 2);
    QTreeWidgetItem* modelRow = file->child(0);
    QTreeWidgetItem* textureRow = file->child(1);
    QCOMPARE(modelRow->text(0), QStringLiteral("@0x64"));
    QCOMPARE(textureRow->text(1), QStringLiteral("TIM"));
    QVERIFY(!modelRow->icon(0).isNull());
    QVERIFY(!textureRow->icon(0).isNull());

    window->findChild<QComboBox*>()->setCurrentIndex(1); // models only
    QVERIFY(!modelRow->isHidden());
    QVERIFY(textureRow->isHidden());
    window->findChild<QComboBox*>()->setCurrentIndex(0);

    tree->setCurrentItem(modelRow);
    window->OpenSelected();
    CPolyvaneDoc& doc = shell.Active()->GetDocument();
    QCOMPARE(QString::fromStdString(doc.GetTitle()), QStringLiteral("disc.iso::ARCHIVE.BIN@0x64"));
    QVERIFY(doc.IsFromItem());
    QCOMPARE(doc.ObjectCount(), 1u);

    // Save As writes a file of its own, offered beside the image under the item's name.
    shell.prompts.savePaths.append(m_files.filePath(QStringLiteral("saved.tmd")));
    QVERIFY(shell.Frame().ExecuteCommand(ID_FILE_SAVE_AS));
    QCOMPARE(shell.prompts.suggested.value(0),
             QString::fromStdString((dir / "disc.iso_ARCHIVE.BIN@0x64.tmd").string()));
    QVERIFY(QFile::exists(m_files.filePath(QStringLiteral("saved.tmd"))));
    QVERIFY(!doc.IsFromItem());

    tree->setCurrentItem(textureRow);
    QCOMPARE(window->LoadTextures(false), 1);
    QCOMPARE(doc.Textures().size(), std::size_t{1});

    tree->clearSelection();
    modelRow->setSelected(true);
    textureRow->setSelected(true);
    QCOMPARE(window->ExtractSelected(m_files.filePath(QStringLiteral("out"))), 2);
    QCOMPARE(ReadAll(dir / "out/ARCHIVE.BIN@0x64.tmd"), model);
    QCOMPARE(ReadAll(dir / "out/ARCHIVE.BIN@0xBB9.tim"), texture);
    window->close();
}

void ShellScanTest::aTextureAddressOpensWithNoModelAndTheRecentListShowsWholeAddresses() {
    if (!HaveXorriso())
        QSKIP("xorriso is not installed");
    // An image deep enough that the menu must shorten its entries.
    const std::filesystem::path dir = std::filesystem::path(m_files.path().toStdString()) /
                                      "a folder with a long name for the games" / "and another one";
    std::vector<std::uint8_t> archive = Filler(5000, 9);
    Place(archive, 100, SmallTmd());
    Place(archive, 3001, SmallTim());
    WriteAll(dir / "tree/ARCHIVE.BIN", archive);
    QVERIFY(MakeIso(dir / "tree", dir / "disc.iso"));
    const QString image = QString::fromStdString((dir / "disc.iso").string());

    Shell shell(m_settings.path());
    QVERIFY(shell.Start());
    CPolyvaneDoc* texture = shell.app->OpenDocumentFile(image + QStringLiteral("::ARCHIVE.BIN@0xBB9"));
    QVERIFY(texture);
    QCOMPARE(shell.Messages(), QStringList{});
    QCOMPARE(texture->Textures().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(texture->GetTitle()), QStringLiteral("disc.iso::ARCHIVE.BIN@0xBB9"));
    QVERIFY(!texture->IsModified());
    QVERIFY(shell.app->OpenDocumentFile(image + QStringLiteral("::ARCHIVE.BIN@0x64")));

    shell.Frame().RefreshCommandStates();
    const QString newest = shell.Frame().Action(ID_FILE_MRU_FILE1)->text();
    const QString older = shell.Frame().Action(ID_FILE_MRU_FILE1 + 1)->text();
    QVERIFY2(newest.endsWith(QStringLiteral("/disc.iso::ARCHIVE.BIN@0x64")), qPrintable(newest));
    QVERIFY2(older.endsWith(QStringLiteral("/disc.iso::ARCHIVE.BIN@0xBB9")), qPrintable(older));
    QVERIFY2(older.contains(QStringLiteral("...")), qPrintable(older));
}

QTEST_MAIN(ShellScanTest)
#include "ShellScanTest.moc"
