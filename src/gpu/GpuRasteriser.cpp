#include "GpuRasteriser.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace polyvane {

namespace {

// Attribute gradients carry 12 fraction bits.
constexpr int kFractionBits = 12;
constexpr std::int64_t kHalf = std::int64_t{1} << (kFractionBits - 1);

// Offsets added to an 8-bit channel before it is cut to 5 bits, by (y & 3, x & 3).
constexpr std::array<std::array<int, 4>, 4> kDitherMatrix = {{
    {-4, 0, -3, 1},
    {2, -2, 3, -1},
    {-3, 1, -4, 0},
    {3, -1, 2, -2},
}};

// Exact floor and truncating division by one positive divisor.
// Small triangles, nearly all of them, divide in 32 bits: a shorter division than one of 64.
class Divisor {
  public:
    explicit Divisor(std::int64_t d) : m_d(d), m_narrow(d <= INT32_MAX) {}
    [[nodiscard]] std::int64_t Floor(std::int64_t n) const {
        if (Narrow(n)) {
            const auto n32 = static_cast<std::int32_t>(n), d32 = static_cast<std::int32_t>(m_d);
            return n32 / d32 - ((n32 % d32) < 0 ? 1 : 0);
        }
        const std::int64_t q = n / m_d;
        return q - ((n % m_d) < 0 ? 1 : 0);
    }
    [[nodiscard]] std::int64_t Trunc(std::int64_t n) const {
        return Narrow(n) ? static_cast<std::int32_t>(n) / static_cast<std::int32_t>(m_d) : n / m_d;
    }

  private:
    [[nodiscard]] bool Narrow(std::int64_t n) const {
        return m_narrow && n >= INT32_MIN + 1 && n <= INT32_MAX;
    }
    std::int64_t m_d;
    bool m_narrow;
};

// The first pixel column at or right of edge p-q on successive rows: ceil(x) of the edge, stepped
// exactly as a quotient and remainder by dy so that no row needs a division.
class EdgeWalk {
  public:
    // q lies below p on the screen.
    EdgeWalk(const GpuVertex& p, const GpuVertex& q, int y) : m_dy(q.y - p.y) {
        const Divisor dy(m_dy);
        const std::int64_t dx = q.x - p.x;
        // Starting on p's own row, as most edges do, the edge is at p.x exactly.
        const std::int64_t n = std::int64_t(p.x) * m_dy + dx * (y - p.y);
        m_q = y == p.y ? p.x : dy.Floor(n);
        m_r = n - m_q * m_dy;
        m_stepQ = dy.Floor(dx);
        m_stepR = dx - m_stepQ * m_dy;
    }
    [[nodiscard]] std::int64_t Ceil() const { return m_q + (m_r > 0 ? 1 : 0); }
    // Without a branch: whether the remainder carries is as good as random from edge to edge.
    void Next() {
        m_r += m_stepR;
        const std::int64_t carry = m_r >= m_dy ? 1 : 0;
        m_q += m_stepQ + carry;
        m_r -= m_dy & -carry;
    }

  private:
    std::int64_t m_dy;
    std::int64_t m_q = 0, m_r = 0, m_stepQ = 0, m_stepR = 0;
};

int Channel(std::uint16_t word, int shift) {
    return (word >> shift) & 31;
}

std::uint16_t Pack(int r, int g, int b) {
    return static_cast<std::uint16_t>(r | (g << 5) | (b << 10));
}

int Cut(int value8, int offset) {
    return std::clamp(value8 + offset, 0, 255) >> 3;
}

// One attribute over a triangle's plane: its value at a pixel is base + dx (x - x0) + dy (y - y0).
// Left unset until a triangle needs it: the spans read only the planes of their mode.
struct Plane {
    std::int64_t base, dx, dy;
    [[nodiscard]] std::int64_t At(std::int64_t x, std::int64_t y) const { return base + dx * x + dy * y; }
};

// What one triangle's spans need: its attribute planes and how its pixels are shaded.
struct TriangleSetup {
    Plane r, g, b, u, v;
    GpuColour flat;
    const GpuDrawMode* mode = nullptr;
    bool dither = false;
    std::optional<TexelSource> texels;
    const std::uint16_t* plane = nullptr; // the texels already fetched, for kPixelModeFetched
};

// Texels read from a plane the texel cache fetched, whatever the page's colour mode.
constexpr int kPixelModeFetched = 16;

// One row's pixels left <= x < right. kPixelMode < 0 draws untextured; kPlain draws texels as they
// are, without modulation by the colour.
template <bool kGouraud, int kPixelMode, bool kPlain>
void DrawSpan(std::uint16_t* row, const TriangleSetup& setup, int y, int left, int right) {
    constexpr bool kTextured = kPixelMode >= 0;
    const GpuDrawMode& mode = *setup.mode;
    std::int64_t r = 0, g = 0, b = 0, u = 0, v = 0;
    if constexpr (kGouraud && !kPlain) {
        r = setup.r.At(left, y);
        g = setup.g.At(left, y);
        b = setup.b.At(left, y);
    }
    if constexpr (kTextured) {
        u = setup.u.At(left, y);
        v = setup.v.At(left, y);
    }
    const bool semi = mode.semi;
    const bool dither = setup.dither;
    for (int x = left; x < right; ++x) {
        int r8 = setup.flat.r, g8 = setup.flat.g, b8 = setup.flat.b;
        if constexpr (kGouraud && !kPlain) {
            r8 = std::clamp(int(r >> kFractionBits), 0, 255);
            g8 = std::clamp(int(g >> kFractionBits), 0, 255);
            b8 = std::clamp(int(b >> kFractionBits), 0, 255);
            r += setup.r.dx;
            g += setup.g.dx;
            b += setup.b.dx;
        }
        std::uint16_t word;
        bool blend = semi;
        if constexpr (kTextured) {
            const unsigned tu = unsigned(u >> kFractionBits) & 0xFF;
            const unsigned tv = unsigned(v >> kFractionBits) & 0xFF;
            u += setup.u.dx;
            v += setup.v.dx;
            std::uint16_t texel;
            if constexpr (kPixelMode == kPixelModeFetched)
                texel = setup.plane[(tv << 8) | tu];
            else
                texel = setup.texels->At<kPixelMode>(tu, tv);
            if (texel == 0)
                continue;
            blend = blend && (texel & 0x8000) != 0;
            if constexpr (kPlain) {
                word = texel;
            } else {
                const int offset = dither ? DitherOffset(x, y) : 0;
                word = static_cast<std::uint16_t>(Pack(ModulateChannel(Channel(texel, 0), r8, offset),
                                                       ModulateChannel(Channel(texel, 5), g8, offset),
                                                       ModulateChannel(Channel(texel, 10), b8, offset)) |
                                                  (texel & 0x8000));
            }
        } else {
            const int offset = dither ? DitherOffset(x, y) : 0;
            word = Pack(Cut(r8, offset), Cut(g8, offset), Cut(b8, offset));
        }
        row[x] = blend ? BlendWords(row[x], word, mode.abr) : word;
    }
}

using SpanFunction = void (*)(std::uint16_t*, const TriangleSetup&, int, int, int);

// `fetched`: the texels come from a fetched plane, whatever the page's mode; otherwise the mode, any
// byte a record holds, picks how they are read.
template <bool kGouraud> SpanFunction TexturedSpan(int pixelMode, bool plain, bool fetched) {
    if (fetched)
        return plain ? &DrawSpan<kGouraud, kPixelModeFetched, true>
                     : &DrawSpan<kGouraud, kPixelModeFetched, false>;
    switch (pixelMode) {
    case kPixelMode4Bit:
        return plain ? &DrawSpan<kGouraud, kPixelMode4Bit, true> : &DrawSpan<kGouraud, kPixelMode4Bit, false>;
    case kPixelMode8Bit:
        return plain ? &DrawSpan<kGouraud, kPixelMode8Bit, true> : &DrawSpan<kGouraud, kPixelMode8Bit, false>;
    default:
        return plain ? &DrawSpan<kGouraud, kPixelMode15Bit, true>
                     : &DrawSpan<kGouraud, kPixelMode15Bit, false>;
    }
}

// The span drawing for a triangle's mode.
SpanFunction ChooseSpan(const GpuDrawMode& mode, bool plain, bool fetched) {
    if (mode.textured)
        return mode.gouraud ? TexturedSpan<true>(mode.pmode, plain, fetched)
                            : TexturedSpan<false>(mode.pmode, plain, fetched);
    return mode.gouraud ? &DrawSpan<true, -1, false> : &DrawSpan<false, -1, false>;
}

} // namespace

void TexelCache::Reset() {
    m_used = 0;
    m_last = nullptr;
}

const std::uint16_t* TexelCache::Plane(const FrameBuffer& memory, std::uint8_t tpage, std::uint8_t pmode,
                                       std::uint16_t clutX, std::uint16_t clutY) {
    // A 15-bit texel is one word already.
    if (pmode != kPixelMode4Bit && pmode != kPixelMode8Bit)
        return nullptr;
    const std::uint64_t key = std::uint64_t{pmode} | std::uint64_t{tpage} << 8 | std::uint64_t{clutX} << 16 |
                              std::uint64_t{clutY} << 32;
    Slot* slot = m_last;
    if (!slot || slot->key != key) {
        slot = nullptr;
        for (std::size_t i = 0; i < m_used && !slot; ++i)
            if (m_slots[i].key == key)
                slot = &m_slots[i];
        if (!slot) {
            if (m_used == kSlots)
                return nullptr;
            slot = &m_slots[m_used++];
            slot->key = key;
            slot->asks = 0;
            slot->fetched = false;
        }
        m_last = slot;
    }
    if (slot->fetched)
        return slot->texels.data();
    if (++slot->asks < kAsksBeforeFetch)
        return nullptr;
    slot->texels.resize(std::size_t{256} * 256);
    const TexelSource source(memory, tpage, clutX, clutY);
    std::uint16_t* out = slot->texels.data();
    for (unsigned v = 0; v < 256; ++v)
        for (unsigned u = 0; u < 256; ++u)
            *out++ =
                pmode == kPixelMode4Bit ? source.At<kPixelMode4Bit>(u, v) : source.At<kPixelMode8Bit>(u, v);
    slot->fetched = true;
    return slot->texels.data();
}

std::uint16_t BlendWords(std::uint16_t back, std::uint16_t front, std::uint8_t abr) {
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const int b = Channel(back, i * 5);
        const int f = Channel(front, i * 5);
        switch (abr & 3) {
        case 0:
            out[i] = (b + f) >> 1;
            break;
        case 1:
            out[i] = std::min(31, b + f);
            break;
        case 2:
            out[i] = std::max(0, b - f);
            break;
        default:
            out[i] = std::min(31, b + (f >> 2));
            break;
        }
    }
    return static_cast<std::uint16_t>(Pack(out[0], out[1], out[2]) | (front & 0x8000));
}

int ModulateChannel(int texel5, int colour8, int offset) {
    return Cut(texel5 * colour8 >> 4, offset);
}

int DitherOffset(int x, int y) {
    return kDitherMatrix[std::size_t(y & 3)][std::size_t(x & 3)];
}

GpuRasteriser::GpuRasteriser(std::span<std::uint16_t> target, int width, int height,
                             const FrameBuffer& textures)
    : m_target(target.data()), m_width(width), m_height(height), m_textures(textures) {
    if (target.size() < std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)))
        m_width = m_height = 0;
    m_rowBottom = std::max(m_height, 0);
}

GpuRasteriser::GpuRasteriser(FrameBuffer& memory)
    : GpuRasteriser(memory.MutableWords(), kFrameBufferWidth, kFrameBufferHeight, memory) {}

void GpuRasteriser::SetRowRange(int top, int bottom) {
    m_rowTop = std::clamp(top, 0, m_height);
    m_rowBottom = std::clamp(bottom, m_rowTop, m_height);
}

bool GpuRasteriser::SharesRows(std::int64_t top, std::int64_t bottom) const {
    return std::max<std::int64_t>(top, m_rowTop) <= std::min<std::int64_t>(bottom, m_rowBottom - 1);
}

void GpuRasteriser::Plot(int x, int y, std::uint16_t word, bool blend, std::uint8_t abr) {
    std::uint16_t& pixel = m_target[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
    pixel = blend ? BlendWords(pixel, word, abr) : word;
}

void GpuRasteriser::Fill(int x, int y, int width, int height, GpuColour colour) {
    if (m_width <= 0 || m_height <= 0)
        return;
    const int x0 = x & 0x3F0;
    const int w = ((width & 0x3FF) + 15) & ~15;
    const int h = height & 0x1FF;
    const std::uint16_t word = Pack(colour.r >> 3, colour.g >> 3, colour.b >> 3);
    for (int row = 0; row < h; ++row) {
        const int ty = ((y & 0x1FF) + row) % m_height;
        for (int col = 0; col < w; ++col)
            m_target[std::size_t(ty) * std::size_t(m_width) + std::size_t((x0 + col) % m_width)] = word;
    }
}

void GpuRasteriser::Put(int x, int y, std::uint16_t word) {
    if (m_width <= 0 || m_height <= 0)
        return;
    const int tx = ((x % m_width) + m_width) % m_width;
    const int ty = ((y % m_height) + m_height) % m_height;
    m_target[std::size_t(ty) * std::size_t(m_width) + std::size_t(tx)] = word;
}

void GpuRasteriser::Tile(int x, int y, int width, int height, GpuColour colour, bool semi, std::uint8_t abr) {
    const std::uint16_t word = Pack(colour.r >> 3, colour.g >> 3, colour.b >> 3);
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = int(std::min<long long>(static_cast<long long>(x) + std::max(width, 0), m_width));
    const int y1 = int(std::min<long long>(static_cast<long long>(y) + std::max(height, 0), m_height));
    for (int row = y0; row < y1; ++row)
        for (int col = x0; col < x1; ++col)
            Plot(col, row, word, semi, abr);
}

void GpuRasteriser::Polygon(std::span<const GpuVertex> points, const GpuDrawMode& mode) {
    if (points.size() < 3)
        return;
    Triangle(points[0], points[1], points[2], mode);
    if (points.size() >= 4)
        Triangle(points[1], points[2], points[3], mode);
}

void GpuRasteriser::Triangle(const GpuVertex& a, const GpuVertex& b, const GpuVertex& c,
                             const GpuDrawMode& mode) {
    // Coordinates this far out can only be garbage; keeping them bounded keeps the products in range.
    constexpr std::int32_t kCoordinateLimit = 1 << 20;
    for (const GpuVertex* p : {&a, &b, &c})
        if (std::abs(p->x) > kCoordinateLimit || std::abs(p->y) > kCoordinateLimit)
            return;

    // Sorted by y, keeping the given order on ties.
    const GpuVertex* v0 = &a;
    const GpuVertex* v1 = &b;
    const GpuVertex* v2 = &c;
    if (v1->y < v0->y)
        std::swap(v0, v1);
    if (v2->y < v1->y) {
        std::swap(v1, v2);
        if (v1->y < v0->y)
            std::swap(v0, v1);
    }
    const GpuVertex& A = *v0;
    const GpuVertex& B = *v1;
    const GpuVertex& C = *v2;

    // Whatever covers no row or no column of the target is done before any setup. A pixel is drawn
    // when its column lies at or right of the left edge and left of the right one, so nothing lies
    // left of the leftmost corner or at or right of the rightmost.
    const int minX = std::min({A.x, B.x, C.x});
    const int maxX = std::max({A.x, B.x, C.x});
    if (m_sizeLimit && (maxX - minX >= 1024 || C.y - A.y >= 512))
        return;
    const int yStart = std::max(A.y, m_rowTop);
    const int yEnd = std::min(C.y, m_rowBottom);
    if (yStart >= yEnd || maxX <= 0 || minX >= m_width)
        return;
    const std::int64_t denom = std::int64_t(B.x - A.x) * (C.y - B.y) - std::int64_t(C.x - B.x) * (B.y - A.y);
    if (denom == 0)
        return;

    // The interpolation is anchored at the leftmost corner, the later one on a tie.
    const GpuVertex* core = &a;
    if (b.x <= core->x)
        core = &b;
    if (c.x <= core->x)
        core = &c;
    TriangleSetup setup;
    SpanFunction span = nullptr;
    // The attribute planes and the way of shading are worked out at the first span that holds a
    // pixel: many small triangles hold none, and their divisions would be wasted.
    auto prepare = [&] {
        // Attribute planes: gradients in 12 fraction bits truncated toward zero, half a step added at
        // the anchor so a value lands in the middle of its step. Every gradient shares the denominator.
        const Divisor divisor(denom < 0 ? -denom : denom);
        const std::int64_t sign = denom < 0 ? -1 : 1;
        auto plane = [&](int Ag, int Bg, int Cg, int coreValue) {
            const std::int64_t da = std::int64_t(Bg - Ag) * (C.y - B.y) - std::int64_t(Cg - Bg) * (B.y - A.y);
            const std::int64_t db = std::int64_t(B.x - A.x) * (Cg - Bg) - std::int64_t(C.x - B.x) * (Bg - Ag);
            Plane p;
            p.dx = divisor.Trunc(sign * da * (1 << kFractionBits));
            p.dy = divisor.Trunc(sign * db * (1 << kFractionBits));
            p.base = (std::int64_t(coreValue) << kFractionBits) + kHalf - p.dx * core->x - p.dy * core->y;
            return p;
        };
        setup.mode = &mode;
        setup.flat = a.colour;
        setup.dither = m_dither && (mode.gouraud || (mode.textured && !mode.raw));
        // A neutral colour without dither leaves texels as they are.
        const bool plain = mode.raw || (!mode.gouraud && !setup.dither && a.colour.r == 128 &&
                                        a.colour.g == 128 && a.colour.b == 128);
        if (mode.textured && m_texelCache)
            setup.plane = m_texelCache->Plane(m_textures, mode.tpage, mode.pmode, mode.clutX, mode.clutY);
        if (mode.textured && !setup.plane)
            setup.texels.emplace(m_textures, mode.tpage, mode.clutX, mode.clutY);
        // Texels drawn as they are need no colour.
        if (mode.gouraud && !plain) {
            setup.r = plane(A.colour.r, B.colour.r, C.colour.r, core->colour.r);
            setup.g = plane(A.colour.g, B.colour.g, C.colour.g, core->colour.g);
            setup.b = plane(A.colour.b, B.colour.b, C.colour.b, core->colour.b);
        }
        if (mode.textured) {
            setup.u = plane(A.u, B.u, C.u, core->u);
            setup.v = plane(A.v, B.v, C.v, core->v);
        }
        span = ChooseSpan(mode, plain, setup.plane != nullptr);
    };

    // The middle corner lies left of the long edge A-C when the turn A-B-C is clockwise on screen.
    const bool middleLeft = denom < 0;
    // Pixel x is drawn when left <= x < right: the lower and right edges are left out.
    EdgeWalk longEdge(A, C, yStart);
    int y = yStart;
    // The upper part, beside the short edge A-B, then the lower one beside B-C.
    for (int part = 0; part < 2; ++part) {
        const int partEnd = part == 0 ? std::min(B.y, yEnd) : yEnd;
        if (y >= partEnd)
            continue;
        EdgeWalk shortEdge = part == 0 ? EdgeWalk(A, B, y) : EdgeWalk(B, C, y);
        for (; y < partEnd; ++y, longEdge.Next(), shortEdge.Next()) {
            const std::int64_t longX = longEdge.Ceil();
            const std::int64_t shortX = shortEdge.Ceil();
            const int left = int(std::max<std::int64_t>(middleLeft ? shortX : longX, 0));
            const int right = int(std::min<std::int64_t>(middleLeft ? longX : shortX, m_width));
            if (left >= right)
                continue;
            if (!span)
                prepare();
            span(m_target + std::size_t(y) * std::size_t(m_width), setup, y, left, right);
        }
    }
}

bool GpuRasteriser::OwnsRow(int y) const {
    return y >= m_rowTop && y < m_rowBottom;
}

void GpuRasteriser::Line(const GpuVertex& a, const GpuVertex& b, const GpuDrawMode& mode) {
    const std::int64_t dx = std::int64_t{b.x} - a.x, dy = std::int64_t{b.y} - a.y;
    if (m_sizeLimit && (std::abs(dx) > 1023 || std::abs(dy) > 511))
        return;
    const std::int64_t steps = std::max(std::abs(dx), std::abs(dy));
    // Positions and colours step in fixed point from the first end, rounding to the nearest pixel.
    const std::int64_t one = std::int64_t{1} << kFractionBits;
    auto step = [&](std::int64_t delta) { return steps ? delta * one / steps : 0; };
    const std::int64_t sx = step(dx), sy = step(dy);
    const std::int64_t sr = step(b.colour.r - a.colour.r), sg = step(b.colour.g - a.colour.g),
                       sb = step(b.colour.b - a.colour.b);
    std::int64_t x = std::int64_t{a.x} * one + kHalf, y = std::int64_t{a.y} * one + kHalf;
    std::int64_t r = std::int64_t{a.colour.r} * one + kHalf, g = std::int64_t{a.colour.g} * one + kHalf,
                 bl = std::int64_t{a.colour.b} * one + kHalf;
    for (std::int64_t i = 0; i <= steps; ++i, x += sx, y += sy, r += sr, g += sg, bl += sb) {
        const std::int64_t px = x >> kFractionBits, py = y >> kFractionBits;
        if (px < 0 || px >= m_width || !OwnsRow(int(std::clamp<std::int64_t>(py, -1, m_height))))
            continue;
        int r8 = a.colour.r, g8 = a.colour.g, b8 = a.colour.b;
        int offset = 0;
        if (mode.gouraud) {
            r8 = int(r >> kFractionBits);
            g8 = int(g >> kFractionBits);
            b8 = int(bl >> kFractionBits);
            offset = m_dither ? DitherOffset(int(px), int(py)) : 0;
        }
        Plot(int(px), int(py), Pack(Cut(r8, offset), Cut(g8, offset), Cut(b8, offset)), mode.semi, mode.abr);
    }
}

void GpuRasteriser::Sprite(int x, int y, int width, int height, std::uint8_t u, std::uint8_t v,
                           const GpuDrawMode& mode) {
    const int x0 = std::max(x, 0);
    const int x1 = int(std::min<long long>(static_cast<long long>(x) + std::max(width, 0), m_width));
    const int y0 = std::max(y, 0);
    const int y1 = int(std::min<long long>(static_cast<long long>(y) + std::max(height, 0), m_height));
    for (int row = y0; row < y1; ++row) {
        if (!OwnsRow(row))
            continue;
        const auto tv = static_cast<std::uint8_t>(v + (row - y));
        for (int col = x0; col < x1; ++col) {
            const auto tu = static_cast<std::uint8_t>(u + (col - x));
            const std::uint16_t texel =
                FetchTexel(m_textures, mode.tpage, mode.pmode, mode.clutX, mode.clutY, tu, tv);
            if (texel == 0)
                continue;
            Plot(col, row, texel, mode.semi && (texel & 0x8000), mode.abr);
        }
    }
}

} // namespace polyvane
