#pragma once
// The widget a platform view lives in: it answers the view's window requests and hands it paints and
// mouse messages.
#include "platform/CView.h"

#include <QWidget>

class QScrollBar;

#include <memory>

namespace polyvane {

class ViewWidget final : public QWidget, public IViewHost {
    Q_OBJECT
  public:
    ViewWidget(std::unique_ptr<CView> view, int controlId, IFrameHost* frame, QWidget* parent = nullptr);
    ~ViewWidget() override;

    [[nodiscard]] CView& View() const { return *m_view; }
    [[nodiscard]] int ControlId() const { return m_controlId; }
    void SetControlId(int id) { m_controlId = id; }

    [[nodiscard]] CRect GetClientRect() const override;
    void Invalidate(bool erase) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    [[nodiscard]] bool HasCapture() const override;
    void SetWindowText(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    [[nodiscard]] IFrameHost* GetParentFrame() const override { return m_frame; }
    void SetScrollSizes(CSize total) override;
    [[nodiscard]] CPoint GetScrollPosition() const override;
    void ResizeParentToFit(bool shrinkOnly) override;

    // The scrolling size the view set; empty for a view that does not scroll.
    [[nodiscard]] QSize ScrollTotal() const { return {m_total.cx, m_total.cy}; }
    [[nodiscard]] QScrollBar* HorizontalScrollBar() const { return m_hbar; }
    [[nodiscard]] QScrollBar* VerticalScrollBar() const { return m_vbar; }

    // Key-state flags (MK_*) of a mouse event.
    static unsigned KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

  signals:
    // A mouse button came up: what the view did with the drag may have changed the document.
    void inputHandled();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    std::unique_ptr<CView> m_view;
    int m_controlId;
    IFrameHost* m_frame;
    bool m_capture = false;

    // Shows, sizes and places the scroll bars for the total size and the widget's size.
    void LayOutScrollBars();
    void FitParent();

    // Scrolling: bars at the right and bottom edges, shown while the total size exceeds the client
    // area. A view that sets no total size never scrolls.
    QScrollBar* m_hbar;
    QScrollBar* m_vbar;
    CSize m_total{};
    bool m_fitPending = false;
    bool m_fitShrinkOnly = true;
    // The total size the frame was last fitted to: the frame follows the view's content, not the
    // frame's own size, so a window tiled or sized by the user keeps that size.
    CSize m_fittedTotal{};
};

} // namespace polyvane
