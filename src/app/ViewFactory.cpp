#include "ViewFactory.h"

#include "platform/CView.h"

#include <QPainter>

namespace polyvane {

namespace {
// Stands in for the model view until it is bound here: shows the document's window, draws nothing.
class CEmptyModelView final : public CView {
  public:
    void OnDraw(CDC*) override {}
};
} // namespace

// The one place the view classes are bound to their IDs.
std::unique_ptr<CView> CreateApplicationView(int viewId) {
    if (viewId == kModelViewId)
        return std::make_unique<CEmptyModelView>();
    return nullptr;
}

// The one place the QPainter drawing surface is made for a paint: build it over `painter` and hand
// it to OnDraw. Until that surface exists the view gets none.
void PaintView(CView& view, QPainter& painter) {
    (void)painter;
    view.OnDraw(nullptr);
}

} // namespace polyvane
