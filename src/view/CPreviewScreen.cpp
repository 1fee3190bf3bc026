#include "CPreviewScreen.h"

#include "platform/MessageBox.h"

namespace polyvane {

namespace {
constexpr int kPreviewFlips = 60;
constexpr COLORREF kWordBackground = RGB(0, 0, 255);
constexpr COLORREF kWordColour = RGB(255, 255, 0);
} // namespace

CPreviewScreen::CPreviewScreen(IDisplayService& service) : m_service(service) {}

CPreviewScreen::~CPreviewScreen() {
    if (m_pDD) {
        m_pBack = nullptr;
        m_pPrimary.reset();
        m_pDD.reset();
    }
}

bool CPreviewScreen::Init() {
    m_ddrval = m_service.DirectDrawCreate(m_pDD);
    if (m_ddrval != DD_OK || !m_pDD)
        return false;

    // A flipping primary surface needs the display to itself, so ask for exclusive full-screen use
    // for the view's window rather than normal cooperation.
    m_ddrval = m_pDD->SetCooperativeLevel(m_hWnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    if (m_ddrval != DD_OK)
        return false;

    m_ddrval = m_pDD->SetDisplayMode(m_width, m_height, m_bpp);
    if (m_ddrval != DD_OK)
        return false;

    DDSURFACEDESC desc;
    desc.dwSize = DDSURFACEDESC::kSize;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    m_ddrval = m_pDD->CreateSurface(desc, m_pPrimary);
    if (m_ddrval != DD_OK || !m_pPrimary)
        return false;

    m_ddrval = m_pPrimary->GetAttachedSurface(DDSCAPS{DDSCAPS_BACKBUFFER}, m_pBack);
    if (m_ddrval != DD_OK || !m_pBack)
        return false;

    // Without a drawing context the chain still flips; only the word is missing.
    IDisplayDC* dc = nullptr;
    if (m_pPrimary->GetDC(dc) != DD_OK || !dc)
        return true;
    dc->SetBkColor(kWordBackground);
    dc->SetTextColor(kWordColour);
    dc->TextOut(0, 0, "Front");
    m_pPrimary->ReleaseDC(dc);
    return true;
}

void CPreviewScreen::Flip() {
    if (!m_pPrimary)
        return;
    for (;;) {
        m_ddrval = m_pPrimary->Flip(nullptr, 0);
        if (m_ddrval == DD_OK)
            return;
        if (m_ddrval == DDERR_SURFACELOST) {
            m_ddrval = m_pPrimary->Restore();
            if (m_ddrval == DD_OK)
                return;
        }
        if (m_ddrval != DDERR_WASSTILLDRAWING)
            return;
    }
}

void RunPreview(IDisplayService& service, HWND window) {
    CPreviewScreen screen(service);
    screen.m_hWnd = window;
    if (screen.Init()) {
        for (int i = 0; i < kPreviewFlips; ++i)
            screen.Flip();
        AfxMessageBox("OK");
    } else {
        AfxMessageBox("Err");
    }
}

} // namespace polyvane
