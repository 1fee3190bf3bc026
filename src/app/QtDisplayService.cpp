#include "QtDisplayService.h"

#include "PreviewWindow.h"
#include "platform/CView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <array>
#include <utility>

namespace polyvane {

namespace {

constexpr std::int32_t kLargestMode = 4096;

QImage::Format FormatForDepth(std::int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 16:
        return QImage::Format_RGB16;
    case 24:
        return QImage::Format_RGB888;
    case 32:
        return QImage::Format_RGB32;
    default:
        return QImage::Format_Invalid;
    }
}

// Where the colours lie in a pixel of the pages' formats, read as a little-endian number.
DDPIXELFORMAT PixelFormatOf(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB16:
        return {16, 0xF800, 0x07E0, 0x001F};
    case QImage::Format_RGB888:
        return {24, 0x0000FF, 0x00FF00, 0xFF0000};
    default:
        return {32, 0xFF0000, 0x00FF00, 0x0000FF};
    }
}

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The screen a view's window is on, when the view lives in a widget.
QScreen* ScreenOf(HWND window) {
    auto* widget = dynamic_cast<QWidget*>(window);
    return widget ? widget->screen() : nullptr;
}

// Lets the window show what it was given and take the keys and clicks meant for it. The window has
// the keyboard and the mouse to itself, so no other command of the user's runs meanwhile. (Leaving
// input events out here would hold them back from later calls too.)
void ShowPendingChanges() {
    QCoreApplication::processEvents();
}

// What a display object and the surfaces of its chain share; surfaces may outlive the display
// object, so they reach the window only through this.
struct DisplayState {
    QScreen* screen = nullptr;
    std::unique_ptr<PreviewWindow> window;
    bool released = false;
    QSize mode;
    QImage::Format format = QImage::Format_Invalid;
    std::array<QImage, 2> pages;
    int pageCount = 0;
    int front = 0;
    // The mode changed under the chain: its pages need a restore.
    bool pagesLost = false;
    int contextsOut = 0;
    QElapsedTimer sinceFlip;

    [[nodiscard]] bool ChainLost() const {
        return released || pagesLost || !window || !window->isVisible() || window->isMinimized();
    }
    void ShowFront() {
        if (window)
            window->Present(pageCount > 0 && !pagesLost ? &pages[static_cast<std::size_t>(front)] : nullptr);
    }
    void MakePages(int count) {
        pageCount = count;
        for (int i = 0; i < 2; ++i) {
            pages[static_cast<std::size_t>(i)] = i < count ? QImage(mode, format) : QImage();
            pages[static_cast<std::size_t>(i)].fill(Qt::black);
        }
        front = 0;
        pagesLost = false;
        sinceFlip.start();
    }
    // Flips are paced at the screen's refresh so that each page is seen.
    void WaitForNextFrame() const {
        qreal rate = window && window->screen() ? window->screen()->refreshRate() : 60.0;
        auto interval = static_cast<qint64>(1000.0 / std::clamp(rate, 30.0, 240.0));
        qint64 elapsed = sinceFlip.isValid() ? sinceFlip.elapsed() : interval;
        if (elapsed < interval)
            QThread::msleep(static_cast<unsigned long>(interval - elapsed));
    }
};

// Text on an opaque box of the background colour.
class QtDisplayDC final : public IDisplayDC {
  public:
    explicit QtDisplayDC(QImage& page) : m_painter(&page) {
        QFont font = QGuiApplication::font();
        font.setPixelSize(16);
        font.setBold(true);
        m_painter.setFont(font);
    }
    COLORREF SetBkColor(COLORREF colour) override { return std::exchange(m_background, colour); }
    COLORREF SetTextColor(COLORREF colour) override { return std::exchange(m_text, colour); }
    bool TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        if (!m_painter.isActive())
            return false;
        QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        QFontMetrics metrics(m_painter.font(), m_painter.device());
        QRect box(x, y, metrics.horizontalAdvance(s), metrics.height());
        m_painter.fillRect(box, ToQColor(m_background));
        m_painter.setPen(ToQColor(m_text));
        m_painter.drawText(QPoint(x, y + metrics.ascent()), s);
        return true;
    }

  private:
    QPainter m_painter;
    COLORREF m_background = RGB(255, 255, 255);
    COLORREF m_text = RGB(0, 0, 0);
};

// A page of the chain. The primary surface is always the visible page and owns the back buffer;
// a flip swaps the pages behind the two.
class QtSurface final : public IDirectDrawSurface {
  public:
    QtSurface(std::shared_ptr<DisplayState> state, bool primary, bool withBackBuffer)
        : m_state(std::move(state)), m_bPrimary(primary) {
        if (withBackBuffer)
            m_back = std::make_unique<QtSurface>(m_state, false, false);
    }
    ~QtSurface() override {
        ReleaseContext();
        if (m_bPrimary) {
            m_back.reset();
            m_state->MakePages(0);
            m_state->ShowFront();
        }
    }
    QtSurface(const QtSurface&) = delete;
    QtSurface& operator=(const QtSurface&) = delete;

    HRESULT GetAttachedSurface(const DDSCAPS& caps, IDirectDrawSurface*& out) override {
        out = nullptr;
        if (!(caps.dwCaps & DDSCAPS_BACKBUFFER) || !m_back)
            return DDERR_NOTFOUND;
        out = m_back.get();
        return DD_OK;
    }

    HRESULT GetDC(IDisplayDC*& out) override {
        out = nullptr;
        if (m_dc)
            return DDERR_SURFACEBUSY;
        if (m_state->ChainLost())
            return DDERR_SURFACELOST;
        m_dc = std::make_unique<QtDisplayDC>(m_state->pages[Page()]);
        ++m_state->contextsOut;
        out = m_dc.get();
        return DD_OK;
    }

    HRESULT ReleaseDC(IDisplayDC* dc) override {
        if (!dc || dc != m_dc.get())
            return DDERR_INVALIDPARAMS;
        ReleaseContext();
        if (m_bPrimary)
            m_state->ShowFront();
        return DD_OK;
    }

    HRESULT Flip(IDirectDrawSurface* targetOverride, std::uint32_t) override {
        if (!m_bPrimary || !m_back || (targetOverride && targetOverride != m_back.get()))
            return DDERR_INVALIDPARAMS;
        if (m_state->ChainLost())
            return DDERR_SURFACELOST;
        if (m_state->contextsOut > 0)
            return DDERR_SURFACEBUSY;
        m_state->WaitForNextFrame();
        m_state->front ^= 1;
        m_state->ShowFront();
        m_state->sinceFlip.start();
        ShowPendingChanges();
        return DD_OK;
    }

    HRESULT Lock(DDSURFACEDESC& desc) override {
        if (m_dc || m_bLocked)
            return DDERR_SURFACEBUSY;
        if (m_state->ChainLost())
            return DDERR_SURFACELOST;
        QImage& page = m_state->pages[Page()];
        desc.dwWidth = static_cast<std::uint32_t>(page.width());
        desc.dwHeight = static_cast<std::uint32_t>(page.height());
        desc.lPitch = static_cast<std::int32_t>(page.bytesPerLine());
        desc.lpSurface = page.bits();
        desc.ddpfPixelFormat = PixelFormatOf(page.format());
        m_bLocked = true;
        ++m_state->contextsOut;
        return DD_OK;
    }

    HRESULT Unlock() override {
        if (!m_bLocked)
            return DDERR_INVALIDPARAMS;
        m_bLocked = false;
        --m_state->contextsOut;
        if (m_bPrimary)
            m_state->ShowFront();
        return DD_OK;
    }

    HRESULT Restore() override {
        DisplayState& s = *m_state;
        if (s.released || !s.window)
            return DDERR_NOEXCLUSIVEMODE;
        if (s.contextsOut > 0)
            return DDERR_SURFACEBUSY;
        if (s.pagesLost)
            s.MakePages(s.pageCount);
        if (!s.window->isVisible() || s.window->isMinimized()) {
            s.window->showFullScreen();
            s.window->raise();
            s.window->activateWindow();
        }
        s.ShowFront();
        ShowPendingChanges();
        return DD_OK;
    }

  private:
    [[nodiscard]] std::size_t Page() const {
        return static_cast<std::size_t>(m_bPrimary ? m_state->front : m_state->front ^ 1);
    }
    void ReleaseContext() {
        if (m_dc) {
            m_dc.reset();
            --m_state->contextsOut;
        }
        if (m_bLocked) {
            m_bLocked = false;
            --m_state->contextsOut;
        }
    }

    std::shared_ptr<DisplayState> m_state;
    bool m_bPrimary;
    std::unique_ptr<QtSurface> m_back;
    std::unique_ptr<QtDisplayDC> m_dc;
    bool m_bLocked = false;
};

class QtDirectDraw final : public IDirectDraw {
  public:
    explicit QtDirectDraw(QScreen* screen) : m_state(std::make_shared<DisplayState>()) {
        m_state->screen = screen;
    }
    // Closing the window gives the desktop back.
    ~QtDirectDraw() override {
        m_state->released = true;
        m_state->window.reset();
    }
    QtDirectDraw(const QtDirectDraw&) = delete;
    QtDirectDraw& operator=(const QtDirectDraw&) = delete;

    HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags) override {
        bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        bool normal = (flags & DDSCL_NORMAL) != 0;
        if (exclusive != ((flags & DDSCL_FULLSCREEN) != 0) || exclusive == normal)
            return DDERR_INVALIDPARAMS;
        if (normal) {
            m_state->window.reset();
            return DD_OK;
        }
        if (!m_state->window) {
            QScreen* screen = ScreenOf(window);
            m_state->window = std::make_unique<PreviewWindow>(screen ? screen : m_state->screen);
            m_state->window->Present(nullptr);
            m_state->window->showFullScreen();
            m_state->window->activateWindow();
            ShowPendingChanges();
        }
        return DD_OK;
    }

    HRESULT SetDisplayMode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) override {
        if (!m_state->window)
            return DDERR_NOEXCLUSIVEMODE;
        QImage::Format format = FormatForDepth(bitsPerPixel);
        if (format == QImage::Format_Invalid || width <= 0 || height <= 0 || width > kLargestMode ||
            height > kLargestMode)
            return DDERR_INVALIDMODE;
        m_state->mode = QSize(width, height);
        m_state->format = format;
        if (m_state->pageCount > 0) {
            m_state->pagesLost = true;
            m_state->ShowFront();
        }
        return DD_OK;
    }

    HRESULT CreateSurface(const DDSURFACEDESC& desc, std::unique_ptr<IDirectDrawSurface>& out) override {
        out.reset();
        std::uint32_t caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : 0;
        std::uint32_t backBuffers = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) ? desc.dwBackBufferCount : 0;
        bool flipping = (caps & DDSCAPS_FLIP) != 0;
        // Only the primary surface is offered, alone or with one back buffer.
        if (desc.dwSize != DDSURFACEDESC::kSize || !(caps & DDSCAPS_PRIMARYSURFACE) || backBuffers > 1 ||
            flipping != (backBuffers == 1) || (flipping && !(caps & DDSCAPS_COMPLEX)))
            return DDERR_INVALIDPARAMS;
        if (!m_state->window)
            return DDERR_NOEXCLUSIVEMODE;
        if (m_state->pageCount > 0)
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        if (m_state->mode.isEmpty()) {
            QScreen* screen = m_state->window->screen();
            m_state->mode = screen ? screen->size() : QSize(640, 480);
            m_state->format = QImage::Format_RGB32;
        }
        m_state->MakePages(backBuffers == 1 ? 2 : 1);
        if (m_state->pages[0].isNull() || (backBuffers == 1 && m_state->pages[1].isNull())) {
            m_state->MakePages(0);
            return DDERR_OUTOFMEMORY;
        }
        out = std::make_unique<QtSurface>(m_state, true, backBuffers == 1);
        m_state->ShowFront();
        return DD_OK;
    }

    bool TakeInput() override {
        ShowPendingChanges();
        return m_state->window && m_state->window->TakeInput();
    }

  private:
    std::shared_ptr<DisplayState> m_state;
};

} // namespace

HRESULT QtDisplayService::DirectDrawCreate(std::unique_ptr<IDirectDraw>& out) {
    out.reset();
    // The window needs a widget application, and the preview a screen to cover.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !QGuiApplication::primaryScreen())
        return DDERR_NODIRECTDRAWHW;
    out = std::make_unique<QtDirectDraw>(QGuiApplication::primaryScreen());
    return DD_OK;
}

} // namespace polyvane
