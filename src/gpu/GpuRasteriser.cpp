#include "GpuRasteriser.h"

#include <algorithm>
#include <array>
#include <cstdlib>

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

std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0)))
        --q;
    return q;
}

std::int64_t CeilDiv(std::int64_t n, std::int64_t d) {
    return -FloorDiv(-n, d);
}

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
    std::array<const GpuVertex*, 3> v = {&a, &b, &c};
    for (const GpuVertex* p : v)
        if (std::abs(p->x) > kCoordinateLimit || std::abs(p->y) > kCoordinateLimit)
            return;

    // The interpolation is anchored at the leftmost corner, the later one on a tie.
    const GpuVertex* core = v[0];
    for (const GpuVertex* p : {v[1], v[2]})
        if (p->x <= core->x)
            core = p;
    std::stable_sort(v.begin(), v.end(), [](const GpuVertex* l, const GpuVertex* r) { return l->y < r->y; });
    const GpuVertex& A = *v[0];
    const GpuVertex& B = *v[1];
    const GpuVertex& C = *v[2];

    if (m_sizeLimit) {
        const int minX = std::min({A.x, B.x, C.x});
        const int maxX = std::max({A.x, B.x, C.x});
        if (maxX - minX >= 1024 || C.y - A.y >= 512)
            return;
    }
    const std::int64_t denom = std::int64_t(B.x - A.x) * (C.y - B.y) - std::int64_t(C.x - B.x) * (B.y - A.y);
    if (denom == 0 || C.y == A.y)
        return;

    // Attribute planes: gradients in 12 fraction bits truncated toward zero, half a step added at
    // the anchor so a value lands in the middle of its step.
    auto plane = [&](auto get) {
        const std::int64_t da =
            std::int64_t(get(B) - get(A)) * (C.y - B.y) - std::int64_t(get(C) - get(B)) * (B.y - A.y);
        const std::int64_t db =
            std::int64_t(B.x - A.x) * (get(C) - get(B)) - std::int64_t(C.x - B.x) * (get(B) - get(A));
        Plane p;
        p.dx = da * (1 << kFractionBits) / denom;
        p.dy = db * (1 << kFractionBits) / denom;
        p.base = (std::int64_t(get(*core)) << kFractionBits) + kHalf - p.dx * core->x - p.dy * core->y;
        return p;
    };
    const bool gouraud = mode.gouraud;
    const Plane pr = gouraud ? plane([](const GpuVertex& p) { return int(p.colour.r); }) : Plane{};
    const Plane pg = gouraud ? plane([](const GpuVertex& p) { return int(p.colour.g); }) : Plane{};
    const Plane pb = gouraud ? plane([](const GpuVertex& p) { return int(p.colour.b); }) : Plane{};
    const Plane pu = mode.textured ? plane([](const GpuVertex& p) { return int(p.u); }) : Plane{};
    const Plane pv = mode.textured ? plane([](const GpuVertex& p) { return int(p.v); }) : Plane{};
    const GpuColour flat = a.colour;

    // The middle corner lies left of the long edge A-C when the turn A-B-C is clockwise on screen.
    const bool middleLeft = denom < 0;
    const bool ditherPixels = m_dither && (gouraud || (mode.textured && !mode.raw));
    const int yStart = std::max(A.y, 0);
    const int yEnd = std::min(C.y, m_height);
    for (int y = yStart; y < yEnd; ++y) {
        // Pixel x is drawn when left <= x < right: the lower and right edges are left out.
        auto edgeCeil = [y](const GpuVertex& p, const GpuVertex& q) {
            const std::int64_t dy = q.y - p.y;
            return CeilDiv(std::int64_t(p.x) * dy + std::int64_t(q.x - p.x) * (y - p.y), dy);
        };
        const std::int64_t longX = edgeCeil(A, C);
        const std::int64_t shortX = y < B.y ? edgeCeil(A, B) : edgeCeil(B, C);
        const std::int64_t left = std::max<std::int64_t>(middleLeft ? shortX : longX, 0);
        const std::int64_t right = std::min<std::int64_t>(middleLeft ? longX : shortX, m_width);
        for (std::int64_t x = left; x < right; ++x) {
            const int offset = ditherPixels ? DitherOffset(int(x), y) : 0;
            int r8 = flat.r, g8 = flat.g, b8 = flat.b;
            if (gouraud) {
                r8 = std::clamp(int(pr.At(x, y) >> kFractionBits), 0, 255);
                g8 = std::clamp(int(pg.At(x, y) >> kFractionBits), 0, 255);
                b8 = std::clamp(int(pb.At(x, y) >> kFractionBits), 0, 255);
            }
            std::uint16_t word;
            bool blend = mode.semi;
            if (mode.textured) {
                const auto u = static_cast<std::uint8_t>(pu.At(x, y) >> kFractionBits);
                const auto tv = static_cast<std::uint8_t>(pv.At(x, y) >> kFractionBits);
                const std::uint16_t texel =
                    FetchTexel(m_textures, mode.tpage, mode.pmode, mode.clutX, mode.clutY, u, tv);
                if (texel == 0)
                    continue;
                blend = blend && (texel & 0x8000) != 0;
                if (mode.raw)
                    word = texel;
                else
                    word = static_cast<std::uint16_t>(Pack(ModulateChannel(Channel(texel, 0), r8, offset),
                                                           ModulateChannel(Channel(texel, 5), g8, offset),
                                                           ModulateChannel(Channel(texel, 10), b8, offset)) |
                                                      (texel & 0x8000));
            } else {
                word = Pack(Cut(r8, offset), Cut(g8, offset), Cut(b8, offset));
            }
            Plot(int(x), y, word, blend, mode.abr);
        }
    }
}

} // namespace polyvane
