#pragma once
// A view larger than its window: it sets its total size in logical units (one per pixel), the host
// scrolls it, and each paint and mouse position is shifted by the scroll position.
#include "CView.h"

namespace polyvane {

// Mapping modes: only the text mode (one logical unit per pixel, y down) is used.
constexpr int MM_TEXT = 1;

class CScrollView : public CView {
  public:
    // Sets the scrollable size; page and line steps are the host's defaults.
    void SetScrollSizes(int mapMode, CSize total);
    [[nodiscard]] CSize GetTotalSize() const { return m_totalSize; }
    [[nodiscard]] CPoint GetScrollPosition() const;
    // Asks the frame to fit its client area to the total size; with `shrinkOnly` it never grows.
    void ResizeParentToFit(bool shrinkOnly = true);

    // Shifts the surface's origin by the scroll position before a paint.
    void OnPrepareDC(CDC* pDC) override;
    // A client point in logical coordinates, as the prepared surface maps it.
    [[nodiscard]] CPoint ClientToLogical(CPoint point) const;

  private:
    int m_nMapMode = MM_TEXT;
    CSize m_totalSize{};
};

} // namespace polyvane
