#pragma once
// The texture view: the texture the current primitive uses, magnified, with the primitive's
// texture outline over it; dragging a corner, or the whole outline, changes u and v. Textures, View
// given again brings back the model view the texture view stands in for. Under the texture, a
// texture with several colour-table rows shows a row chooser, and the shown row's entries stand in a
// palette strip: click an entry to change its colour, drag one onto another to swap them, click a row
// to show the texture through it, Ctrl+click a row to copy the shown row over it.
#include "model/CPolyvaneDoc.h"
#include "platform/CScrollView.h"

namespace polyvane {

class CTimView : public CScrollView {
  public:
    CTimView() = default;

    [[nodiscard]] CPolyvaneDoc* GetDocument() const;

    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    void OnLButtonDown(unsigned flags, CPoint point) override;
    void OnLButtonUp(unsigned flags, CPoint point) override;
    void OnMouseMove(unsigned flags, CPoint point) override;
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

    // Textures, View: back to the model view, with the angles it had; checked while this view shows.
    void OnTexturesView();
    void OnUpdateTexturesView(CCmdUI* pCmdUI);

    // Each texel is drawn m_nScale pixels square.
    int m_nScale = 3;
    // From a left press in the view to the next left release in it (the mouse is not captured).
    bool m_bDragging = false;
    std::uint64_t m_nDragKey = 0;
    // The corner the last press picked, or -1 for the whole outline.
    int m_nCorner = 0;
    // The last mouse position, in logical coordinates.
    CPoint m_ptLast{};

    // The palette entry a press in the strip took, for a swap on release; -1 without one.
    int m_nPressedEntry = -1;

  private:
    [[nodiscard]] const WorkPrimitive* CurrentPrimitive() const;
    // Presses and releases over the row chooser and the palette strip; true when taken.
    bool PaletteMouse(bool press, unsigned flags, CPoint point);
};

} // namespace polyvane
