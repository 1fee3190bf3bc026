#include "QtDialogServices.h"

#include "QtDialogHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QVBoxLayout>

namespace polyvane {

QWidget* DialogOwnerWindow() {
    return QApplication::activeWindow();
}

int QtDialogService::RunModal(CDialog& dialog) {
    const DialogTemplate* t = FindDialogTemplate(dialog.TemplateId());
    if (!t)
        return -1;
    QtDialogHost host(*t, DialogOwnerWindow());
    return host.RunModal(dialog);
}

std::optional<COLORREF> QtColorChooser::ChooseColor(COLORREF initial) {
    const QColor chosen = QColorDialog::getColor(
        QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), DialogOwnerWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return RGB(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
               static_cast<std::uint8_t>(chosen.blue()));
}

// The platform's colour chooser inside a dialog of its own, with the switch under it.
std::optional<IColorChooser::ColourAndFlag> QtColorChooser::ChooseColorAndFlag(COLORREF initial, bool flag,
                                                                               std::string_view flagName) {
    QDialog dialog(DialogOwnerWindow());
    dialog.setWindowTitle(QStringLiteral("Colour"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* colours =
        new QColorDialog(QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), &dialog);
    colours->setWindowFlags(Qt::Widget);
    colours->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::NoButtons);
    auto* check =
        new QCheckBox(QString::fromUtf8(flagName.data(), static_cast<qsizetype>(flagName.size())), &dialog);
    check->setChecked(flag);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(colours);
    layout->addWidget(check);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QColor chosen = colours->currentColor();
    return ColourAndFlag{RGB(static_cast<std::uint8_t>(chosen.red()),
                             static_cast<std::uint8_t>(chosen.green()),
                             static_cast<std::uint8_t>(chosen.blue())),
                         check->isChecked()};
}

QStringList ToQtNameFilters(std::string_view filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (name.isEmpty() && patterns.isEmpty())
            break;
        // The toolkit reads the patterns from the name's trailing parentheses, so they are put there.
        const qsizetype open = name.lastIndexOf('(');
        if (open > 0 && name.endsWith(')'))
            name = name.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(name, QString(patterns).replace(';', ' '));
    }
    return filters;
}

void ConfigureOpenFileDialog(QFileDialog& dialog, std::string_view filter,
                             std::string_view defaultExtension) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The toolkit's own dialog matches name patterns without regard to case, as the filters mean
    // ("*.TIM" lists x.tim too); some platform dialogs would not.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(ToQtNameFilters(filter));
    QString suffix =
        QString::fromUtf8(defaultExtension.data(), static_cast<qsizetype>(defaultExtension.size()));
    if (suffix.startsWith('.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
}

std::optional<std::string> QtFileChooser::ChooseOpenFile(std::string_view filter,
                                                         std::string_view defaultExtension) {
    QFileDialog dialog(DialogOwnerWindow(), QString(), StartFolder());
    ConfigureOpenFileDialog(dialog, filter, defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> QtFileChooser::ChooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(DialogOwnerWindow(), QString(), StartFolder());
    if (folder.isEmpty())
        return std::nullopt;
    return QFile::encodeName(folder).toStdString();
}

} // namespace polyvane
