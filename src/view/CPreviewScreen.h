#pragma once
// The full-screen preview: takes the display in a television's mode (320 x 240, or 640 x 480, at
// 16 bits per pixel) with a two-page flip chain, writes 15-bit pictures onto the hidden page and
// flips it, then gives the display back on destruction.
#include "platform/DisplayService.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace polyvane {

class CPreviewScreen {
  public:
    explicit CPreviewScreen(IDisplayService& service);
    // Releases the primary surface (and with it the back buffer), then the display object.
    ~CPreviewScreen();
    CPreviewScreen(const CPreviewScreen&) = delete;
    CPreviewScreen& operator=(const CPreviewScreen&) = delete;

    // Sets up the display and the flip chain. False when any step up to the back buffer is refused;
    // what was made by then stays for the destructor.
    [[nodiscard]] bool Init();
    // Writes `picture` (m_width x m_height 15-bit words, row after row) onto the back buffer in the
    // surface's own pixel layout. False when the surface could not be locked or is too small.
    bool Present(std::span<const std::uint16_t> picture);
    // One page flip: a lost surface is restored (and that flip dropped); a flip the display is still
    // busy with is asked for again until it answers otherwise.
    void Flip();

    HWND m_hWnd = nullptr;
    std::unique_ptr<IDirectDraw> m_pDD;
    std::unique_ptr<IDirectDrawSurface> m_pPrimary;
    // Belongs to the primary surface's chain.
    IDirectDrawSurface* m_pBack = nullptr;
    HRESULT m_ddrval = DD_OK;
    std::int32_t m_width = 320;
    std::int32_t m_height = 240;
    std::int32_t m_bpp = 16;

  private:
    IDisplayService& m_service;
};

// Paints frame `frame` (0, 1, ...) of a preview into `picture`, width x height 15-bit words.
using PreviewPainter =
    std::function<void(std::span<std::uint16_t> picture, std::int32_t width, std::int32_t height, int frame)>;

// The model view's "Preview" command: shows the painter's frames one after another in a mode of
// width x height until a key is pressed or a button clicked on the display. Nothing is said after
// it unless the display could not be set up or stopped flipping ("Err"); the display is given back
// only after that box is closed.
void RunPreview(IDisplayService& service, HWND window, std::int32_t width, std::int32_t height,
                const PreviewPainter& paint);

// A 15-bit frame-buffer word as a pixel of `format` (for 8 bits a channel or fewer).
[[nodiscard]] std::uint32_t PixelOfWord(std::uint16_t word, const DDPIXELFORMAT& format);

} // namespace polyvane
