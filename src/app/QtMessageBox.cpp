#include "QtMessageBox.h"

#include "CommandTable.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

namespace polyvane {

void FitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    // The title bar holds the icon and up to three buttons beside the caption.
    const int buttons = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarButtonSize, nullptr, &box);
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    const int caption = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + buttons + 48;
    grid->addItem(new QSpacerItem(caption, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                  0, 1, grid->columnCount());
}

void QtMessageBox::Show(std::string_view text) {
    // Every message of the program reports something that went wrong or was left out.
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(resources::kAppName),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
                    QApplication::activeWindow());
    if (!MessageSubject().empty())
        box.setInformativeText(QString::fromStdString(MessageSubject()));
    FitCaption(box);
    box.exec();
}

bool QtMessageBox::AskYesNo(std::string_view text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(resources::kAppName),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    FitCaption(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace polyvane
