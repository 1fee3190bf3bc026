#include "TexturedPaint.h"

#include "gpu/GpuRasteriser.h"

#include <algorithm>
#include <cmath>

namespace polyvane {

namespace {

// The projection keeps a quad's screen points in outline order (0, 1, 3, 2); the chip wants them in
// the packet's order.
ScreenPoint PacketPoint(const WorkPrimitive& p, int k) {
    static constexpr int kOutlineIndex[4] = {0, 1, 3, 2};
    return p.screen[(p.attr & PA_QUAD) ? kOutlineIndex[k] : k];
}

GpuColour Unpack(std::uint32_t colour) {
    return {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
            static_cast<std::uint8_t>(colour >> 16)};
}

GpuColour Scale(std::uint32_t colour, double factor) {
    auto channel = [factor](std::uint32_t c) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(double(c & 0xFF) * factor), 0L, 255L));
    };
    return {channel(colour), channel(colour >> 8), channel(colour >> 16)};
}

} // namespace

std::vector<LightModel::Directional> LightModel::DefaultLights() {
    Directional light;
    light.x = -0.4;
    light.y = -0.6;
    light.z = -0.7;
    light.intensity = 0.75;
    return {light};
}

double LightModel::Factor(double nx, double ny, double nz) const {
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    double factor = ambient;
    if (!(length > 0.0) || !std::isfinite(length))
        return factor;
    for (const Directional& light : lights) {
        const double dl = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
        if (!(dl > 0.0))
            continue;
        const double dot = (nx * light.x + ny * light.y + nz * light.z) / (length * dl);
        factor += light.intensity * std::max(0.0, dot);
    }
    return factor;
}

bool IsCulled(const WorkPrimitive& p) {
    if (p.attr & PA_DOUBLE)
        return false;
    const ScreenPoint a = PacketPoint(p, 0), b = PacketPoint(p, 1), c = PacketPoint(p, 2);
    const std::int64_t cross = std::int64_t(b.x - a.x) * (c.y - a.y) - std::int64_t(b.y - a.y) * (c.x - a.x);
    // The console keeps faces that turn clockwise on its screen, whose y grows downward; this view
    // shows the model's y growing upward, which mirrors every turn.
    return cross >= 0;
}

void PaintTextured(const WorkPrimitive* first, std::uint32_t count, const FrameBuffer& textures,
                   std::span<std::uint16_t> picture, int width, int height,
                   const TexturedPaintOptions& options) {
    if (width <= 0 || height <= 0 || picture.size() < std::size_t(width) * std::size_t(height))
        return;
    std::fill(picture.begin(), picture.begin() + std::ptrdiff_t(width) * height, options.background);
    GpuRasteriser chip(picture, width, height, textures);
    chip.SetSizeLimit(false);
    chip.SetDither(options.dither);
    const WorkPrimitive* p = first;
    for (std::uint32_t i = 0; i < count && p; ++i, p = p->pNext) {
        // The draw order jumps around the records: the one two steps ahead is fetched meanwhile.
#if defined(__GNUC__)
        if (const WorkPrimitive* next = p->pNext)
            if (const WorkPrimitive* ahead = next->pNext) {
                __builtin_prefetch(&ahead->attr);
                __builtin_prefetch(&ahead->screen[3]);
                __builtin_prefetch(&ahead->nx[0]);
            }
#endif
        if (IsCulled(*p))
            continue;
        const std::uint16_t attr = p->attr;
        const int n = VertexCount(*p);
        GpuDrawMode mode;
        mode.textured = attr & PA_TEXTURED;
        mode.raw = mode.textured && !(attr & PA_BRIGHTNESS);
        mode.gouraud = attr & (PA_GOURAUD | PA_GRADATION);
        mode.semi = attr & PA_TRANSLUCENT;
        mode.abr = p->abr;
        mode.tpage = p->tpage;
        mode.pmode = p->pmode;
        mode.clutX = p->clutX;
        mode.clutY = p->clutY;
        // Lit textured packets carry no colour: the texture is lit from a neutral grey.
        const bool colourless = mode.textured && (attr & PA_LIGHT);
        const bool perVertexColour = (attr & PA_GRADATION) || ((attr & PA_GOURAUD) && !(attr & PA_LIGHT));
        GpuVertex v[4];
        for (int k = 0; k < n; ++k) {
            const ScreenPoint s = PacketPoint(*p, k);
            v[k].x = s.x;
            v[k].y = s.y;
            v[k].u = p->u[k];
            v[k].v = p->v[k];
            const std::uint32_t base = colourless ? 0x808080u : p->colour[perVertexColour ? k : 0];
            if (attr & PA_LIGHT) {
                const int n0 = (attr & PA_GOURAUD) ? k : 0;
                v[k].colour = Scale(base, options.light.Factor(p->nx[n0], p->ny[n0], p->nz[n0]));
            } else {
                v[k].colour = Unpack(base);
            }
        }
        chip.Polygon(std::span<const GpuVertex>(v, std::size_t(n)), mode);
    }
}

} // namespace polyvane
