#pragma once
// The drawing surface over a QPainter, for painting views into widgets and images.
//
// Use: in a widget's paintEvent, `QPainter painter(this); QPainterDC dc(painter, CRect{0, 0, width(),
// height()}); view->OnDraw(&dc);`. The painter draws without antialiasing so that one-pixel pens stay
// one pixel; lines leave their end point unpainted; polygons fill by the alternate (odd-even) rule;
// text is drawn in the painter's current font with its top-left corner at the given point. While
// the surface lives it alone sets the painter's pen and brush (it remembers what it set).
//
// Painting into a QImage (32-bit RGB formats, no transform, no clipping, plain source-over) draws
// lines and polygons straight into the image's pixels, several times faster than through the
// painter: a widget that shows big models fast can paint the view into such an image and draw that.
#include "platform/CDC.h"
#include "platform/PixelRaster.h"

#include <QPainter>

#include <optional>

namespace polyvane {

class QPainterDC final : public CDC {
  public:
    // `client` is the client rectangle of the window or image `painter` paints.
    QPainterDC(QPainter& painter, CRect client);

  protected:
    void RenderLine(CPoint from, CPoint to, const Pen& pen) override;
    void RenderPolygon(std::span<const CPoint> points, const Pen& pen, const Brush& brush) override;
    void RenderText(CPoint topLeft, std::string_view text, const TextStyle& style) override;
    void RenderFill(CRect rect, COLORREF colour) override;
    void RenderBitmap(const StretchedBitmap& bitmap) override;

  private:
    void UsePen(const Pen& pen);
    void UseBrush(const Brush& brush);

    QPainter& m_painter;
    CRect m_client;
    // What the painter holds, so that thousands of polygons in one pen and brush do not set it anew.
    std::optional<Pen> m_painterPen;
    std::optional<Brush> m_painterBrush;
    // Set when lines and polygons go straight into the image's pixels.
    std::optional<PixelRaster> m_direct;
};

} // namespace polyvane
