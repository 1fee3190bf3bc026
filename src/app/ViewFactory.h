#pragma once
// Where the application's view classes and the QPainter drawing surface meet the Qt widgets.
#include "platform/IFrameHost.h"

#include <functional>
#include <memory>

class QPainter;

namespace polyvane {

class CView;

// Makes the view known by `viewId`, or null when there is no such view.
using ViewFactory = std::function<std::unique_ptr<CView>(int viewId)>;
std::unique_ptr<CView> CreateApplicationView(int viewId);

// Paints `view` with `painter` through a drawing surface.
void PaintView(CView& view, QPainter& painter);

} // namespace polyvane
