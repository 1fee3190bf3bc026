#pragma once
// A display service that answers from a script and writes every call it receives, with the values
// passed, as one line of a shared log. A message box that writes into the same log shows where the
// box came in the order of calls.
#include "platform/DisplayService.h"
#include "platform/MessageBox.h"

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace polyvane::test {

inline std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

class ScriptedDisplayService final : public IDisplayService {
  public:
    // Answers by operation name ("DirectDrawCreate", "SetCooperativeLevel", "SetDisplayMode",
    // "CreateSurface", "GetAttachedSurface", "GetDC", "ReleaseDC", "Lock"); DD_OK when absent.
    std::map<std::string, HRESULT> answers;
    // Answers of successive flips and restores; DD_OK once a queue is empty.
    std::deque<HRESULT> flipAnswers;
    std::deque<HRESULT> restoreAnswers;
    std::vector<std::string> log;
    HWND cooperativeWindow = nullptr;
    int liveDisplays = 0;
    int liveSurfaces = 0;
    int flips = 0;
    // TakeInput answers true from its call number `inputAfter` on (0: at once).
    int inputAfter = 0;
    int inputChecks = 0;
    // The mode last set, and the back buffer's pixels (16 bits, 5-6-5) as last unlocked.
    std::int32_t modeWidth = 0, modeHeight = 0;
    std::vector<std::uint16_t> presented;

    HRESULT DirectDrawCreate(std::unique_ptr<IDirectDraw>& out) override {
        log.emplace_back("DirectDrawCreate");
        HRESULT r = Answer("DirectDrawCreate");
        if (r == DD_OK)
            out = std::make_unique<Display>(*this);
        return r;
    }

    [[nodiscard]] HRESULT Answer(const std::string& operation) const {
        auto it = answers.find(operation);
        return it == answers.end() ? DD_OK : it->second;
    }

  private:
    class Context final : public IDisplayDC {
      public:
        explicit Context(ScriptedDisplayService& s) : m_s(s) {}
        COLORREF SetBkColor(COLORREF colour) override {
            m_s.log.push_back("SetBkColor " + Hex(colour));
            return std::exchange(m_bk, colour);
        }
        COLORREF SetTextColor(COLORREF colour) override {
            m_s.log.push_back("SetTextColor " + Hex(colour));
            return std::exchange(m_text, colour);
        }
        bool TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
            m_s.log.push_back("TextOut " + std::to_string(x) + "," + std::to_string(y) + " " +
                              std::string(text));
            return true;
        }

      private:
        ScriptedDisplayService& m_s;
        COLORREF m_bk = RGB(255, 255, 255);
        COLORREF m_text = RGB(0, 0, 0);
    };

    class Surface final : public IDirectDrawSurface {
      public:
        Surface(ScriptedDisplayService& s, std::string name, bool withBackBuffer)
            : m_s(s), m_name(std::move(name)), m_context(s) {
            ++m_s.liveSurfaces;
            if (withBackBuffer)
                m_back = std::make_unique<Surface>(s, "back", false);
        }
        ~Surface() override {
            if (m_name == "primary")
                m_s.log.emplace_back("release primary");
            --m_s.liveSurfaces;
        }
        HRESULT GetAttachedSurface(const DDSCAPS& caps, IDirectDrawSurface*& out) override {
            m_s.log.push_back("GetAttachedSurface " + Hex(caps.dwCaps));
            HRESULT r = m_s.Answer("GetAttachedSurface");
            out = r == DD_OK ? m_back.get() : nullptr;
            return r;
        }
        HRESULT GetDC(IDisplayDC*& out) override {
            m_s.log.emplace_back("GetDC " + m_name);
            HRESULT r = m_s.Answer("GetDC");
            out = r == DD_OK ? &m_context : nullptr;
            return r;
        }
        HRESULT ReleaseDC(IDisplayDC* dc) override {
            m_s.log.emplace_back(dc == &m_context ? "ReleaseDC" : "ReleaseDC of a foreign context");
            return m_s.Answer("ReleaseDC");
        }
        HRESULT Flip(IDirectDrawSurface* target, std::uint32_t flags) override {
            m_s.log.push_back("Flip " + std::string(target ? "target " : "") + Hex(flags));
            ++m_s.flips;
            return Next(m_s.flipAnswers);
        }
        HRESULT Restore() override {
            m_s.log.emplace_back("Restore");
            return Next(m_s.restoreAnswers);
        }
        HRESULT Lock(DDSURFACEDESC& desc) override {
            m_s.log.emplace_back("Lock " + m_name);
            const HRESULT r = m_s.Answer("Lock");
            if (r != DD_OK)
                return r;
            m_pixels.assign(std::size_t(m_s.modeWidth) * std::size_t(m_s.modeHeight), 0);
            desc.dwWidth = static_cast<std::uint32_t>(m_s.modeWidth);
            desc.dwHeight = static_cast<std::uint32_t>(m_s.modeHeight);
            desc.lPitch = m_s.modeWidth * 2;
            desc.lpSurface = m_pixels.data();
            desc.ddpfPixelFormat = {16, 0xF800, 0x07E0, 0x001F};
            return DD_OK;
        }
        HRESULT Unlock() override {
            m_s.log.emplace_back("Unlock " + m_name);
            m_s.presented = m_pixels;
            return DD_OK;
        }

      private:
        static HRESULT Next(std::deque<HRESULT>& queue) {
            if (queue.empty())
                return DD_OK;
            HRESULT r = queue.front();
            queue.pop_front();
            return r;
        }
        ScriptedDisplayService& m_s;
        std::string m_name;
        Context m_context;
        std::unique_ptr<Surface> m_back;
        std::vector<std::uint16_t> m_pixels;
    };

    class Display final : public IDirectDraw {
      public:
        explicit Display(ScriptedDisplayService& s) : m_s(s) { ++m_s.liveDisplays; }
        ~Display() override {
            m_s.log.emplace_back("release display");
            --m_s.liveDisplays;
        }
        HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags) override {
            m_s.log.push_back("SetCooperativeLevel " + Hex(flags));
            m_s.cooperativeWindow = window;
            return m_s.Answer("SetCooperativeLevel");
        }
        HRESULT SetDisplayMode(std::int32_t width, std::int32_t height, std::int32_t bpp) override {
            m_s.log.push_back("SetDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                              std::to_string(bpp));
            m_s.modeWidth = width;
            m_s.modeHeight = height;
            return m_s.Answer("SetDisplayMode");
        }
        HRESULT CreateSurface(const DDSURFACEDESC& d, std::unique_ptr<IDirectDrawSurface>& out) override {
            m_s.log.push_back("CreateSurface size " + std::to_string(d.dwSize) + " flags " + Hex(d.dwFlags) +
                              " caps " + Hex(d.ddsCaps.dwCaps) + " back " +
                              std::to_string(d.dwBackBufferCount));
            HRESULT r = m_s.Answer("CreateSurface");
            if (r == DD_OK)
                out = std::make_unique<Surface>(m_s, "primary", d.dwBackBufferCount > 0);
            return r;
        }
        bool TakeInput() override { return m_s.inputChecks++ >= m_s.inputAfter; }

      private:
        ScriptedDisplayService& m_s;
    };
};

// A message box that writes "box TEXT" into a log.
class LoggingMessageBox final : public IMessageBox {
  public:
    explicit LoggingMessageBox(std::vector<std::string>& log) : m_log(log) {}
    void Show(std::string_view text) override { m_log.push_back("box " + std::string(text)); }

  private:
    std::vector<std::string>& m_log;
};

} // namespace polyvane::test
