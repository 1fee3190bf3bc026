#include "CScrollView.h"

#include "CDC.h"

namespace polyvane {

void CScrollView::SetScrollSizes(int mapMode, CSize total) {
    m_nMapMode = mapMode;
    m_totalSize = total;
    if (IViewHost* host = GetHost())
        host->SetScrollSizes(total);
}

CPoint CScrollView::GetScrollPosition() const {
    return GetHost() ? GetHost()->GetScrollPosition() : CPoint{};
}

void CScrollView::ResizeParentToFit(bool shrinkOnly) {
    if (IViewHost* host = GetHost())
        host->ResizeParentToFit(shrinkOnly);
}

void CScrollView::OnPrepareDC(CDC* pDC) {
    if (!pDC)
        return;
    const CPoint position = GetScrollPosition();
    pDC->SetViewportOrg(-position.x, -position.y);
}

CPoint CScrollView::ClientToLogical(CPoint point) const {
    const CPoint position = GetScrollPosition();
    return CPoint{point.x + position.x, point.y + position.y};
}

} // namespace polyvane
