#pragma once
// The display as a service: exclusive full-screen use, a display mode, a primary surface with a flip
// chain, and a drawing context on a surface. Every operation answers with a result code rather than
// throwing, so the caller decides what a refusal means. The Qt backend shows a full-screen window; the
// headless default has no display and refuses to create one.
#include "Geometry.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace polyvane {

class IViewHost;

// The window a display request is made for: the view's host (null when there is none).
using HWND = IViewHost*;

using HRESULT = std::int32_t;

constexpr HRESULT MakeDisplayError(std::uint32_t code) {
    return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDMODE = MakeDisplayError(90);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDisplayError(225);
constexpr HRESULT DDERR_NOTFOUND = MakeDisplayError(255);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDisplayError(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDisplayError(450);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDisplayError(540);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDisplayError(564);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDisplayError(592);

[[nodiscard]] constexpr bool Succeeded(HRESULT r) {
    return r >= 0;
}
[[nodiscard]] constexpr bool Failed(HRESULT r) {
    return r < 0;
}

// Cooperation flags.
constexpr std::uint32_t DDSCL_FULLSCREEN = 0x01;
constexpr std::uint32_t DDSCL_NORMAL = 0x08;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x10;

// Which fields of a surface description are meaningful.
constexpr std::uint32_t DDSD_CAPS = 0x01;
constexpr std::uint32_t DDSD_BACKBUFFERCOUNT = 0x20;

// Surface capabilities.
constexpr std::uint32_t DDSCAPS_BACKBUFFER = 0x004;
constexpr std::uint32_t DDSCAPS_COMPLEX = 0x008;
constexpr std::uint32_t DDSCAPS_FLIP = 0x010;
constexpr std::uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;

struct DDSCAPS {
    std::uint32_t dwCaps = 0;
};

// How a pixel of a locked surface is laid out: its size in bits and where each colour's bits lie in
// it, the pixel read as a little-endian number.
struct DDPIXELFORMAT {
    std::uint32_t dwRGBBitCount = 0;
    std::uint32_t dwRBitMask = 0;
    std::uint32_t dwGBitMask = 0;
    std::uint32_t dwBBitMask = 0;
};

// What a surface is asked to be. `dwSize` is the size of the full description the callers were
// written against; services check it to refuse descriptions they do not understand.
struct DDSURFACEDESC {
    static constexpr std::uint32_t kSize = 108;
    std::uint32_t dwSize = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwBackBufferCount = 0;
    DDSCAPS ddsCaps;
    // Filled in by Lock: the surface's size in pixels, the bytes from one row to the next, its
    // first pixel and its pixel layout.
    std::uint32_t dwWidth = 0;
    std::uint32_t dwHeight = 0;
    std::int32_t lPitch = 0;
    void* lpSurface = nullptr;
    DDPIXELFORMAT ddpfPixelFormat;
};

// A drawing context on a display surface, valid between the surface's GetDC and ReleaseDC. Text is
// drawn on an opaque box of the background colour.
class IDisplayDC {
  public:
    virtual ~IDisplayDC() = default;
    // Each returns the colour set before.
    virtual COLORREF SetBkColor(COLORREF colour) = 0;
    virtual COLORREF SetTextColor(COLORREF colour) = 0;
    // `text` with its top-left corner at (x, y).
    virtual bool TextOut(std::int32_t x, std::int32_t y, std::string_view text) = 0;
};

// One surface. Destroying the primary surface releases its whole flip chain; a surface taken from the
// chain with GetAttachedSurface belongs to the chain and is never destroyed on its own.
class IDirectDrawSurface {
  public:
    virtual ~IDirectDrawSurface() = default;
    // The chain's surface with capabilities `caps`; `out` stays owned by this surface's chain.
    virtual HRESULT GetAttachedSurface(const DDSCAPS& caps, IDirectDrawSurface*& out) = 0;
    virtual HRESULT GetDC(IDisplayDC*& out) = 0;
    virtual HRESULT ReleaseDC(IDisplayDC* dc) = 0;
    // Makes the next surface of the chain visible; `targetOverride` null means the next in turn.
    virtual HRESULT Flip(IDirectDrawSurface* targetOverride, std::uint32_t flags) = 0;
    // Brings back the memory of a lost surface.
    virtual HRESULT Restore() = 0;
    // Gives direct access to the surface's pixels until Unlock (`desc` says where they are); a locked
    // surface neither flips nor hands out a drawing context.
    virtual HRESULT Lock(DDSURFACEDESC& desc) = 0;
    virtual HRESULT Unlock() = 0;
};

// The display object. Destroying it gives the desktop back its own mode.
class IDirectDraw {
  public:
    virtual ~IDirectDraw() = default;
    virtual HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags) = 0;
    virtual HRESULT SetDisplayMode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) = 0;
    virtual HRESULT CreateSurface(const DDSURFACEDESC& desc, std::unique_ptr<IDirectDrawSurface>& out) = 0;
    // True when a key was pressed or a mouse button clicked on the display since the last call.
    [[nodiscard]] virtual bool TakeInput() = 0;
};

// Where display objects come from.
class IDisplayService {
  public:
    virtual ~IDisplayService() = default;
    // A display object for the default display.
    virtual HRESULT DirectDrawCreate(std::unique_ptr<IDirectDraw>& out) = 0;
};

// A service with no display behind it: every request for a display object is refused.
class NoDisplayService final : public IDisplayService {
  public:
    HRESULT DirectDrawCreate(std::unique_ptr<IDirectDraw>& out) override {
        out.reset();
        return DDERR_NODIRECTDRAWHW;
    }
};

// Installs `service` as the one DisplayService() returns (null restores the default without a
// display) and returns the one installed before.
IDisplayService* SetDisplayService(IDisplayService* service);
IDisplayService& DisplayService();

// Installs a service for the lifetime of a scope.
class ScopedDisplayService {
  public:
    explicit ScopedDisplayService(IDisplayService& service) : m_previous(SetDisplayService(&service)) {}
    ~ScopedDisplayService() { SetDisplayService(m_previous); }
    ScopedDisplayService(const ScopedDisplayService&) = delete;
    ScopedDisplayService& operator=(const ScopedDisplayService&) = delete;

  private:
    IDisplayService* m_previous;
};

} // namespace polyvane
