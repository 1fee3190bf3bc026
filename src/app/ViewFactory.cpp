#include "ViewFactory.h"
#include "ViewIds.h"

#include "QPainterDC.h"
#include "texture/CTimView.h"
#include "view/CPolyvaneView.h"

#include <QImage>
#include <QPainter>
#include <QtMath>

namespace polyvane {

// The one place the view classes are bound to their IDs.
std::unique_ptr<CView> CreateApplicationView(int viewId) {
    if (viewId == kModelViewId)
        return std::make_unique<CPolyvaneView>();
    if (viewId == kTextureViewId)
        return std::make_unique<CTimView>();
    return nullptr;
}

// The one place the QPainter drawing surface is made for a paint. The view paints into an image
// of the client area first (the surface draws lines and polygons straight into its pixels, far
// faster than through a widget's painter), which then goes to the window in one blit.
void PaintView(CView& view, QPainter& painter) {
    const CRect client = view.GetClientRect();
    const int width = client.Width();
    const int height = client.Height();
    if (width <= 0 || height <= 0)
        return;
    // At the screen's pixel ratio, so lines are one device pixel wide and text is drawn sharp; the
    // view still draws in its own (logical) coordinates.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage image(qCeil(width * ratio), qCeil(height * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter imagePainter(&image);
        imagePainter.setFont(painter.font());
        QPainterDC dc(imagePainter, CRect{0, 0, width, height});
        view.OnPrepareDC(&dc);
        view.OnDraw(&dc);
    }
    painter.drawImage(0, 0, image);
}

} // namespace polyvane
