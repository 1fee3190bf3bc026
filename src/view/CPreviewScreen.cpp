#include "CPreviewScreen.h"

#include "gpu/FrameBufferPicture.h"
#include "platform/MessageBox.h"

#include <bit>
#include <vector>

namespace polyvane {

namespace {

// One 8-bit channel placed in the bits of `mask`, keeping its high bits when the mask is narrower.
std::uint32_t Place(std::uint32_t channel, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const std::uint32_t value = bits >= 8 ? channel << (bits - 8) : channel >> (8 - bits);
    return (value << shift) & mask;
}

} // namespace

std::uint32_t PixelOfWord(std::uint16_t word, const DDPIXELFORMAT& format) {
    const std::uint32_t rgb = WidenWord(word); // red in the low byte
    return Place(rgb & 0xFF, format.dwRBitMask) | Place((rgb >> 8) & 0xFF, format.dwGBitMask) |
           Place((rgb >> 16) & 0xFF, format.dwBBitMask);
}

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
    return m_ddrval == DD_OK && m_pBack;
}

bool CPreviewScreen::Present(std::span<const std::uint16_t> picture) {
    if (!m_pBack || picture.size() < std::size_t(m_width) * std::size_t(m_height))
        return false;
    DDSURFACEDESC desc;
    desc.dwSize = DDSURFACEDESC::kSize;
    if (m_pBack->Lock(desc) != DD_OK || !desc.lpSurface)
        return false;
    const std::uint32_t bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
    const bool fits = desc.dwWidth >= std::uint32_t(m_width) && desc.dwHeight >= std::uint32_t(m_height) &&
                      bytes >= 1 && bytes <= 4 &&
                      std::uint64_t(desc.lPitch) >= std::uint64_t(bytes) * std::uint32_t(m_width);
    if (fits) {
        auto* rows = static_cast<std::uint8_t*>(desc.lpSurface);
        for (std::int32_t y = 0; y < m_height; ++y) {
            std::uint8_t* out = rows + std::size_t(y) * std::size_t(desc.lPitch);
            for (std::int32_t x = 0; x < m_width; ++x) {
                std::uint32_t pixel = PixelOfWord(
                    picture[std::size_t(y) * std::size_t(m_width) + std::size_t(x)], desc.ddpfPixelFormat);
                for (std::uint32_t b = 0; b < bytes; ++b, pixel >>= 8)
                    *out++ = static_cast<std::uint8_t>(pixel);
            }
        }
    }
    m_pBack->Unlock();
    return fits;
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

void RunPreview(IDisplayService& service, HWND window, std::int32_t width, std::int32_t height,
                const PreviewPainter& paint) {
    CPreviewScreen screen(service);
    screen.m_hWnd = window;
    screen.m_width = width;
    screen.m_height = height;
    bool failed = !screen.Init();
    if (!failed) {
        std::vector<std::uint16_t> picture(std::size_t(width) * std::size_t(height));
        // The user ends it; a display that stops flipping ends it too, and says so.
        for (int frame = 0; !screen.m_pDD->TakeInput(); ++frame) {
            paint(picture, width, height, frame);
            screen.Present(picture);
            screen.Flip();
            if (screen.m_ddrval != DD_OK) {
                failed = true;
                break;
            }
        }
    }
    if (failed)
        AfxMessageBox("Err");
}

} // namespace polyvane
