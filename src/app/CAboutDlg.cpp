#include "CAboutDlg.h"

#include "CommandIcons.h"
#include "CommandTable.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace polyvane {

namespace {

enum class Kind { icon, text, button };

// The box's template: every control's kind, text and rectangle in dialog units.
struct ControlTemplate {
    Kind kind;
    const char* text;
    int x, y, cx, cy;
};

constexpr int kWidthDlu = 235;
constexpr int kHeightDlu = 113;
constexpr ControlTemplate kControls[] = {
    {Kind::icon, nullptr, 11, 17, 20, 20},       {Kind::text, "version", 40, 10, 119, 8},
    {Kind::text, "description", 40, 25, 119, 8}, {Kind::text, "note", 23, 59, 187, 36},
    {Kind::button, "OK", 178, 7, 50, 14},
};

} // namespace

QString CAboutDlg::VersionLine() {
    return QStringLiteral("%1 Version 0.0 alpha").arg(QString::fromUtf8(resources::kAppName));
}
QString CAboutDlg::DescriptionLine() {
    return QStringLiteral("Viewer and editor of TMD models");
}
QString CAboutDlg::Note() {
    return QStringLiteral("This tool is currently still in production, so expect limitations and bugs.");
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(resources::kAppName)));
    setWindowIcon(AppIcon());
    // Dialog units: a quarter of the font's average character width, an eighth of its height.
    const QFontMetrics metrics(font());
    const double unitX =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
        52.0 / 4.0;
    const double unitY = metrics.height() / 8.0;
    auto toPixels = [&](const ControlTemplate& c) {
        return QRect(static_cast<int>(c.x * unitX), static_cast<int>(c.y * unitY),
                     static_cast<int>(c.cx * unitX), static_cast<int>(c.cy * unitY));
    };
    for (const ControlTemplate& control : kControls) {
        const QRect rect = toPixels(control);
        switch (control.kind) {
        case Kind::icon: {
            auto* label = new QLabel(this);
            const int side = std::min(rect.width(), rect.height());
            label->setPixmap(AppIcon().pixmap(QSize(side, side)));
            label->setGeometry(rect.x(), rect.y(), side, side);
            break;
        }
        case Kind::text: {
            const QString key = QString::fromUtf8(control.text);
            const QString text = key == QLatin1String("version")       ? VersionLine()
                                 : key == QLatin1String("description") ? DescriptionLine()
                                                                       : Note();
            auto* label = new QLabel(text, this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setGeometry(rect);
            label->setObjectName(key);
            break;
        }
        case Kind::button: {
            auto* button = new QPushButton(QString::fromUtf8(control.text), this);
            button->setDefault(true);
            button->setGeometry(rect);
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
            break;
        }
        }
    }
    setFixedSize(static_cast<int>(kWidthDlu * unitX), static_cast<int>(kHeightDlu * unitY));
}

} // namespace polyvane
