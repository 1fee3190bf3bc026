#pragma once
// The program's own images: the toolbar buttons and the application icon, painted as vector shapes
// at whatever size and pixel ratio they are shown, so they stay sharp on high-density screens.
#include <QIcon>

class QPainter;
class QRectF;

namespace polyvane {

// The toolbar image of command `id`; a null icon when the command has no button.
QIcon CommandIcon(unsigned id);
// Whether `id` has a toolbar image.
bool HasCommandIcon(unsigned id);

// Paints the application icon into `rect`.
void PaintAppIcon(QPainter& painter, const QRectF& rect);
QIcon AppIcon();

} // namespace polyvane
