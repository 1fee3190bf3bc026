#pragma once
// One suite for every drawing surface: each case draws on a 64 x 48 surface, then its trace is
// compared line by line and, on surfaces with pixels, chosen pixels are probed. Probes sit away
// from edges where rasterisers may differ by a pixel. Used by the unit tests (recording and software
// surfaces) and by the GUI tests (the QPainter surface).
#include "platform/CDC.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace polyvane::test {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct PixelProbe {
    enum class Kind { exact, anyInRect, noneInRect } kind;
    CRect area; // for exact: left, top is the pixel
    COLORREF colour;
};

inline PixelProbe At(std::int32_t x, std::int32_t y, COLORREF c) {
    return {PixelProbe::Kind::exact, {x, y, x + 1, y + 1}, c};
}
inline PixelProbe AnyIn(CRect r, COLORREF c) {
    return {PixelProbe::Kind::anyInRect, r, c};
}
inline PixelProbe NoneIn(CRect r, COLORREF c) {
    return {PixelProbe::Kind::noneInRect, r, c};
}

using Failures = std::vector<std::string>;

struct SurfaceCase {
    const char* name;
    std::function<void(CDC&, Failures&)> draw;
    std::vector<std::string> trace;
    std::vector<PixelProbe> pixels;
};

constexpr CRect kSuiteClient{0, 0, 64, 48};

inline void ExpectThat(bool ok, const std::string& what, Failures& f) {
    if (!ok)
        f.push_back(what);
}

// A 2 x 2 bitmap of the given bit depth whose four pixels are red, blue (first row in memory) and
// green, white (second row), with `height` 2 (bottom-up) or -2 (top-down).
struct TinyBitmap {
    BITMAPINFO info{};
    std::vector<std::uint8_t> bits;
};

inline TinyBitmap MakeTinyBitmap(unsigned bitCount, std::int32_t height) {
    TinyBitmap b;
    b.info.bmiHeader.biWidth = 2;
    b.info.bmiHeader.biHeight = height;
    b.info.bmiHeader.biBitCount = static_cast<std::uint16_t>(bitCount);
    const COLORREF colours[4] = {kRed, kBlue, kGreen, kWhite};
    for (int i = 0; i < 4; ++i) {
        // Palette entries in reverse, so that an index read as a colour would show.
        RGBQUAD& q = b.info.bmiColors[7 - i];
        q.rgbRed = GetRValue(colours[i]);
        q.rgbGreen = GetGValue(colours[i]);
        q.rgbBlue = GetBValue(colours[i]);
    }
    for (int row = 0; row < 2; ++row) {
        std::vector<std::uint8_t> line;
        for (int col = 0; col < 2; ++col) {
            const int i = row * 2 + col;
            const COLORREF c = colours[i];
            switch (bitCount) {
            case 4:
                if (col == 0)
                    line.push_back(static_cast<std::uint8_t>((7 - i) << 4));
                else
                    line.back() = static_cast<std::uint8_t>(line.back() | (7 - i));
                break;
            case 8:
                line.push_back(static_cast<std::uint8_t>(7 - i));
                break;
            case 16: {
                const unsigned w =
                    ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
                line.push_back(static_cast<std::uint8_t>(w));
                line.push_back(static_cast<std::uint8_t>(w >> 8));
                break;
            }
            default:
                line.push_back(GetBValue(c));
                line.push_back(GetGValue(c));
                line.push_back(GetRValue(c));
                if (bitCount == 32)
                    line.push_back(0);
            }
        }
        line.resize((line.size() + 3) / 4 * 4, 0);
        b.bits.insert(b.bits.end(), line.begin(), line.end());
    }
    return b;
}

// Memory row 0 shows at the bottom of a bottom-up bitmap; five-bit colours lose their low bits.
inline std::vector<PixelProbe> QuadrantProbes(COLORREF topLeft, COLORREF topRight, COLORREF bottomLeft,
                                              COLORREF bottomRight) {
    return {At(5, 5, topLeft), At(15, 5, topRight), At(5, 15, bottomLeft), At(15, 15, bottomRight),
            At(30, 30, kGreen)};
}

// The trace's summary of a bitmap's bits: their count and FNV-1a checksum.
inline std::string BitsSummary(const std::vector<std::uint8_t>& bits) {
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : bits)
        hash = (hash ^ b) * 16777619u;
    char sum[16];
    std::snprintf(sum, sizeof sum, "%08x", hash);
    return std::to_string(bits.size()) + ":" + sum;
}

inline SurfaceCase BitmapCase(const char* name, unsigned bitCount, std::int32_t height, bool flip,
                              std::string traceLine, std::vector<PixelProbe> probes) {
    traceLine += " " + BitsSummary(MakeTinyBitmap(bitCount, height).bits);
    return {name,
            [=](CDC& dc, Failures& f) {
                dc.FillSolidRect(0, 0, 64, 48, kGreen);
                const TinyBitmap b = MakeTinyBitmap(bitCount, height);
                const int rows = flip ? dc.StretchDIBits(0, 0, 20, 20, 0, 2, 2, -2, b.bits, b.info)
                                      : dc.StretchDIBits(0, 0, 20, 20, 0, 0, 2, 2, b.bits, b.info);
                ExpectThat(rows == 20, "StretchDIBits reports the rows drawn", f);
            },
            {"FillSolidRect 0 0 64 48 0x00ff00", std::move(traceLine)},
            std::move(probes)};
}

inline std::vector<std::uint8_t> Shortened(std::vector<std::uint8_t> bits) {
    bits.pop_back();
    return bits;
}

inline std::vector<SurfaceCase> SurfaceCases() {
    const COLORREF white16 = RGB(248, 248, 248);
    return {
        {"default pen and brush outline and fill a polygon",
         [](CDC& dc, Failures& f) {
             ExpectThat(dc.GetClientRect() == kSuiteClient, "client rectangle", f);
             dc.FillSolidRect(0, 0, 64, 48, kGreen);
             const CPoint square[4] = {{10, 10}, {50, 10}, {50, 40}, {10, 40}};
             dc.Polygon(square, 4);
             ExpectThat(dc.CurrentPen().colour == kBlack && dc.CurrentPen().width == 1, "default pen", f);
             ExpectThat(!dc.CurrentBrush().hollow && dc.CurrentBrush().colour == kWhite, "default brush", f);
         },
         {"GetClientRect", "FillSolidRect 0 0 64 48 0x00ff00", "Polygon 10,10 50,10 50,40 10,40"},
         {At(30, 25, kWhite), At(30, 10, kBlack), At(50, 25, kBlack), At(5, 5, kGreen), At(55, 45, kGreen)}},

        {"selecting returns the previous object and the null brush leaves the inside",
         [](CDC& dc, Failures& f) {
             dc.FillSolidRect(0, 0, 64, 48, kGreen);
             const HGDIOBJ pen = dc.CreatePen(PS_INSIDEFRAME, 1, kRed);
             const HGDIOBJ oldPen = dc.SelectObject(pen);
             ExpectThat(oldPen == dc.GetStockObject(BLACK_PEN), "previous pen is the stock black pen", f);
             const HGDIOBJ oldBrush = dc.SelectStockObject(NULL_BRUSH);
             ExpectThat(oldBrush == dc.GetStockObject(WHITE_BRUSH), "previous brush is the stock white brush",
                        f);
             const CPoint tri[3] = {{10, 40}, {50, 40}, {30, 5}};
             dc.Polygon(tri, 3);
             ExpectThat(!dc.DeleteObject(pen), "a selected pen is not deleted", f);
             ExpectThat(dc.SelectObject(oldBrush) == dc.GetStockObject(NULL_BRUSH), "null brush comes back",
                        f);
             ExpectThat(dc.SelectObject(oldPen) == pen, "own pen comes back", f);
             ExpectThat(dc.DeleteObject(pen), "deselected pen is deleted", f);
             ExpectThat(!dc.DeleteObject(pen), "a deleted pen is gone", f);
             ExpectThat(!dc.DeleteObject(dc.GetStockObject(BLACK_PEN)), "stock objects stay", f);
             ExpectThat(dc.SelectObject(pen) == 0, "selecting a deleted pen fails", f);
         },
         {"FillSolidRect 0 0 64 48 0x00ff00", "CreatePen PS_INSIDEFRAME 1 0x0000ff", "SelectObject pen1",
          "SelectStockObject NULL_BRUSH", "Polygon 10,40 50,40 30,5", "DeleteObject pen1",
          "SelectObject WHITE_BRUSH", "SelectObject BLACK_PEN", "DeleteObject pen1", "DeleteObject pen1",
          "DeleteObject BLACK_PEN", "SelectObject pen1"},
         {At(30, 30, kGreen), At(30, 40, kRed), At(5, 5, kGreen)}},

        {"a solid brush fills with its colour",
         [](CDC& dc, Failures& f) {
             const HGDIOBJ brush = dc.CreateSolidBrush(kBlue);
             const HGDIOBJ old = dc.SelectObject(brush);
             const CPoint square[4] = {{10, 10}, {50, 10}, {50, 40}, {10, 40}};
             dc.Polygon(square, 4);
             dc.SelectObject(old);
             ExpectThat(dc.DeleteObject(brush), "brush deleted", f);
         },
         {"CreateSolidBrush 0xff0000", "SelectObject brush1", "Polygon 10,10 50,10 50,40 10,40",
          "SelectObject WHITE_BRUSH", "DeleteObject brush1"},
         {At(30, 25, kBlue), At(10, 25, kBlack), At(5, 5, kWhite)}},

        {"lines run from the current position in the current pen",
         [](CDC& dc, Failures& f) {
             const HGDIOBJ pen = dc.CreatePen(PS_SOLID, 1, kRed);
             const HGDIOBJ old = dc.SelectObject(pen);
             const CPoint start = dc.MoveTo(5, 20);
             ExpectThat(start == CPoint{0, 0}, "position starts at the origin", f);
             dc.LineTo(40, 20);
             dc.LineTo(40, 45);
             ExpectThat(dc.CurrentPosition() == CPoint{40, 45}, "position follows the line", f);
             dc.SelectObject(old);
             dc.DeleteObject(pen);
         },
         {"CreatePen PS_SOLID 1 0x0000ff", "SelectObject pen1", "MoveTo 5 20", "LineTo 40 20", "LineTo 40 45",
          "SelectObject BLACK_PEN", "DeleteObject pen1"},
         {At(5, 20, kRed), At(20, 20, kRed), At(40, 30, kRed), At(40, 44, kRed), At(40, 45, kWhite),
          At(20, 21, kWhite), At(4, 20, kWhite)}},

        {"a dashed pen leaves gaps",
         [](CDC& dc, Failures&) {
             const HGDIOBJ pen = dc.CreatePen(PS_DASH, 1, RGB(128, 128, 128));
             const HGDIOBJ old = dc.SelectObject(pen);
             dc.MoveTo(0, 30);
             dc.LineTo(64, 30);
             dc.SelectObject(old);
             dc.DeleteObject(pen);
         },
         {"CreatePen PS_DASH 1 0x808080", "SelectObject pen1", "MoveTo 0 30", "LineTo 64 30",
          "SelectObject BLACK_PEN", "DeleteObject pen1"},
         {AnyIn({0, 30, 64, 31}, RGB(128, 128, 128)), AnyIn({0, 30, 64, 31}, kWhite),
          At(8, 30, RGB(128, 128, 128))}},

        {"text in the text colour, on its background only when opaque",
         [](CDC& dc, Failures& f) {
             dc.FillSolidRect(0, 0, 64, 48, kGreen);
             ExpectThat(dc.SetTextColor(kRed) == kBlack, "text colour starts black", f);
             ExpectThat(dc.SetBkColor(kBlue) == kWhite, "background colour starts white", f);
             ExpectThat(dc.SetBkMode(TRANSPARENT) == OPAQUE, "background mode starts opaque", f);
             dc.TextOut(2, 2, "MW");
             ExpectThat(dc.SetBkMode(OPAQUE) == TRANSPARENT, "mode was transparent", f);
             dc.TextOut(2, 26, "MW");
         },
         {"FillSolidRect 0 0 64 48 0x00ff00", "SetTextColor 0x0000ff", "SetBkColor 0xff0000",
          "SetBkMode TRANSPARENT", "TextOut 2 2 \"MW\"", "SetBkMode OPAQUE", "TextOut 2 26 \"MW\""},
         {AnyIn({2, 2, 30, 22}, kRed), NoneIn({0, 0, 64, 24}, kBlue), AnyIn({2, 26, 30, 46}, kRed),
          AnyIn({2, 26, 30, 46}, kBlue), NoneIn({40, 0, 64, 48}, kRed)}},

        {"texts are quoted with escapes in the trace",
         [](CDC& dc, Failures&) {
             dc.SetBkMode(TRANSPARENT);
             dc.TextOut(0, 0, "say \"hi\"\\");
         },
         {"SetBkMode TRANSPARENT", "TextOut 0 0 \"say \\\"hi\\\"\\\\\""},
         {}},

        {"filled rectangles cover exactly their width and height",
         [](CDC& dc, Failures&) { dc.FillSolidRect(10, 10, 20, 10, kBlue); },
         {"FillSolidRect 10 10 20 10 0xff0000"},
         {At(10, 10, kBlue), At(29, 19, kBlue), At(30, 15, kWhite), At(15, 20, kWhite), At(9, 15, kWhite)}},

        {"the viewport origin shifts drawing and DPtoLP undoes it",
         [](CDC& dc, Failures& f) {
             dc.SetViewportOrg(-10, -5);
             CPoint p[2] = {{0, 0}, {3, 4}};
             dc.DPtoLP(p, 2);
             ExpectThat(p[0] == CPoint{10, 5} && p[1] == CPoint{13, 9}, "device to logical", f);
             dc.FillSolidRect(10, 5, 4, 4, kBlue);
         },
         {"SetViewportOrg -10 -5", "DPtoLP 0,0 3,4", "FillSolidRect 10 5 4 4 0xff0000"},
         {At(1, 1, kBlue), At(3, 3, kBlue), At(11, 6, kWhite)}},

        {"self-crossing polygons fill by the alternate rule",
         [](CDC& dc, Failures&) {
             const HGDIOBJ brush = dc.CreateSolidBrush(kBlue);
             dc.SelectObject(brush);
             // A five-pointed star drawn in one stroke: its centre is crossed twice and stays empty.
             const CPoint star[5] = {{32, 2}, {44, 44}, {8, 16}, {56, 16}, {20, 44}};
             dc.Polygon(star, 5);
         },
         {"CreateSolidBrush 0xff0000", "SelectObject brush1", "Polygon 32,2 44,44 8,16 56,16 20,44"},
         {At(32, 26, kWhite), At(32, 10, kBlue), At(2, 40, kWhite)}},

        BitmapCase("8-bit bitmaps are bottom-up", 8, 2, false, "StretchDIBits 0 0 20 20 0 0 2 2 2x2x8",
                   QuadrantProbes(kGreen, kWhite, kRed, kBlue)),
        BitmapCase("a negative source height flips the picture", 8, 2, true,
                   "StretchDIBits 0 0 20 20 0 2 2 -2 2x2x8", QuadrantProbes(kRed, kBlue, kGreen, kWhite)),
        BitmapCase("4-bit bitmaps hold the left pixel in the high half", 4, 2, true,
                   "StretchDIBits 0 0 20 20 0 2 2 -2 2x2x4", QuadrantProbes(kRed, kBlue, kGreen, kWhite)),
        BitmapCase("16-bit bitmaps hold red in the high bits", 16, -2, false,
                   "StretchDIBits 0 0 20 20 0 0 2 2 2x-2x16",
                   QuadrantProbes(RGB(248, 0, 0), RGB(0, 0, 248), RGB(0, 248, 0), white16)),
        BitmapCase("24-bit bitmaps are blue, green, red", 24, -2, false,
                   "StretchDIBits 0 0 20 20 0 0 2 2 2x-2x24", QuadrantProbes(kRed, kBlue, kGreen, kWhite)),
        BitmapCase("32-bit bitmaps skip the fourth byte", 32, -2, false,
                   "StretchDIBits 0 0 20 20 0 0 2 2 2x-2x32", QuadrantProbes(kRed, kBlue, kGreen, kWhite)),

        {"a bitmap shorter than its header says is refused",
         [](CDC& dc, Failures& f) {
             TinyBitmap b = MakeTinyBitmap(24, 2);
             b.bits.resize(b.bits.size() - 1);
             ExpectThat(dc.StretchDIBits(0, 0, 20, 20, 0, 0, 2, 2, b.bits, b.info) == 0, "short bits refused",
                        f);
             b = MakeTinyBitmap(24, 2);
             b.info.bmiHeader.biCompression = 1;
             ExpectThat(dc.StretchDIBits(0, 0, 20, 20, 0, 0, 2, 2, b.bits, b.info) == 0,
                        "compression refused", f);
         },
         {"StretchDIBits 0 0 20 20 0 0 2 2 2x2x24 " + BitsSummary(Shortened(MakeTinyBitmap(24, 2).bits)),
          "StretchDIBits 0 0 20 20 0 0 2 2 2x2x24 " + BitsSummary(MakeTinyBitmap(24, 2).bits)},
         {At(5, 5, kWhite), At(15, 15, kWhite)}},
    };
}

// Runs `c` on `dc`. `trace` gives the lines the surface recorded; `pixel` reads a pixel, or is empty
// for a surface without pixels. Returns what did not hold.
inline Failures RunSurfaceCase(const SurfaceCase& c, CDC& dc,
                               const std::function<std::vector<std::string>()>& trace,
                               const std::function<COLORREF(std::int32_t, std::int32_t)>& pixel) {
    Failures failures;
    c.draw(dc, failures);
    const std::vector<std::string> lines = trace();
    if (lines != c.trace) {
        std::string got;
        for (const auto& l : lines)
            got += "\n  " + l;
        failures.push_back("trace differs; got:" + got);
    }
    if (!pixel)
        return failures;
    for (const PixelProbe& p : c.pixels) {
        bool any = false, exact = true;
        COLORREF first = 0;
        for (std::int32_t y = p.area.top; y < p.area.bottom; ++y)
            for (std::int32_t x = p.area.left; x < p.area.right; ++x) {
                const COLORREF v = pixel(x, y);
                if (x == p.area.left && y == p.area.top)
                    first = v;
                any = any || v == p.colour;
                exact = exact && v == p.colour;
            }
        const bool ok = p.kind == PixelProbe::Kind::exact       ? exact
                        : p.kind == PixelProbe::Kind::anyInRect ? any
                                                                : !any;
        if (!ok)
            failures.push_back("pixel probe at " + std::to_string(p.area.left) + "," +
                               std::to_string(p.area.top) + " for " + ColourText(p.colour) + " (found " +
                               ColourText(first) + ")");
    }
    return failures;
}

} // namespace polyvane::test
