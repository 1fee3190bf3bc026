#include "QtMessageBox.h"

#include "CommandTable.h"

#include <QApplication>
#include <QMessageBox>

namespace polyvane {

void QtMessageBox::Show(std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(resources::kAppName),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace polyvane
