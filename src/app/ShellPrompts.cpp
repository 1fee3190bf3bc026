#include "ShellPrompts.h"

#include "CommandTable.h"
#include "QtMessageBox.h"
#include "formats/FormatRegistry.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace polyvane {

namespace {
QString OpenFilters() {
    return QString::fromStdString(Formats().Filter(kOpenRole));
}
} // namespace

SaveAnswer QtShellPrompts::AskSaveChanges(const QString& title) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(resources::kAppName),
                    QStringLiteral("Save changes to %1?").arg(title),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
    FitCaption(box);
    const int button = box.exec();
    if (button == QMessageBox::Yes)
        return SaveAnswer::yes;
    if (button == QMessageBox::No)
        return SaveAnswer::no;
    return SaveAnswer::cancel;
}

bool QtShellPrompts::AskReload(const QString& title) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(resources::kAppName),
                    QStringLiteral("%1 has changed on disk. Reload it and lose your changes?").arg(title),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    FitCaption(box);
    return box.exec() == QMessageBox::Yes;
}

bool QtShellPrompts::AskWriteBack(const QString& model, const QString& image) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(resources::kAppName),
                    QStringLiteral("Write %1 back into %2?").arg(model, image),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    FitCaption(box);
    return box.exec() == QMessageBox::Yes;
}

QString QtShellPrompts::ChooseOpenPath(const QString& folder) {
    // Any name is taken, not only existing files: an item's address inside an image
    // (IMAGE::PATH@0xOFFSET, FILE@0xOFFSET) may be typed as the file name.
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Open"), folder, OpenFilters());
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("File or address:"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtShellPrompts::ChooseSavePath(const QString& suggested) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Save As"), suggested,
                       QString::fromStdString(Formats().ByName("TMD")->filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromUtf8(resources::kDocExtension).mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtShellPrompts::ChooseExchangePath(const QString& title, const QString& filter, bool save,
                                           const QString& start) {
    QWidget* parent = QApplication::activeWindow();
    if (!save)
        return QFileDialog::getOpenFileName(parent, title, start, filter);
    QString chosenFilter;
    const QString path = QFileDialog::getSaveFileName(parent, title, start, filter, &chosenFilter);
    return path.isEmpty() ? path : WithFilterExtension(path, chosenFilter);
}

QString WithFilterExtension(const QString& path, const QString& filter) {
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    // The first pattern of the form *.ext names the extension; "*" alone names none.
    static const QRegularExpression kPattern(QStringLiteral("\\*\\.([^\\s;()*]+)"));
    const QRegularExpressionMatch match = kPattern.match(filter);
    return match.hasMatch() ? path + QLatin1Char('.') + match.captured(1) : path;
}

std::optional<Preferences> QtShellPrompts::ChoosePreferences(const Preferences& current) {
    CPreferencesDlg dialog(current, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

} // namespace polyvane
