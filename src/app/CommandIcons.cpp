#include "CommandIcons.h"

#include "CommandIds.h"
#include "CommandTable.h"
#include "view/ViewModes.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace polyvane {

namespace {

// Every image is drawn on a 16 x 16 grid; lines sit on pixel centres so they are crisp at 1x.
const QColor kInk(40, 40, 48);
const QColor kPaper(255, 255, 255);
const QColor kAccent(255, 64, 0);
const QColor kBlue(40, 100, 190);
const QColor kYellow(236, 190, 60);
const QColor kGrey(150, 150, 158);

QPen Ink(qreal width = 1.0, QColor colour = kInk) {
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

void Page(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
    p.setPen(Ink());
    p.setBrush(kPaper);
    const qreal fold = 3;
    QPolygonF outline{{x + 0.5, y + 0.5},
                      {x + w - fold + 0.5, y + 0.5},
                      {x + w + 0.5, y + fold + 0.5},
                      {x + w + 0.5, y + h + 0.5},
                      {x + 0.5, y + h + 0.5}};
    p.drawPolygon(outline);
    p.drawPolyline(QPolygonF{
        {x + w - fold + 0.5, y + 0.5}, {x + w - fold + 0.5, y + fold + 0.5}, {x + w + 0.5, y + fold + 0.5}});
}

void TextLines(QPainter& p, qreal x, qreal y, qreal w, int count) {
    p.setPen(Ink(1.0, kGrey));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x + 0.5, y + 2 * i + 0.5), QPointF(x + w + 0.5, y + 2 * i + 0.5));
}

// The cube of the view modes: front square and a back square offset up and right.
void Cube(QPainter& p, bool solid) {
    const QPolygonF front{{1.5, 5.5}, {10.5, 5.5}, {10.5, 14.5}, {1.5, 14.5}};
    const QPolygonF top{{1.5, 5.5}, {5.5, 1.5}, {14.5, 1.5}, {10.5, 5.5}};
    const QPolygonF side{{10.5, 5.5}, {14.5, 1.5}, {14.5, 10.5}, {10.5, 14.5}};
    p.setPen(Ink());
    if (solid) {
        p.setBrush(QColor(200, 205, 215));
        p.drawPolygon(side);
        p.setBrush(QColor(235, 238, 242));
        p.drawPolygon(top);
        p.setBrush(kBlue);
        p.drawPolygon(front);
        return;
    }
    p.setBrush(Qt::NoBrush);
    // The hidden edges of a wire cube show through.
    p.setPen(Ink(1.0, kGrey));
    p.drawLine(QPointF(5.5, 1.5), QPointF(5.5, 10.5));
    p.drawLine(QPointF(5.5, 10.5), QPointF(1.5, 14.5));
    p.drawLine(QPointF(5.5, 10.5), QPointF(14.5, 10.5));
    p.setPen(Ink());
    p.drawPolygon(front);
    p.drawPolygon(top);
    p.drawPolygon(side);
}

void Letter(QPainter& p, const QRectF& box, QChar letter) {
    p.setPen(Ink());
    p.setBrush(QColor(235, 238, 242));
    p.drawRect(box);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(kBlue);
    p.drawText(box.adjusted(0, 0, 1, 1), Qt::AlignCenter, QString(letter));
}

void Arrow(QPainter& p, qreal x, qreal y, bool right) {
    // A filled arrowhead 5 wide, 7 high, pointing left or right from (x, y) its centre.
    const qreal d = right ? 1 : -1;
    QPolygonF head{{x - 2.5 * d, y - 3.5}, {x + 2.5 * d, y}, {x - 2.5 * d, y + 3.5}};
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPolygon(head);
}

void Triangle(QPainter& p, qreal x, qreal y, qreal size, QColor fill) {
    p.setPen(Ink());
    p.setBrush(fill);
    p.drawPolygon(QPolygonF{
        {x + 0.5, y + size + 0.5}, {x + size / 2 + 0.5, y + 0.5}, {x + size + 0.5, y + size + 0.5}});
}

void SmallCube(QPainter& p, qreal x, qreal y) {
    p.setPen(Ink());
    p.setBrush(kBlue);
    p.drawRect(QRectF(x + 0.5, y + 3.5, 6, 6));
    p.setBrush(QColor(235, 238, 242));
    p.drawPolygon(QPolygonF{{x + 0.5, y + 3.5}, {x + 3.5, y + 0.5}, {x + 9.5, y + 0.5}, {x + 6.5, y + 3.5}});
    p.setBrush(QColor(200, 205, 215));
    p.drawPolygon(QPolygonF{{x + 6.5, y + 3.5}, {x + 9.5, y + 0.5}, {x + 9.5, y + 6.5}, {x + 6.5, y + 9.5}});
}

// The pictures of the view modes, as the mode table names them.
bool PaintViewMode(QPainter& p, ViewIcon icon) {
    switch (icon) {
    case ViewIcon::wireCube:
        Cube(p, false);
        return true;
    case ViewIcon::solidCube:
        Cube(p, true);
        return true;
    case ViewIcon::texturedCube:
        // The solid cube with a checked front face.
        Cube(p, true);
        for (int row = 0; row < 3; ++row)
            for (int col = row % 2; col < 3; col += 2)
                p.fillRect(QRectF(2 + col * 3, 6 + row * 3, 3, 3), kAccent);
        return true;
    case ViewIcon::blankPage: {
        QPen pen = Ink(1.0, kGrey);
        pen.setDashPattern({2, 2});
        p.setPen(pen);
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        return true;
    }
    case ViewIcon::table:
        p.setPen(Ink());
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.fillRect(QRectF(2, 2, 12, 3), kBlue);
        TextLines(p, 3, 7, 9, 4);
        return true;
    case ViewIcon::none:
        break;
    }
    return false;
}

bool PaintCommand(QPainter& p, unsigned id) {
    // A mode without a picture in the table (the memory view) draws its own below.
    if (const ViewModeEntry* mode = ViewModeOfCommand(id); mode && mode->icon != ViewIcon::none)
        return PaintViewMode(p, mode->icon);
    switch (id) {
    case ID_FILE_NEW:
        Page(p, 3, 1, 10, 14);
        p.setPen(Ink(1.0, kAccent));
        p.drawLine(QPointF(9.5, 9.5), QPointF(9.5, 13.5));
        p.drawLine(QPointF(7.5, 11.5), QPointF(11.5, 11.5));
        return true;
    case ID_FILE_OPEN: {
        p.setPen(Ink());
        p.setBrush(kYellow.darker(115));
        p.drawPolygon(QPolygonF{{0.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5}, {12.5, 13.5}, {0.5, 13.5}});
        p.setBrush(kYellow);
        p.drawPolygon(QPolygonF{{0.5, 13.5}, {3.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}});
        return true;
    }
    case ID_FILE_SAVE:
        p.setPen(Ink());
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF{{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}});
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(220, 224, 230));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        p.fillRect(QRectF(9, 2, 2, 4), kInk);
        return true;
    case ID_EDIT_CUT:
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Ink(1.3));
        p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10.5));
        p.setPen(Ink(1.3, kAccent));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
        return true;
    case ID_EDIT_COPY:
        Page(p, 1, 1, 8, 10);
        TextLines(p, 3, 5, 4, 3);
        Page(p, 6, 5, 8, 10);
        TextLines(p, 8, 9, 4, 3);
        return true;
    case ID_EDIT_PASTE:
        p.setPen(Ink());
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(220, 224, 230));
        p.drawRect(QRectF(4.5, 0.5, 4, 3));
        Page(p, 7, 6, 8, 9);
        TextLines(p, 9, 10, 4, 2);
        return true;
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO: {
        // A hooked arrow turning back (undo) or forward (redo).
        p.setRenderHint(QPainter::Antialiasing, true);
        if (id == ID_EDIT_REDO)
            p.setTransform(QTransform(-1, 0, 0, 1, 16, 0), true); // on top of the icon's scale
        p.setPen(Ink(1.6, kAccent));
        p.setBrush(Qt::NoBrush);
        QPainterPath hook(QPointF(4, 6));
        hook.cubicTo(QPointF(8, 2.5), QPointF(14, 4), QPointF(13, 9.5));
        hook.cubicTo(QPointF(12.5, 12), QPointF(10, 13), QPointF(8, 13));
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(7, 2), QPointF(6.5, 9.5)}));
        return true;
    }
    case ID_FILE_PRINT:
        p.setPen(Ink());
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(kGrey);
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.fillRect(QRectF(12, 8, 1, 1), kAccent);
        return true;
    case ID_VIEW_VRAM:
        // The memory: a grid of pages, two of them filled.
        p.setPen(Ink());
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.fillRect(QRectF(2, 4, 3, 4), kBlue);
        p.fillRect(QRectF(8, 8, 3, 4), kYellow);
        p.setPen(Ink(1.0, kGrey));
        for (int x = 5; x < 14; x += 3)
            p.drawLine(QPointF(x + 0.5, 4), QPointF(x + 0.5, 12));
        return true;
    case ID_VIEW_VRAM_RAW:
        Letter(p, QRectF(1.5, 1.5, 13, 13), QLatin1Char('W'));
        return true;
    case ID_VIEW_VRAM_4BIT:
        Letter(p, QRectF(1.5, 1.5, 13, 13), QLatin1Char('4'));
        return true;
    case ID_VIEW_VRAM_8BIT:
        Letter(p, QRectF(1.5, 1.5, 13, 13), QLatin1Char('8'));
        return true;
    case ID_VIEW_FRONT:
        Letter(p, QRectF(1.5, 1.5, 13, 13), QLatin1Char('F'));
        return true;
    case ID_VIEW_SIDE:
        Letter(p, QRectF(1.5, 1.5, 13, 13), QLatin1Char('S'));
        return true;
    case ID_VIEW_TOP:
        Letter(p, QRectF(1.5, 1.5, 13, 13), QLatin1Char('T'));
        return true;
    case ID_VIEW_FIT_TO_WINDOW: {
        // A small cube inside the four corners of the window it is made to fill.
        p.setPen(Ink(1.0, kAccent));
        for (const QPointF corner :
             {QPointF(1.5, 1.5), QPointF(14.5, 1.5), QPointF(1.5, 14.5), QPointF(14.5, 14.5)}) {
            const qreal dx = corner.x() < 8 ? 4 : -4, dy = corner.y() < 8 ? 4 : -4;
            p.drawLine(corner, corner + QPointF(dx, 0));
            p.drawLine(corner, corner + QPointF(0, dy));
        }
        SmallCube(p, 3, 3);
        return true;
    }
    case ID_OBJECT_PREV_PRIM:
        Triangle(p, 6, 3, 9, kPaper);
        Arrow(p, 3, 8, false);
        return true;
    case ID_OBJECT_NEXT_PRIM:
        Triangle(p, 0, 3, 9, kPaper);
        Arrow(p, 13, 8, true);
        return true;
    case ID_OBJECT_PREV_OBJECT:
        SmallCube(p, 5, 3);
        Arrow(p, 2.5, 8, false);
        return true;
    case ID_OBJECT_NEXT_OBJECT:
        SmallCube(p, 0, 3);
        Arrow(p, 13.5, 8, true);
        return true;
    case ID_OBJECT_MODIFY_PRIM: {
        Triangle(p, 0, 4, 10, kPaper);
        p.setRenderHint(QPainter::Antialiasing, true);
        QPen pencil(kYellow.darker(130), 3.0, Qt::SolidLine, Qt::FlatCap);
        p.setPen(pencil);
        p.drawLine(QPointF(14.5, 1.5), QPointF(8.0, 8.0));
        p.setPen(Ink(1.0, kAccent));
        p.drawLine(QPointF(8.0, 8.0), QPointF(6.5, 9.5));
        return true;
    }
    case ID_APP_ABOUT: {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Ink());
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(kPaper);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
        return true;
    }
    default:
        return false;
    }
}

// Disabled buttons: the same image in light grey.
void Fade(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            const int grey = 128 + qGray(c) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(c) * 2 / 3);
        }
    }
}

class PaintedIconEngine final : public QIconEngine {
  public:
    using Painter = void (*)(QPainter&, const QRectF&, unsigned);
    PaintedIconEngine(Painter painter, unsigned id) : m_painter(painter), m_id(id) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `pixels` is the size in device pixels; `scale` the pixel ratio it will be shown at.
    QPixmap scaledPixmap(const QSize& pixels, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            m_painter(p, QRectF(QPointF(0, 0), QSizeF(pixels)), m_id);
        }
        if (mode == QIcon::Disabled) {
            image = image.convertToFormat(QImage::Format_ARGB32);
            Fade(image);
        }
        QPixmap result = QPixmap::fromImage(image);
        result.setDevicePixelRatio(scale);
        return result;
    }
    QIconEngine* clone() const override { return new PaintedIconEngine(m_painter, m_id); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(24, 24),   QSize(32, 32),  QSize(48, 48),
                QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    }

  private:
    Painter m_painter;
    unsigned m_id;
};

void PaintCommandInRect(QPainter& painter, const QRectF& rect, unsigned id) {
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 16.0, rect.height() / 16.0);
    // Straight edges stay crisp; only curves are smoothed.
    painter.setRenderHint(QPainter::Antialiasing, rect.width() > 16.0);
    PaintCommand(painter, id);
    painter.restore();
}

void PaintAppIconInRect(QPainter& painter, const QRectF& rect, unsigned) {
    PaintAppIcon(painter, rect);
}

} // namespace

bool HasCommandIcon(unsigned id) {
    if (const ViewModeEntry* mode = ViewModeOfCommand(id); mode && mode->icon != ViewIcon::none)
        return true;
    for (const auto& group : resources::ToolbarGroups())
        for (unsigned button : group)
            if (button == id)
                return true;
    return false;
}

QIcon CommandIcon(unsigned id) {
    if (!HasCommandIcon(id))
        return {};
    return QIcon(new PaintedIconEngine(&PaintCommandInRect, id));
}

// The same drawing as resources/polyvane.svg: a solid cube on a rounded tile, one face picked out in
// the highlight colour the views use for the current primitive.
void PaintAppIcon(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 64.0, rect.height() / 64.0);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(34, 40, 58));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QPen edge(QColor(255, 255, 255), 2.5);
    edge.setJoinStyle(Qt::RoundJoin);
    painter.setPen(edge);
    painter.setBrush(QColor(70, 130, 220));
    painter.drawPolygon(QPolygonF{{12, 24}, {36, 24}, {36, 52}, {12, 52}});
    painter.setBrush(QColor(150, 190, 240));
    painter.drawPolygon(QPolygonF{{12, 24}, {26, 12}, {50, 12}, {36, 24}});
    painter.setBrush(QColor(255, 64, 0));
    painter.drawPolygon(QPolygonF{{36, 24}, {50, 12}, {50, 40}, {36, 52}});
    painter.restore();
}

QIcon AppIcon() {
    return QIcon(new PaintedIconEngine(&PaintAppIconInRect, 0));
}

} // namespace polyvane
