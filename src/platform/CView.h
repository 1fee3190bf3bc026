#pragma once
// The view base. A view draws its document through a drawing surface and reaches its window (the
// client rectangle, invalidation, mouse capture) through a host that the backend provides.
#include "CCmdTarget.h"
#include "Geometry.h"
#include "IFrameHost.h"

#include <string>

namespace polyvane {

class CDocument;
class CDC;

// Key-state flags passed with every mouse message.
constexpr unsigned MK_LBUTTON = 0x01;
constexpr unsigned MK_RBUTTON = 0x02;
constexpr unsigned MK_SHIFT = 0x04;
constexpr unsigned MK_CONTROL = 0x08;
constexpr unsigned MK_MBUTTON = 0x10;

// What a view asks of the window it lives in. The Qt backend implements it with a widget; the
// headless one records the requests.
class IViewHost {
  public:
    virtual ~IViewHost() = default;
    [[nodiscard]] virtual CRect GetClientRect() const = 0;
    // The whole window repaints later, its background erased or not.
    virtual void Invalidate(bool erase) = 0;
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    [[nodiscard]] virtual bool HasCapture() const = 0;
    virtual void SetWindowText(const std::string& text) = 0;
    // A line in the frame's status bar (what lies under the mouse); ignored without one.
    virtual void SetStatusText(const std::string& text) { (void)text; }
    // The frame around the view's window; null without one.
    [[nodiscard]] virtual IFrameHost* GetParentFrame() const { return nullptr; }

    // Scrolling, for views larger than their window. A window without scroll bars ignores the
    // total size and never scrolls.
    // The scrollable size in pixels; page and line steps are the window's defaults.
    virtual void SetScrollSizes(CSize total) { (void)total; }
    // How far the window is scrolled: the logical point shown at its top-left corner.
    [[nodiscard]] virtual CPoint GetScrollPosition() const { return CPoint{}; }
    // Resizes the frame so that its client area fits the total size; with `shrinkOnly` it never grows.
    virtual void ResizeParentToFit(bool shrinkOnly) { (void)shrinkOnly; }
};

// A host without a window: a fixed client rectangle, and the requests counted.
class HeadlessViewHost final : public IViewHost {
  public:
    explicit HeadlessViewHost(CRect client = CRect{0, 0, 640, 480}) : m_client(client) {}
    [[nodiscard]] CRect GetClientRect() const override { return m_client; }
    void Invalidate(bool erase) override {
        ++m_invalidations;
        m_lastErase = erase;
    }
    void SetCapture() override { m_capture = true; }
    void ReleaseCapture() override { m_capture = false; }
    [[nodiscard]] bool HasCapture() const override { return m_capture; }
    void SetWindowText(const std::string& text) override { m_windowText = text; }
    void SetScrollSizes(CSize total) override { m_scrollSize = total; }
    [[nodiscard]] CPoint GetScrollPosition() const override { return m_scrollPosition; }
    void ResizeParentToFit(bool shrinkOnly) override {
        ++m_resizeToFit;
        m_lastShrinkOnly = shrinkOnly;
    }

    void SetClientRect(CRect r) { m_client = r; }
    // Another window takes the mouse.
    void LoseCapture() { m_capture = false; }

    CRect m_client;
    int m_invalidations = 0;
    bool m_lastErase = false;
    bool m_capture = false;
    std::string m_windowText;
    CSize m_scrollSize{};
    CPoint m_scrollPosition{};
    int m_resizeToFit = 0;
    bool m_lastShrinkOnly = false;
};

class CView : public CCmdTarget {
  public:
    CView() = default;
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;
    ~CView() override;

    // Attaches the view to its document (the document lists it among its views).
    void SetDocument(CDocument* doc);
    [[nodiscard]] CDocument* GetDocument() const { return m_pDocument; }
    void SetHost(IViewHost* host) { m_pHost = host; }
    [[nodiscard]] IViewHost* GetHost() const { return m_pHost; }

    // Prepares the surface for OnDraw and for mapping mouse points; by default nothing to do.
    virtual void OnPrepareDC(CDC* pDC) { (void)pDC; }
    // Paints the view.
    virtual void OnDraw(CDC* pDC) = 0;
    // The document changed: by default the whole view repaints with its background erased.
    virtual void OnUpdate(CView* sender, long hint, void* hintObject);
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

    // Mouse messages, which the host delivers with the key-state flags (MK_*) and the cursor position
    // in client coordinates. While the view holds the capture the host sends it every move and
    // button release, wherever the cursor is. The defaults ignore them.
    virtual void OnLButtonDown(unsigned flags, CPoint point);
    virtual void OnLButtonUp(unsigned flags, CPoint point);
    virtual void OnRButtonDown(unsigned flags, CPoint point);
    virtual void OnRButtonUp(unsigned flags, CPoint point);
    virtual void OnMouseMove(unsigned flags, CPoint point);

    // Window operations, forwarded to the host (no-ops without one).
    [[nodiscard]] CRect GetClientRect() const;
    void Invalidate(bool erase = true);
    void SetCapture();
    void ReleaseCapture();
    [[nodiscard]] bool HasCapture() const;
    [[nodiscard]] IFrameHost* GetParentFrame() const { return m_pHost ? m_pHost->GetParentFrame() : nullptr; }

  private:
    CDocument* m_pDocument = nullptr;
    IViewHost* m_pHost = nullptr;
};

} // namespace polyvane
