#pragma once
// The drawing surface handed to a paint routine. The base class keeps the surface's state (its pens
// and brushes, the selected ones, the current position, the text attributes and the viewport origin)
// and can write every call as one line of text to a trace sink; a backend only renders the resolved
// primitives through the protected Render* hooks, in device coordinates.
//
// Backends: CRecordingDC (records the trace, draws nothing), CRasterDC (software pixels),
// QPainterDC in the Qt layer. A surface that draws nothing and records nothing is a plain CDC.
#include "Dib.h"
#include "Geometry.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_INSIDEFRAME = 6;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int NULL_BRUSH = 5;
constexpr int BLACK_PEN = 7;

// A pen or brush of a surface; 0 is no object. Handles are only meaningful on the surface that made
// them.
using HGDIOBJ = std::uint32_t;

struct Pen {
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = RGB(0, 0, 0);
};

struct Brush {
    bool hollow = false;
    COLORREF colour = RGB(255, 255, 255);
};

// Text attributes in effect when a text is drawn.
struct TextStyle {
    COLORREF colour = RGB(0, 0, 0);
    COLORREF background = RGB(255, 255, 255);
    int bkMode = OPAQUE;
};

class CDC {
  public:
    // `client` is the client rectangle of the window the surface paints (left and top 0).
    explicit CDC(CRect client = CRect{});
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Every later call is also written to `sink` as one line without its newline (null: no trace).
    void SetTraceSink(std::function<void(std::string_view)> sink) { m_trace = std::move(sink); }

    [[nodiscard]] CRect GetClientRect();

    // Pens and brushes. A surface starts with the stock black one-pixel pen and white brush
    // selected. SelectObject returns the object selected before (0 for an unknown handle, leaving
    // the selection unchanged). DeleteObject refuses stock objects and objects still selected.
    HGDIOBJ CreatePen(int style, int width, COLORREF colour);
    HGDIOBJ CreateSolidBrush(COLORREF colour);
    HGDIOBJ SelectObject(HGDIOBJ object);
    HGDIOBJ SelectStockObject(int stock);
    bool DeleteObject(HGDIOBJ object);
    [[nodiscard]] HGDIOBJ GetStockObject(int stock) const;

    // Lines in the current pen from the current position; LineTo leaves the end point unpainted and
    // moves the current position there. MoveTo returns the previous position.
    CPoint MoveTo(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    // A closed outline through the points in the current pen, filled (alternate rule) with the
    // current brush.
    void Polygon(const CPoint* points, int count);
    // A batch of Polygon calls with the current pen and brush, drawn one after the other: outline i
    // is the first counts[i] (at most 4) of its points.
    void Polygons(std::span<const std::array<CPoint, 4>> outlines, std::span<const std::uint8_t> counts);
    // `text` with its top-left corner at (x, y), in the text colour; on the background colour when
    // the background mode is OPAQUE.
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text);

    COLORREF SetTextColor(COLORREF colour);
    COLORREF SetBkColor(COLORREF colour);
    int SetBkMode(int mode);
    void FillSolidRect(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, COLORREF colour);

    // Scales the source rectangle of a device-independent bitmap onto the destination rectangle (see
    // Dib.h). Returns the number of destination rows drawn, 0 on failure (bad header, bits too
    // short for the header, unsupported usage or raster operation).
    int StretchDIBits(std::int32_t xDest, std::int32_t yDest, std::int32_t wDest, std::int32_t hDest,
                      std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc,
                      std::span<const std::uint8_t> bits, const BITMAPINFO& info,
                      unsigned usage = DIB_RGB_COLORS, std::uint32_t rop = SRCCOPY);

    // Logical coordinates are device coordinates minus the viewport origin, which a scrolled view
    // sets to minus its scroll position.
    CPoint SetViewportOrg(std::int32_t x, std::int32_t y);
    void DPtoLP(CPoint* points, int count = 1);

    [[nodiscard]] const Pen& CurrentPen() const;
    [[nodiscard]] const Brush& CurrentBrush() const;
    [[nodiscard]] CPoint CurrentPosition() const { return m_position; }
    [[nodiscard]] const TextStyle& CurrentTextStyle() const { return m_text; }

  protected:
    // Rendering hooks, in device coordinates. The defaults draw nothing.
    virtual void RenderLine(CPoint from, CPoint to, const Pen& pen);
    virtual void RenderPolygon(std::span<const CPoint> points, const Pen& pen, const Brush& brush);
    // The outlines of Polygons, in device coordinates, each of 2 to 4 points; by default each one
    // through RenderPolygon in turn.
    virtual void RenderPolygons(std::span<const std::array<CPoint, 4>> outlines,
                                std::span<const std::uint8_t> counts, const Pen& pen, const Brush& brush);
    virtual void RenderText(CPoint topLeft, std::string_view text, const TextStyle& style);
    virtual void RenderFill(CRect rect, COLORREF colour);
    // A bitmap blit resolved to device pixels (see StretchedBitmap in Dib.h).
    virtual void RenderBitmap(const StretchedBitmap& bitmap);

  private:
    struct Object {
        enum class Kind { none, pen, brush } kind = Kind::none;
        Pen pen;
        Brush brush;
        bool stock = false;
        bool deleted = false; // its handle is never reused, so the trace can still name it
        int stockId = 0;
        std::uint32_t serial = 0; // creation number, for the trace
    };

    void Trace(const std::string& line);
    [[nodiscard]] bool Tracing() const { return static_cast<bool>(m_trace); }
    [[nodiscard]] std::string ObjectName(HGDIOBJ object) const;
    [[nodiscard]] const Object* Find(HGDIOBJ object) const;
    // Logical to device, saturating rather than wrapping for points far off the window.
    [[nodiscard]] CPoint ToDevice(std::int64_t x, std::int64_t y) const;
    [[nodiscard]] CPoint ToDevice(CPoint p) const { return ToDevice(p.x, p.y); }
    HGDIOBJ Select(HGDIOBJ object);

    CRect m_client;
    std::vector<Object> m_objects; // index = handle; 0 unused
    std::uint32_t m_created = 0;
    HGDIOBJ m_pen = 0;
    HGDIOBJ m_brush = 0;
    CPoint m_position{};
    CPoint m_viewportOrg{};
    TextStyle m_text;
    std::function<void(std::string_view)> m_trace;
};

// A surface that keeps the trace of every call and draws nothing.
class CRecordingDC final : public CDC {
  public:
    explicit CRecordingDC(CRect client = CRect{0, 0, 640, 480});
    [[nodiscard]] const std::vector<std::string>& Lines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

  private:
    std::vector<std::string> m_lines;
};

// Names used in the trace.
[[nodiscard]] std::string PenStyleName(int style);
[[nodiscard]] std::string ColourText(COLORREF colour);
[[nodiscard]] std::string QuotedText(std::string_view text);

} // namespace polyvane
