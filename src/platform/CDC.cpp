#include "CDC.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace polyvane {

namespace {
// Handles of the stock objects, made by every surface at construction.
constexpr HGDIOBJ kStockBlackPen = 1;
constexpr HGDIOBJ kStockWhiteBrush = 2;
constexpr HGDIOBJ kStockNullBrush = 3;

std::int32_t Saturate(std::int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
}

std::string PointText(CPoint p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}
std::string Num(std::int64_t v) {
    return std::to_string(v);
}
} // namespace

std::string PenStyleName(int style) {
    switch (style) {
    case PS_SOLID:
        return "PS_SOLID";
    case PS_DASH:
        return "PS_DASH";
    case PS_INSIDEFRAME:
        return "PS_INSIDEFRAME";
    default:
        return std::to_string(style);
    }
}

std::string ColourText(COLORREF colour) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06x", static_cast<unsigned>(colour & 0xFFFFFF));
    return buf;
}

std::string QuotedText(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

CDC::CDC(CRect client) : m_client(client) {
    m_objects.resize(4);
    m_objects[kStockBlackPen] = {
        Object::Kind::pen, Pen{PS_SOLID, 1, RGB(0, 0, 0)}, {}, true, false, BLACK_PEN, 0};
    m_objects[kStockWhiteBrush] = {Object::Kind::brush, {}, Brush{false, RGB(255, 255, 255)}, true,
                                   WHITE_BRUSH,         0};
    m_objects[kStockNullBrush] = {Object::Kind::brush, {}, Brush{true, 0}, true, false, NULL_BRUSH, 0};
    m_pen = kStockBlackPen;
    m_brush = kStockWhiteBrush;
}

void CDC::Trace(const std::string& line) {
    if (m_trace)
        m_trace(line);
}

const CDC::Object* CDC::Find(HGDIOBJ object) const {
    if (object == 0 || object >= m_objects.size() || m_objects[object].kind == Object::Kind::none ||
        m_objects[object].deleted)
        return nullptr;
    return &m_objects[object];
}

std::string CDC::ObjectName(HGDIOBJ object) const {
    if (object == 0)
        return "none";
    if (object >= m_objects.size() || m_objects[object].kind == Object::Kind::none)
        return "unknown:" + std::to_string(object);
    const Object* o = &m_objects[object];
    if (o->stock) {
        switch (o->stockId) {
        case BLACK_PEN:
            return "BLACK_PEN";
        case WHITE_BRUSH:
            return "WHITE_BRUSH";
        default:
            return "NULL_BRUSH";
        }
    }
    return (o->kind == Object::Kind::pen ? "pen" : "brush") + std::to_string(o->serial);
}

CPoint CDC::ToDevice(std::int64_t x, std::int64_t y) const {
    return {Saturate(x + m_viewportOrg.x), Saturate(y + m_viewportOrg.y)};
}

CRect CDC::GetClientRect() {
    Trace("GetClientRect");
    return m_client;
}

HGDIOBJ CDC::CreatePen(int style, int width, COLORREF colour) {
    if (Tracing())
        Trace("CreatePen " + PenStyleName(style) + " " + Num(width) + " " + ColourText(colour));
    Object o;
    o.kind = Object::Kind::pen;
    o.pen = Pen{style, std::max(width, 1), colour & 0xFFFFFF};
    o.serial = ++m_created;
    m_objects.push_back(o);
    return static_cast<HGDIOBJ>(m_objects.size() - 1);
}

HGDIOBJ CDC::CreateSolidBrush(COLORREF colour) {
    if (Tracing())
        Trace("CreateSolidBrush " + ColourText(colour));
    Object o;
    o.kind = Object::Kind::brush;
    o.brush = Brush{false, colour & 0xFFFFFF};
    o.serial = ++m_created;
    m_objects.push_back(o);
    return static_cast<HGDIOBJ>(m_objects.size() - 1);
}

HGDIOBJ CDC::Select(HGDIOBJ object) {
    const Object* o = Find(object);
    if (!o)
        return 0;
    HGDIOBJ& slot = o->kind == Object::Kind::pen ? m_pen : m_brush;
    const HGDIOBJ previous = slot;
    slot = object;
    return previous;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    if (Tracing())
        Trace("SelectObject " + ObjectName(object));
    return Select(object);
}

HGDIOBJ CDC::GetStockObject(int stock) const {
    switch (stock) {
    case BLACK_PEN:
        return kStockBlackPen;
    case WHITE_BRUSH:
        return kStockWhiteBrush;
    case NULL_BRUSH:
        return kStockNullBrush;
    default:
        return 0;
    }
}

HGDIOBJ CDC::SelectStockObject(int stock) {
    const HGDIOBJ object = GetStockObject(stock);
    if (Tracing())
        Trace("SelectStockObject " + (object ? ObjectName(object) : std::to_string(stock)));
    return Select(object);
}

bool CDC::DeleteObject(HGDIOBJ object) {
    if (Tracing())
        Trace("DeleteObject " + ObjectName(object));
    const Object* o = Find(object);
    if (!o || o->stock || object == m_pen || object == m_brush)
        return false;
    m_objects[object].deleted = true;
    return true;
}

const Pen& CDC::CurrentPen() const {
    return m_objects[m_pen].pen;
}
const Brush& CDC::CurrentBrush() const {
    return m_objects[m_brush].brush;
}

CPoint CDC::MoveTo(std::int32_t x, std::int32_t y) {
    if (Tracing())
        Trace("MoveTo " + Num(x) + " " + Num(y));
    const CPoint previous = m_position;
    m_position = {x, y};
    return previous;
}

void CDC::LineTo(std::int32_t x, std::int32_t y) {
    if (Tracing())
        Trace("LineTo " + Num(x) + " " + Num(y));
    RenderLine(ToDevice(m_position), ToDevice({x, y}), CurrentPen());
    m_position = {x, y};
}

void CDC::Polygon(const CPoint* points, int count) {
    if (count < 0 || (count > 0 && !points))
        count = 0;
    const std::span<const CPoint> input(points, static_cast<std::size_t>(count));
    if (Tracing()) {
        std::string line = "Polygon";
        for (const CPoint& p : input)
            line += " " + PointText(p);
        Trace(line);
    }
    if (count < 2)
        return;
    // Paints of big models draw many small polygons: those stay off the heap.
    CPoint small[8];
    std::vector<CPoint> big;
    CPoint* device = small;
    if (input.size() > std::size(small)) {
        big.resize(input.size());
        device = big.data();
    }
    for (std::size_t i = 0; i < input.size(); ++i)
        device[i] = ToDevice(input[i]);
    RenderPolygon(std::span<const CPoint>(device, input.size()), CurrentPen(), CurrentBrush());
}

void CDC::Polygons(std::span<const std::array<CPoint, 4>> outlines, std::span<const std::uint8_t> counts) {
    const std::size_t n = std::min(outlines.size(), counts.size());
    // Traced, or drawn away from the device origin, each outline goes as its own call.
    if (Tracing() || m_viewportOrg != CPoint{}) {
        for (std::size_t i = 0; i < n; ++i)
            Polygon(outlines[i].data(), std::min<int>(counts[i], 4));
        return;
    }
    RenderPolygons(outlines.first(n), counts.first(n), CurrentPen(), CurrentBrush());
}

void CDC::RenderPolygons(std::span<const std::array<CPoint, 4>> outlines,
                         std::span<const std::uint8_t> counts, const Pen& pen, const Brush& brush) {
    for (std::size_t i = 0; i < outlines.size() && i < counts.size(); ++i)
        if (counts[i] >= 2)
            RenderPolygon(std::span<const CPoint>(outlines[i].data(), std::min<std::size_t>(counts[i], 4)),
                          pen, brush);
}

void CDC::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    if (Tracing())
        Trace("TextOut " + Num(x) + " " + Num(y) + " " + QuotedText(text));
    RenderText(ToDevice({x, y}), text, m_text);
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    if (Tracing())
        Trace("SetTextColor " + ColourText(colour));
    const COLORREF previous = m_text.colour;
    m_text.colour = colour & 0xFFFFFF;
    return previous;
}

COLORREF CDC::SetBkColor(COLORREF colour) {
    if (Tracing())
        Trace("SetBkColor " + ColourText(colour));
    const COLORREF previous = m_text.background;
    m_text.background = colour & 0xFFFFFF;
    return previous;
}

int CDC::SetBkMode(int mode) {
    if (Tracing())
        Trace(std::string("SetBkMode ") + (mode == TRANSPARENT ? "TRANSPARENT"
                                           : mode == OPAQUE    ? "OPAQUE"
                                                               : std::to_string(mode).c_str()));
    const int previous = m_text.bkMode;
    // An unknown mode is refused and leaves the mode as it was.
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    m_text.bkMode = mode;
    return previous;
}

void CDC::FillSolidRect(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy, COLORREF colour) {
    if (Tracing())
        Trace("FillSolidRect " + Num(x) + " " + Num(y) + " " + Num(cx) + " " + Num(cy) + " " +
              ColourText(colour));
    const CPoint a = ToDevice(x, y);
    const CPoint b = ToDevice(static_cast<std::int64_t>(x) + cx, static_cast<std::int64_t>(y) + cy);
    const CRect r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (r.Width() > 0 && r.Height() > 0)
        RenderFill(r, colour & 0xFFFFFF);
}

int CDC::StretchDIBits(std::int32_t xDest, std::int32_t yDest, std::int32_t wDest, std::int32_t hDest,
                       std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc,
                       std::span<const std::uint8_t> bits, const BITMAPINFO& info, unsigned usage,
                       std::uint32_t rop) {
    if (Tracing()) {
        // The bits are summarised by their size and a checksum (FNV-1a) so that a trace shows changes.
        std::uint32_t hash = 2166136261u;
        for (std::uint8_t b : bits)
            hash = (hash ^ b) * 16777619u;
        char sum[16];
        std::snprintf(sum, sizeof sum, "%08x", hash);
        const BITMAPINFOHEADER& h = info.bmiHeader;
        Trace("StretchDIBits " + Num(xDest) + " " + Num(yDest) + " " + Num(wDest) + " " + Num(hDest) + " " +
              Num(xSrc) + " " + Num(ySrc) + " " + Num(wSrc) + " " + Num(hSrc) + " " + Num(h.biWidth) + "x" +
              Num(h.biHeight) + "x" + Num(h.biBitCount) + " " + Num(static_cast<std::int64_t>(bits.size())) +
              ":" + sum);
    }
    if (usage != DIB_RGB_COLORS || rop != SRCCOPY || wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return 0;
    const auto pixels = DibPixels::Make(info, bits);
    if (!pixels)
        return 0;
    const CPoint a = ToDevice(xDest, yDest);
    const CPoint b =
        ToDevice(static_cast<std::int64_t>(xDest) + wDest, static_cast<std::int64_t>(yDest) + hDest);
    const CRect dest{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    RenderBitmap(StretchedBitmap(*pixels, dest, wDest < 0, hDest < 0, xSrc, ySrc, wSrc, hSrc));
    return dest.Height();
}

CPoint CDC::SetViewportOrg(std::int32_t x, std::int32_t y) {
    if (Tracing())
        Trace("SetViewportOrg " + Num(x) + " " + Num(y));
    const CPoint previous = m_viewportOrg;
    m_viewportOrg = {x, y};
    return previous;
}

void CDC::DPtoLP(CPoint* points, int count) {
    if (!points || count <= 0)
        return;
    if (Tracing()) {
        std::string line = "DPtoLP";
        for (int i = 0; i < count; ++i)
            line += " " + PointText(points[i]);
        Trace(line);
    }
    for (int i = 0; i < count; ++i) {
        points[i].x = Saturate(static_cast<std::int64_t>(points[i].x) - m_viewportOrg.x);
        points[i].y = Saturate(static_cast<std::int64_t>(points[i].y) - m_viewportOrg.y);
    }
}

void CDC::RenderLine(CPoint, CPoint, const Pen&) {}
void CDC::RenderPolygon(std::span<const CPoint>, const Pen&, const Brush&) {}
void CDC::RenderText(CPoint, std::string_view, const TextStyle&) {}
void CDC::RenderFill(CRect, COLORREF) {}
void CDC::RenderBitmap(const StretchedBitmap&) {}

CRecordingDC::CRecordingDC(CRect client) : CDC(client) {
    SetTraceSink([this](std::string_view line) { m_lines.emplace_back(line); });
}

} // namespace polyvane
