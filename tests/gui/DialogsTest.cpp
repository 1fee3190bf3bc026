// The dialogs built by the Qt backend from their templates: controls, texts and layout, the
// modifier's enabling wired to its check boxes, and OK and Cancel run through the document.
#include "CommandIds.h"
#include "DialogIds.h"
#include "DocTestSupport.h"
#include "TimBuilder.h"
#include "TmdBuilder.h"
#include "app/QtDialogHost.h"
#include "app/QtDialogServices.h"
#include "dialogs/CPrimModifierDlg.h"
#include "dialogs/CSelectPrimDlg.h"
#include "dialogs/CStatsDlg.h"
#include "platform/MessageBox.h"
#include "texture/CTimManagerDlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace polyvane;

namespace {

const char* ExpectedClass(ControlKind kind) {
    switch (kind) {
    case ControlKind::DefPushButton:
    case ControlKind::PushButton:
        return "QPushButton";
    case ControlKind::CheckBox:
        return "QCheckBox";
    case ControlKind::RadioButton:
        return "QRadioButton";
    case ControlKind::GroupBox:
        return "QGroupBox";
    case ControlKind::Text:
        return "QLabel";
    case ControlKind::Swatch:
        return "polyvane::QtSwatch";
    case ControlKind::Edit:
        return "QLineEdit";
    case ControlKind::Slider:
        return "QSlider";
    case ControlKind::ListBox:
        return "QListWidget";
    }
    return "";
}

// A document of `count` flat triangles, object 0 selected.
std::unique_ptr<CPolyvaneDoc> Triangles(int count) {
    test::TmdObjectSpec o;
    for (int j = 0; j < count; ++j) {
        o.vertices.insert(o.vertices.end(),
                          {static_cast<std::int16_t>(j - 4), static_cast<std::int16_t>(2 * j), 3});
        o.packets.insert(o.packets.end(), {test::PacketHeader(3, 3, 0x01, 0x20), 0x123456,
                                           test::Halves(static_cast<unsigned>(j), static_cast<unsigned>(j)),
                                           test::Halves(static_cast<unsigned>(j), 0)});
    }
    o.nPrimitive = static_cast<std::uint32_t>(count);
    auto loaded = test::LoadBytes(test::BuildTmd({o}).data());
    return std::move(loaded.doc);
}

// Plays `act` on the dialog once it is running modally.
void WhenModal(std::function<void(QtDialogWindow*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* window = qobject_cast<QtDialogWindow*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start();
}

template <typename T> T* ControlOf(QWidget* window, int id) {
    return window->findChild<T*>(QStringLiteral("control%1").arg(id));
}

// Opens the modifier on `prim` and shows it; its first refresh has run when this returns true.
bool ShowModifier(QtDialogHost& host, CPrimModifierDlg& dlg, WorkPrimitive& prim) {
    dlg.m_work = prim;
    host.Open(dlg);
    host.Window()->show();
    if (!QTest::qWaitForWindowExposed(host.Window()))
        return false;
    return QTest::qWaitFor([&] {
        return ControlOf<QCheckBox>(host.Window(), IDC_GOURAUD)->isChecked() ==
                   ((prim.attr & PA_GOURAUD) != 0) &&
               host.Control(IDC_GRADATION)->isEnabled() == ((prim.attr & PA_LIGHT) != 0);
    });
}

// Saves a picture of the window when POLYVANE_DIALOG_SHOTS names a folder.
void Shoot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("POLYVANE_DIALOG_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void dialogUnitsScaleWithTheFont() {
        const DialogUnits classic{6, 13};
        QCOMPARE(classic.X(197), 296);
        QCOMPARE(classic.Y(202), 328);
        QCOMPARE(classic.Rect(25, 21, 20, 20), QRect(QPoint(38, 34), QPoint(67, 66)));
        QFont small = QApplication::font();
        small.setPointSize(8);
        QFont large = small;
        large.setPointSize(16);
        const DialogUnits a = DialogUnits::ForFont(small), b = DialogUnits::ForFont(large);
        QVERIFY(b.baseX > a.baseX);
        QVERIFY(b.baseY > a.baseY);
        QCOMPARE(a.baseY, QFontMetrics(small).height());
    }

    void eachTemplateBuildsItsControlsWithTheirTextsAndPlaces() {
        for (int id : {IDD_SELECT_PRIM, IDD_TIM_MANAGER, IDD_PRIM_MODIFIER, IDD_STATS}) {
            const DialogTemplate* t = FindDialogTemplate(id);
            QVERIFY(t);
            QtDialogHost host(*t, nullptr);
            QWidget* window = host.Window();
            const DialogUnits& u = host.Units();
            QCOMPARE(window->windowTitle(),
                     QString::fromUtf8(t->caption.data(), qsizetype(t->caption.size())));
            QCOMPARE(window->size(), QSize(u.X(t->cx), u.Y(t->cy)));
            QStringList labels;
            for (const QLabel* label : window->findChildren<QLabel*>())
                labels << label->text();
            for (const DialogControl& c : t->controls) {
                const QString text = QString::fromUtf8(c.text.data(), qsizetype(c.text.size()));
                if (c.id == IDC_STATIC) {
                    QVERIFY2(labels.contains(text), qPrintable(text));
                    continue;
                }
                QWidget* w = host.Control(c.id);
                QVERIFY2(w, qPrintable(QString::number(c.id)));
                QCOMPARE(w->metaObject()->className(), ExpectedClass(c.kind));
                QCOMPARE(w->geometry(), u.Rect(c.x, c.y, c.cx, c.cy));
                QCOMPARE(QString::fromStdString(host.GetControlText(c.id)), text);
            }
        }
    }

    void templateTextsFitTheirControls() {
        for (int id : {IDD_SELECT_PRIM, IDD_TIM_MANAGER, IDD_PRIM_MODIFIER, IDD_STATS}) {
            QtDialogHost host(*FindDialogTemplate(id), nullptr);
            host.Window()->ensurePolished();
            for (QWidget* w : host.Window()->findChildren<QWidget*>()) {
                if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w))
                    continue;
                const QString text = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                              : qobject_cast<QAbstractButton*>(w)->text();
                QVERIFY2(
                    w->sizeHint().width() <= w->width() + 2,
                    qPrintable(
                        QStringLiteral("%1: %2 > %3").arg(text).arg(w->sizeHint().width()).arg(w->width())));
            }
        }
    }

    void modifierTemplateMarksDefaultButtonAndDigitOnlyEdits() {
        QtDialogHost host(*FindDialogTemplate(IDD_PRIM_MODIFIER), nullptr);
        QVERIFY(ControlOf<QPushButton>(host.Window(), IDOK)->isDefault());
        QVERIFY(!ControlOf<QPushButton>(host.Window(), IDCANCEL)->isDefault());
        auto* edit = ControlOf<QLineEdit>(host.Window(), IDC_CLUT_X);
        QTest::keyClicks(edit, QStringLiteral("1a2-3"));
        QCOMPARE(edit->text(), QStringLiteral("123"));
    }

    void modifierCheckBoxesChangeWhatIsEnabled() {
        WorkPrimitive prim{};
        prim.attr = PA_LIGHT | PA_GRADATION | PA_QUAD;
        prim.colour[0] = RGB(200, 10, 10);
        CPrimModifierDlg dlg;
        QtDialogHost host(*FindDialogTemplate(IDD_PRIM_MODIFIER), nullptr);
        QVERIFY(ShowModifier(host, dlg, prim));
        QTRY_VERIFY(host.Control(IDC_SWATCH_V3)->isEnabled());
        QCOMPARE(ControlOf<QLabel>(host.Window(), IDC_LABEL_V0)->text(), QStringLiteral(" V0"));
        QVERIFY(ControlOf<QCheckBox>(host.Window(), IDC_GRADATION)->isChecked());
        auto* v0 = ControlOf<QtSwatch>(host.Window(), IDC_SWATCH_V0);
        QTRY_VERIFY(v0->Fill().has_value());
        QCOMPARE(v0->Fill()->second, QColor(200, 10, 10));
        QCOMPARE(v0->Fill()->first, v0->rect());
        QVERIFY(!host.Control(IDC_TPAGE)->isEnabled());
        Shoot(host.Window(), QStringLiteral("prim_modifier_lit_gradation"));

        QTest::mouseClick(ControlOf<QCheckBox>(host.Window(), IDC_GRADATION), Qt::LeftButton);
        QTRY_VERIFY(!host.Control(IDC_SWATCH_V1)->isEnabled());
        QVERIFY(!host.Control(IDC_SWATCH_V3)->isEnabled());
        QCOMPARE(ControlOf<QLabel>(host.Window(), IDC_LABEL_V0)->text(), QStringLiteral("Prim"));
        QVERIFY(!ControlOf<QtSwatch>(host.Window(), IDC_SWATCH_V1)->Fill().has_value());

        QTest::mouseClick(ControlOf<QCheckBox>(host.Window(), IDC_TEXTURED), Qt::LeftButton);
        QTRY_VERIFY(host.Control(IDC_TPAGE)->isEnabled());
        QVERIFY(!host.Control(IDC_SWATCH_V0)->isEnabled());
        QVERIFY(ControlOf<QRadioButton>(host.Window(), IDC_MODE_4BIT)->isChecked());
        QVERIFY(ControlOf<QRadioButton>(host.Window(), IDC_ABR_NORMAL)->isChecked());
        // The two radio groups are independent although all buttons share one parent.
        QTest::mouseClick(ControlOf<QRadioButton>(host.Window(), IDC_MODE_15BIT), Qt::LeftButton);
        QTRY_VERIFY(!host.Control(IDC_CLUT_X)->isEnabled());
        QVERIFY(ControlOf<QRadioButton>(host.Window(), IDC_ABR_NORMAL)->isChecked());
        QVERIFY(!ControlOf<QRadioButton>(host.Window(), IDC_MODE_4BIT)->isChecked());
        Shoot(host.Window(), QStringLiteral("prim_modifier_textured"));
        host.Window()->reject();
        QCOMPARE(host.Result(), std::optional<int>(IDCANCEL));
        QCOMPARE(prim.attr, PA_LIGHT | PA_GRADATION | PA_QUAD);
    }

    void swatchClickRunsTheColourChooserAndRefills() {
        WorkPrimitive prim{};
        prim.attr = PA_GOURAUD;
        prim.colour[2] = RGB(1, 2, 3);
        ScriptedColorChooser colours;
        ScopedColorChooser scopedColours(colours);
        colours.Push(RGB(10, 200, 30));
        CPrimModifierDlg dlg;
        QtDialogHost host(*FindDialogTemplate(IDD_PRIM_MODIFIER), nullptr);
        QVERIFY(ShowModifier(host, dlg, prim));
        auto* v2 = ControlOf<QtSwatch>(host.Window(), IDC_SWATCH_V2);
        QTRY_VERIFY(v2->Fill().has_value());
        QTest::mouseClick(v2, Qt::LeftButton);
        QCOMPARE(colours.Requests(), std::vector<COLORREF>{RGB(1, 2, 3)});
        QTRY_COMPARE(v2->Fill()->second, QColor(10, 200, 30));
        QTest::mouseClick(ControlOf<QPushButton>(host.Window(), IDOK), Qt::LeftButton);
        QCOMPARE(host.Result(), std::optional<int>(IDOK));
        QCOMPARE(dlg.m_work.colour[2], RGB(10, 200, 30));
    }

    void modifierOkWritesTheDocumentAndMarksItModified() {
        auto doc = Triangles(3);
        QtDialogService service;
        ScopedDialogService scoped(service);
        const std::uint16_t attr = doc->CurrentPrimitive()->attr;
        WhenModal([](QtDialogWindow* window) {
            QTest::mouseClick(ControlOf<QCheckBox>(window, IDC_TEXTURED), Qt::LeftButton);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDOK), Qt::LeftButton);
        });
        doc->OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr);
        QCOMPARE(doc->CurrentPrimitive()->attr, static_cast<std::uint16_t>(attr | PA_TEXTURED));
        QVERIFY(doc->IsModified());
    }

    void modifierInvalidOkKeepsTheDialogOpenAndCancelChangesNothing() {
        auto doc = Triangles(2);
        const WorkPrimitive before = *doc->CurrentPrimitive();
        QtDialogService service;
        ScopedDialogService scoped(service);
        HeadlessMessageBox box;
        ScopedMessageBox scopedBox(box);
        bool stayedOpen = false, focused = false;
        WhenModal([&](QtDialogWindow* window) {
            QTest::mouseClick(ControlOf<QCheckBox>(window, IDC_TEXTURED), Qt::LeftButton);
            QTest::mouseClick(ControlOf<QCheckBox>(window, IDC_GOURAUD), Qt::LeftButton);
            auto* clutX = ControlOf<QLineEdit>(window, IDC_CLUT_X);
            clutX->setText(QStringLiteral("1024"));
            QTest::mouseClick(ControlOf<QPushButton>(window, IDOK), Qt::LeftButton);
            stayedOpen = window->isVisible();
            focused = clutX->hasFocus() || QApplication::focusWidget() == clutX;
            window->reject();
        });
        doc->OnCmdMsg(ID_OBJECT_MODIFY_PRIM, nullptr);
        QVERIFY(stayedOpen);
        QVERIFY(focused);
        QCOMPARE(box.Texts(), std::vector<std::string>{"Please enter an integer between 0 and 1023."});
        QCOMPARE(std::memcmp(&before, doc->CurrentPrimitive(), sizeof before), 0);
        QVERIFY(!doc->IsModified());
    }

    void selectPrimitiveSliderChoosesTheCurrentPrimitive() {
        auto doc = Triangles(30);
        doc->SelectPrimitive(12);
        QtDialogService service;
        ScopedDialogService scoped(service);
        int maximum = -1, position = -1, ticks = -1;
        QStringList shown;
        WhenModal([&](QtDialogWindow* window) {
            auto* slider = ControlOf<QSlider>(window, IDC_PRIM_SLIDER);
            maximum = slider->maximum();
            position = slider->value();
            ticks = slider->tickInterval();
            Shoot(window, QStringLiteral("select_polygon"));
            // The edit field follows the thumb.
            shown << ControlOf<QLineEdit>(window, IDC_PRIM_INDEX)->text();
            slider->setValue(27);
            shown << ControlOf<QLineEdit>(window, IDC_PRIM_INDEX)->text();
            QTest::mouseClick(ControlOf<QPushButton>(window, IDOK), Qt::LeftButton);
        });
        doc->OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr);
        QCOMPARE(maximum, 29);
        QCOMPARE(position, 12);
        QCOMPARE(ticks, 2);
        QCOMPARE(shown, (QStringList{"12", "27"}));
        QCOMPARE(doc->CurrentPrimitiveIndex(), std::optional<std::uint32_t>(27));
        QVERIFY(!doc->IsModified());
    }

    void selectPrimitiveCancelKeepsTheCurrentPrimitive() {
        auto doc = Triangles(5);
        doc->SelectPrimitive(4);
        QtDialogService service;
        ScopedDialogService scoped(service);
        WhenModal([](QtDialogWindow* window) {
            ControlOf<QSlider>(window, IDC_PRIM_SLIDER)->setValue(1);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDCANCEL), Qt::LeftButton);
        });
        doc->OnCmdMsg(ID_OBJECT_SELECT_PRIM, nullptr);
        QCOMPARE(doc->CurrentPrimitiveIndex(), std::optional<std::uint32_t>(4));
    }

    void statisticsShowTheExtents() {
        auto doc = Triangles(4); // x from -4 to -1, y from 0 to 6, z 3
        QtDialogService service;
        ScopedDialogService scoped(service);
        QStringList shown;
        WhenModal([&](QtDialogWindow* window) {
            QTRY_COMPARE(ControlOf<QLabel>(window, IDC_MIN_X)->text(), QStringLiteral("-4"));
            for (int id : {IDC_MIN_X, IDC_MAX_X, IDC_MIN_Y, IDC_MAX_Y, IDC_MIN_Z, IDC_MAX_Z})
                shown << ControlOf<QLabel>(window, id)->text();
            Shoot(window, QStringLiteral("statistics"));
            QTest::keyClick(window, Qt::Key_Escape);
        });
        doc->OnCmdMsg(ID_OBJECT_STATS, nullptr);
        QCOMPARE(shown, (QStringList{"-4", "0", "0", "6", "0", "3"}));
    }

    void timManagerTemplateSortsItsLines() {
        QtDialogHost host(*FindDialogTemplate(IDD_TIM_MANAGER), nullptr);
        QCOMPARE(host.ListAddString(IDC_TIM_LIST, "/b.tim"), 0);
        QCOMPARE(host.ListAddString(IDC_TIM_LIST, "/a.tim"), 0);
        QCOMPARE(host.ListAddString(IDC_TIM_LIST, "/c.tim"), 2);
        QCOMPARE(host.ListGetCurSel(IDC_TIM_LIST), -1);
        ControlOf<QListWidget>(host.Window(), IDC_TIM_LIST)->setCurrentRow(1);
        QCOMPARE(host.ListGetCurSel(IDC_TIM_LIST), 1);
        QCOMPARE(host.ListGetText(IDC_TIM_LIST, 1), std::string("/b.tim"));
        host.ListDeleteString(IDC_TIM_LIST, 1);
        QCOMPARE(host.ListGetCount(IDC_TIM_LIST), 2);
        host.Window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.Window()));
        Shoot(host.Window(), QStringLiteral("tim_manager"));
    }

    void fileFiltersBecomeToolkitNameFilters() {
        QCOMPARE(ToQtNameFilters("TIM Files (*.TIM)|*.TIM||"), QStringList{"TIM Files (*.TIM)"});
        QCOMPARE(ToQtNameFilters("Models|*.tmd;*.lwo|All (*.*)|*.*||"),
                 (QStringList{"Models (*.tmd *.lwo)", "All (*.*)"}));
    }

    void timManagerAddsRemovesAndChoosesThroughItsWindow() {
        test::TimFileDir dir;
        test::TimSpec spec;
        spec.flag = 2;
        spec.imageX = 640;
        spec.imageY = 256;
        spec.imageWidth = 2;
        spec.imageHeight = 1;
        spec.pixels = test::CountingBytes(4);
        const std::string path = dir.Write("texture.tim", spec);
        auto doc = Triangles(1);
        QtDialogService service;
        ScopedDialogService scoped(service);
        ScriptedFileChooser files;
        ScopedFileChooser scopedFiles(files);
        files.Push(path);
        files.Push(path);
        QStringList afterAdds, afterRemove;
        int selectedAfterRemove = 0, countAfterSecondRemove = -1;
        WhenModal([&](QtDialogWindow* window) {
            auto* list = ControlOf<QListWidget>(window, IDC_TIM_LIST);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDC_TIM_ADD), Qt::LeftButton);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDC_TIM_ADD), Qt::LeftButton);
            for (int i = 0; i < list->count(); ++i)
                afterAdds << list->item(i)->text();
            list->setCurrentRow(1);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDC_TIM_REMOVE), Qt::LeftButton);
            for (int i = 0; i < list->count(); ++i)
                afterRemove << list->item(i)->text();
            // The next line is not chosen for the user: a second Remove removes nothing.
            selectedAfterRemove = static_cast<int>(list->selectedItems().size());
            QTest::mouseClick(ControlOf<QPushButton>(window, IDC_TIM_REMOVE), Qt::LeftButton);
            countAfterSecondRemove = list->count();
            Shoot(window, QStringLiteral("tim_manager_loaded"));
            QTest::keyClick(window, Qt::Key_Escape);
        });
        doc->OnCmdMsg(ID_TEXTURES_TIM_MANAGER, nullptr);
        const QString line = QString::fromStdString(path);
        QCOMPARE(afterAdds, (QStringList{line, line}));
        QCOMPARE(afterRemove, QStringList{line});
        QCOMPARE(selectedAfterRemove, 0);
        QCOMPARE(countAfterSecondRemove, 1);
        QCOMPARE(doc->Textures().size(), std::size_t{1});

        // Done right after a Remove has no line chosen and chooses nothing.
        files.Push(path);
        WhenModal([](QtDialogWindow* window) {
            QTest::mouseClick(ControlOf<QPushButton>(window, IDC_TIM_ADD), Qt::LeftButton);
            ControlOf<QListWidget>(window, IDC_TIM_LIST)->setCurrentRow(0);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDC_TIM_REMOVE), Qt::LeftButton);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDOK), Qt::LeftButton);
        });
        // Through the document, as the modifier's Select TIM runs it.
        const std::function<void(CTimManagerDlg&)> hook = [&doc](CTimManagerDlg& manager) {
            manager.m_addTexture = [&doc](TimImage&& tim) { doc->AddTexture(std::move(tim)); };
            manager.m_removeTexture = [&doc](std::string_view name) { return doc->RemoveTexture(name); };
        };
        QVERIFY(!TimManagerPicker<CTimManagerDlg>(doc->Textures(), hook)().has_value());
        QCOMPARE(doc->Textures().size(), std::size_t{1});

        // "Done" on the line hands the entry to Select TIM.
        WhenModal([](QtDialogWindow* window) {
            ControlOf<QListWidget>(window, IDC_TIM_LIST)->setCurrentRow(0);
            QTest::mouseClick(ControlOf<QPushButton>(window, IDOK), Qt::LeftButton);
        });
        const std::optional<TimTextureSettings> chosen = TimManagerPicker<CTimManagerDlg>(doc->Textures())();
        QVERIFY(chosen.has_value());
        QCOMPARE(TexturePageAt(chosen->imageX, chosen->imageY), 26);
        QCOMPARE(chosen->pixelMode, 2);
    }

    void openFileDialogListsTimFilesWhateverTheirCase() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"upper.TIM", "lower.tim", "mixed.Tim", "model.tmd", "notes.txt"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFileDialog dialog;
        ConfigureOpenFileDialog(dialog, "TIM Files (*.TIM)|*.TIM||", ".TIM");
        QCOMPARE(dialog.nameFilters(), QStringList{"TIM Files (*.TIM)"});
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("TIM"));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        dialog.setDirectory(dir.path());
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QStringList listed;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                listed.clear();
                const QModelIndex root = model->index(dir.path());
                for (int row = 0; row < model->rowCount(root); ++row) {
                    const QModelIndex index = model->index(row, 0, root);
                    if (model->flags(index) & Qt::ItemIsEnabled)
                        listed << model->fileName(index);
                }
                listed.sort();
                return listed.size() >= 3;
            }(),
            5000);
        QCOMPARE(listed, (QStringList{"lower.tim", "mixed.Tim", "upper.TIM"}));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
