#include "QPainterDC.h"

#include "platform/Clip.h"

#include <QFontMetrics>
#include <QImage>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace polyvane {

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
// An opaque pixel of the 32-bit image formats.
std::uint32_t ToPixel(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Geometry further off the window than this is cut first: the rasteriser is made for coordinates
// of screen size.
constexpr std::int32_t kClipMargin = 4096;

CRect Grown(CRect r, std::int32_t by) {
    return CRect{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

} // namespace

QPainterDC::QPainterDC(QPainter& painter, CRect client) : CDC(client), m_painter(painter), m_client(client) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, false);
    QPaintDevice* device = m_painter.device();
    if (device && device->devType() == QInternal::Image && m_painter.worldTransform().isIdentity() &&
        !m_painter.hasClipping() && m_painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
        m_painter.opacity() == 1.0) {
        auto* image = static_cast<QImage*>(device);
        const QImage::Format f = image->format();
        if ((f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
             f == QImage::Format_ARGB32_Premultiplied) &&
            image->devicePixelRatio() == 1.0 && image->bytesPerLine() % 4 == 0) {
            // The painter has already detached the image, so these are the pixels it paints too.
            auto* bits = reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(image->constBits()));
            m_direct.emplace(bits, image->width(), image->height(), image->bytesPerLine() / 4);
        }
    }
}

void QPainterDC::UsePen(const Pen& pen) {
    if (m_painterPen && m_painterPen->style == pen.style && m_painterPen->width == pen.width &&
        m_painterPen->colour == pen.colour)
        return;
    m_painterPen = pen;
    QPen qpen(ToQColor(pen.colour));
    qpen.setWidth(pen.width);
    qpen.setCosmetic(pen.width <= 1);
    // A flat cap leaves a line's end point unpainted, as LineTo does.
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    if (pen.style == PS_DASH)
        qpen.setDashPattern({18.0, 6.0});
    m_painter.setPen(qpen);
}

void QPainterDC::UseBrush(const Brush& brush) {
    if (m_painterBrush && m_painterBrush->hollow == brush.hollow && m_painterBrush->colour == brush.colour)
        return;
    m_painterBrush = brush;
    m_painter.setBrush(brush.hollow ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.colour)));
}

void QPainterDC::RenderLine(CPoint from, CPoint to, const Pen& pen) {
    if (m_direct) {
        std::int64_t dash = 0;
        m_direct->StrokeLine(from, to, ToPixel(pen.colour), pen.width, pen.style == PS_DASH, false, dash);
        return;
    }
    const CPoint both[2] = {from, to};
    if (ReachesFarOutside(both, m_client, kClipMargin)) {
        PointF a{static_cast<double>(from.x), static_cast<double>(from.y)};
        PointF b{static_cast<double>(to.x), static_cast<double>(to.y)};
        const CRect box = Grown(m_client, 2);
        if (!ClipSegment(a, b, box.left, box.top, box.right, box.bottom))
            return;
        from =
            CPoint{static_cast<std::int32_t>(std::lround(a.x)), static_cast<std::int32_t>(std::lround(a.y))};
        to = CPoint{static_cast<std::int32_t>(std::lround(b.x)), static_cast<std::int32_t>(std::lround(b.y))};
    }
    UsePen(pen);
    m_painter.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QPainterDC::RenderPolygon(std::span<const CPoint> points, const Pen& pen, const Brush& brush) {
    if (m_direct) {
        if (!brush.hollow)
            m_direct->FillPolygon(points, ToPixel(brush.colour));
        m_direct->StrokePolygon(points, ToPixel(pen.colour), pen.width, pen.style == PS_DASH);
        return;
    }
    std::vector<CPoint> clipped;
    if (ReachesFarOutside(points, m_client, kClipMargin)) {
        // The cut edges run outside the window, so no outline shows where the polygon was cut.
        clipped = ClipPolygon(points, Grown(m_client, 8));
        if (clipped.size() < 2)
            return;
        points = clipped;
    }
    UsePen(pen);
    UseBrush(brush);
    const int n = static_cast<int>(points.size());
    if (n <= 4) {
        // Convex outlines take the painter's faster convex road; both fill rules agree on them.
        QPoint small[4];
        for (int i = 0; i < n; ++i)
            small[i] = QPoint(points[static_cast<std::size_t>(i)].x, points[static_cast<std::size_t>(i)].y);
        if (IsConvexOutline(points))
            m_painter.drawConvexPolygon(small, n);
        else
            m_painter.drawPolygon(small, n, Qt::OddEvenFill);
        return;
    }
    QPolygon polygon;
    polygon.reserve(n);
    for (const CPoint& p : points)
        polygon << QPoint(p.x, p.y);
    m_painter.drawPolygon(polygon, Qt::OddEvenFill);
}

void QPainterDC::RenderText(CPoint topLeft, std::string_view text, const TextStyle& style) {
    // Labels of points far off the window cannot show, and their coordinates would overflow below.
    const CPoint at[1] = {topLeft};
    if (ReachesFarOutside(at, m_client, kClipMargin))
        return;
    const QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(m_painter.font());
    if (style.bkMode == OPAQUE)
        m_painter.fillRect(QRect(topLeft.x, topLeft.y, metrics.horizontalAdvance(s), metrics.height()),
                           ToQColor(style.background));
    m_painterPen.reset();
    m_painter.setPen(ToQColor(style.colour));
    m_painter.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), s);
}

void QPainterDC::RenderFill(CRect rect, COLORREF colour) {
    const CRect r{std::max(rect.left, m_client.left - 1), std::max(rect.top, m_client.top - 1),
                  std::min(rect.right, m_client.right + 1), std::min(rect.bottom, m_client.bottom + 1)};
    if (r.Width() > 0 && r.Height() > 0)
        m_painter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(colour));
}

void QPainterDC::RenderBitmap(const StretchedBitmap& bitmap) {
    // Only the part on the window is resolved to pixels.
    const CRect& d = bitmap.Dest();
    const CRect r{std::max(d.left, m_client.left), std::max(d.top, m_client.top),
                  std::min(d.right, m_client.right), std::min(d.bottom, m_client.bottom)};
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    QImage image(r.Width(), r.Height(), QImage::Format_ARGB32);
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y - r.top));
        for (std::int32_t x = r.left; x < r.right; ++x) {
            const auto c = bitmap.Sample(x, y);
            line[x - r.left] = c ? qRgb(GetRValue(*c), GetGValue(*c), GetBValue(*c)) : qRgba(0, 0, 0, 0);
        }
    }
    m_painter.drawImage(QPoint(r.left, r.top), image);
}

} // namespace polyvane
