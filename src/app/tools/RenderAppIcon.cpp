// Build step: paints the application icon into PNG files of the given sizes, for the desktop's icon
// theme. Usage: polyvane-render-icon OUTDIR SIZE...
#include "app/CommandIcons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: polyvane-render-icon OUTDIR SIZE...\n");
        return 2;
    }
    const QDir out(arguments[1]);
    for (const QString& sizeText : arguments.mid(2)) {
        const int size = sizeText.toInt();
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "bad size: %s\n", qPrintable(sizeText));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            polyvane::PaintAppIcon(painter, QRectF(0, 0, size, size));
        }
        const QString path = out.filePath(QStringLiteral("polyvane-%1.png").arg(size));
        if (!image.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
