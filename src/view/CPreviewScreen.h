#pragma once
// The full-screen preview: switches the display to 800 x 600 at 16 bits per pixel, writes "Front" on
// the visible page of a two-page flip chain and flips it, then gives the display back on destruction.
#include "platform/DisplayService.h"

#include <cstdint>
#include <memory>

namespace polyvane {

class CPreviewScreen {
  public:
    explicit CPreviewScreen(IDisplayService& service);
    // Releases the primary surface (and with it the back buffer), then the display object.
    ~CPreviewScreen();
    CPreviewScreen(const CPreviewScreen&) = delete;
    CPreviewScreen& operator=(const CPreviewScreen&) = delete;

    // Sets up the display and the flip chain and writes the word on the visible page. False when any
    // step up to the back buffer is refused; what was made by then stays for the destructor.
    [[nodiscard]] bool Init();
    // One page flip: a lost surface is restored (and that flip dropped); a flip the display is still
    // busy with is asked for again until it answers otherwise.
    void Flip();

    HWND m_hWnd = nullptr;
    std::unique_ptr<IDirectDraw> m_pDD;
    std::unique_ptr<IDirectDrawSurface> m_pPrimary;
    // Belongs to the primary surface's chain.
    IDirectDrawSurface* m_pBack = nullptr;
    HRESULT m_ddrval = DD_OK;
    std::int32_t m_width = 800;
    std::int32_t m_height = 600;
    std::int32_t m_bpp = 16;

  private:
    IDisplayService& m_service;
};

// The model view's "Preview" command: one preview of 60 flips, reported as "OK", or "Err" when the
// display could not be set up. The display is given back only after the message box is closed.
void RunPreview(IDisplayService& service, HWND window);

} // namespace polyvane
