#include "GpuRasteriser.h"

#include <algorithm>
#include <array>
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

// Floor and truncating division of integers below 2^52 in magnitude, d > 0 for FloorDiv: a double
// division (far cheaper than a 64-bit integer one) corrected to the exact quotient.
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
    auto q = static_cast<std::int64_t>(std::floor(double(n) / double(d)));
    std::int64_t r = n - q * d;
    while (r < 0) {
        --q;
        r += d;
    }
    while (r >= d) {
        ++q;
        r -= d;
    }
    return q;
}

std::int64_t TruncDiv(std::int64_t n, std::int64_t d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const std::int64_t q = FloorDiv(n, d);
    return (q < 0 && q * d != n) ? q + 1 : q;
}

// The first pixel column at or right of edge p-q on successive rows: ceil(x) of the edge, stepped
// exactly as a quotient and remainder by dy so that no row needs a division.
class EdgeWalk {
  public:
    EdgeWalk(const GpuVertex& p, const GpuVertex& q, int y) : m_dy(q.y - p.y) {
        const std::int64_t dx = q.x - p.x;
        const std::int64_t n = std::int64_t(p.x) * m_dy + dx * (y - p.y);
        m_q = FloorDiv(n, m_dy);
        m_r = n - m_q * m_dy;
        m_stepQ = FloorDiv(dx, m_dy);
        m_stepR = dx - m_stepQ * m_dy;
    }
    [[nodiscard]] std::int64_t Ceil() const { return m_q + (m_r > 0 ? 1 : 0); }
    void Next() {
        m_q += m_stepQ;
        m_r += m_stepR;
        if (m_r >= m_dy) {
            m_r -= m_dy;
            ++m_q;
        }
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
struct Plane {
    std::int64_t base = 0, dx = 0, dy = 0;
    [[nodiscard]] std::int64_t At(std::int64_t x, std::int64_t y) const { return base + dx * x + dy * y; }
};

// What one triangle's spans need: its attribute planes and how its pixels are shaded.
struct TriangleSetup {
    Plane r, g, b, u, v;
    GpuColour flat;
    const GpuDrawMode* mode = nullptr;
    bool dither = false;
};

template <bool kTextured, bool kGouraud>
void DrawSpan(std::uint16_t* row, const FrameBuffer& textures, const TriangleSetup& setup, int y, int left,
              int right) {
    const GpuDrawMode& mode = *setup.mode;
    std::int64_t r = 0, g = 0, b = 0, u = 0, v = 0;
    if constexpr (kGouraud) {
        r = setup.r.At(left, y);
        g = setup.g.At(left, y);
        b = setup.b.At(left, y);
    }
    if constexpr (kTextured) {
        u = setup.u.At(left, y);
        v = setup.v.At(left, y);
    }
    // A neutral colour without dither leaves texels as they are.
    const bool plainTexels = kTextured && (mode.raw || (!kGouraud && !setup.dither && setup.flat.r == 128 &&
                                                        setup.flat.g == 128 && setup.flat.b == 128));
    for (int x = left; x < right; ++x) {
        int r8 = setup.flat.r, g8 = setup.flat.g, b8 = setup.flat.b;
        if constexpr (kGouraud) {
            r8 = std::clamp(int(r >> kFractionBits), 0, 255);
            g8 = std::clamp(int(g >> kFractionBits), 0, 255);
            b8 = std::clamp(int(b >> kFractionBits), 0, 255);
            r += setup.r.dx;
            g += setup.g.dx;
            b += setup.b.dx;
        }
        const int offset = setup.dither ? DitherOffset(x, y) : 0;
        std::uint16_t word;
        bool blend = mode.semi;
        if constexpr (kTextured) {
            const auto tu = static_cast<std::uint8_t>(u >> kFractionBits);
            const auto tv = static_cast<std::uint8_t>(v >> kFractionBits);
            u += setup.u.dx;
            v += setup.v.dx;
            const std::uint16_t texel =
                FetchTexel(textures, mode.tpage, mode.pmode, mode.clutX, mode.clutY, tu, tv);
            if (texel == 0)
                continue;
            blend = blend && (texel & 0x8000) != 0;
            if (plainTexels)
                word = texel;
            else
                word = static_cast<std::uint16_t>(Pack(ModulateChannel(Channel(texel, 0), r8, offset),
                                                       ModulateChannel(Channel(texel, 5), g8, offset),
                                                       ModulateChannel(Channel(texel, 10), b8, offset)) |
                                                  (texel & 0x8000));
        } else {
            word = Pack(Cut(r8, offset), Cut(g8, offset), Cut(b8, offset));
        }
        row[x] = blend ? BlendWords(row[x], word, mode.abr) : word;
    }
}

} // namespace

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
}

GpuRasteriser::GpuRasteriser(FrameBuffer& memory)
    : GpuRasteriser(memory.MutableWords(), kFrameBufferWidth, kFrameBufferHeight, memory) {}

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

    // The interpolation is anchored at the leftmost corner, the later one on a tie.
    const GpuVertex* core = &a;
    if (b.x <= core->x)
        core = &b;
    if (c.x <= core->x)
        core = &c;
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

    if (m_sizeLimit) {
        const int minX = std::min({A.x, B.x, C.x});
        const int maxX = std::max({A.x, B.x, C.x});
        if (maxX - minX >= 1024 || C.y - A.y >= 512)
            return;
    }
    const std::int64_t denom = std::int64_t(B.x - A.x) * (C.y - B.y) - std::int64_t(C.x - B.x) * (B.y - A.y);
    if (denom == 0 || C.y == A.y || C.y <= 0 || A.y >= m_height)
        return;

    // Attribute planes: gradients in 12 fraction bits truncated toward zero, half a step added at
    // the anchor so a value lands in the middle of its step.
    auto plane = [&](int Ag, int Bg, int Cg, int coreValue) {
        const std::int64_t da = std::int64_t(Bg - Ag) * (C.y - B.y) - std::int64_t(Cg - Bg) * (B.y - A.y);
        const std::int64_t db = std::int64_t(B.x - A.x) * (Cg - Bg) - std::int64_t(C.x - B.x) * (Bg - Ag);
        Plane p;
        p.dx = TruncDiv(da * (1 << kFractionBits), denom);
        p.dy = TruncDiv(db * (1 << kFractionBits), denom);
        p.base = (std::int64_t(coreValue) << kFractionBits) + kHalf - p.dx * core->x - p.dy * core->y;
        return p;
    };
    TriangleSetup setup;
    setup.mode = &mode;
    setup.flat = a.colour;
    setup.dither = m_dither && (mode.gouraud || (mode.textured && !mode.raw));
    if (mode.gouraud) {
        setup.r = plane(A.colour.r, B.colour.r, C.colour.r, core->colour.r);
        setup.g = plane(A.colour.g, B.colour.g, C.colour.g, core->colour.g);
        setup.b = plane(A.colour.b, B.colour.b, C.colour.b, core->colour.b);
    }
    if (mode.textured) {
        setup.u = plane(A.u, B.u, C.u, core->u);
        setup.v = plane(A.v, B.v, C.v, core->v);
    }

    // The middle corner lies left of the long edge A-C when the turn A-B-C is clockwise on screen.
    const bool middleLeft = denom < 0;
    const int yStart = std::max(A.y, 0);
    const int yEnd = std::min(C.y, m_height);
    // Pixel x is drawn when left <= x < right: the lower and right edges are left out.
    EdgeWalk longEdge(A, C, yStart);
    std::optional<EdgeWalk> shortEdge;
    for (int y = yStart; y < yEnd; ++y, longEdge.Next(), shortEdge->Next()) {
        if (!shortEdge || y == B.y)
            shortEdge.emplace(y < B.y ? EdgeWalk(A, B, y) : EdgeWalk(B, C, y));
        const std::int64_t longX = longEdge.Ceil();
        const std::int64_t shortX = shortEdge->Ceil();
        const int left = int(std::max<std::int64_t>(middleLeft ? shortX : longX, 0));
        const int right = int(std::min<std::int64_t>(middleLeft ? longX : shortX, m_width));
        if (left >= right)
            continue;
        std::uint16_t* row = m_target + std::size_t(y) * std::size_t(m_width);
        if (mode.textured)
            mode.gouraud ? DrawSpan<true, true>(row, m_textures, setup, y, left, right)
                         : DrawSpan<true, false>(row, m_textures, setup, y, left, right);
        else
            mode.gouraud ? DrawSpan<false, true>(row, m_textures, setup, y, left, right)
                         : DrawSpan<false, false>(row, m_textures, setup, y, left, right);
    }
}

} // namespace polyvane
