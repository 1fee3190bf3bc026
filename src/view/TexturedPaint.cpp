#include "TexturedPaint.h"

#include "gpu/GpuRasteriser.h"
#include "platform/Parallel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace polyvane {

namespace {

// The projection keeps a quad's screen points in outline order (0, 1, 3, 2); the chip wants them in
// the packet's order.
ScreenPoint PacketPoint(std::uint16_t attr, const std::array<ScreenPoint, 4>& screen, int k) {
    static constexpr int kOutlineIndex[4] = {0, 1, 3, 2};
    return screen[static_cast<std::size_t>((attr & PA_QUAD) ? kOutlineIndex[k] : k)];
}

// How many records ahead the placing of items fetches.
constexpr std::size_t kRecordsAhead = 8;
constexpr std::uint32_t kUnplaced = UINT32_MAX;

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

bool IsCulled(std::uint16_t attr, const std::array<ScreenPoint, 4>& screen) {
    if (attr & PA_DOUBLE)
        return false;
    const ScreenPoint a = PacketPoint(attr, screen, 0), b = PacketPoint(attr, screen, 1),
                      c = PacketPoint(attr, screen, 2);
    const std::int64_t cross = std::int64_t(b.x - a.x) * (c.y - a.y) - std::int64_t(b.y - a.y) * (c.x - a.x);
    // The console keeps faces that turn clockwise on its screen, whose y grows downward; this view
    // shows the model's y growing upward, which mirrors every turn.
    return cross >= 0;
}

void TexturedPainter::PlaceItems(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
                                 std::size_t from, std::size_t to, const LightModel& light) {
    for (std::size_t i = from; i < to; ++i) {
#if defined(__GNUC__)
        // The fields read lie far apart in large records, more than the processor fetches ahead on
        // its own, and the items are written all over the list: the lines of a record a few places
        // on, and of its item, are asked for meanwhile.
        if (i + kRecordsAhead < to) {
            __builtin_prefetch(&records[i + kRecordsAhead].attr);
            __builtin_prefetch(&records[i + kRecordsAhead].clutY);
            const std::uint32_t ahead = m_position[i + kRecordsAhead];
            if (ahead != kUnplaced) {
                __builtin_prefetch(&m_drawList[ahead], 1);
                __builtin_prefetch(&m_drawList[ahead].bottom, 1);
            }
        }
#endif
        const std::uint32_t k = m_position[i];
        if (k == kUnplaced)
            continue;
        const WorkPrimitive& p = records[i];
        const std::array<ScreenPoint, 4>& screen = projected.screen[i];
        Item& item = m_drawList[k];
        const std::uint16_t attr = p.attr;
        item.attr = attr;
        item.kind = ItemKind::polygon;
        if (IsCulled(attr, screen)) {
            item.top = item.bottom = 0;
            m_rows[k] = {0, 0};
            continue;
        }
        GpuDrawMode& mode = item.mode;
        mode.textured = attr & PA_TEXTURED;
        mode.raw = mode.textured && !(attr & PA_BRIGHTNESS);
        mode.gouraud = attr & (PA_GOURAUD | PA_GRADATION);
        mode.semi = attr & PA_TRANSLUCENT;
        mode.abr = p.abr;
        mode.tpage = p.tpage;
        mode.pmode = p.pmode;
        mode.clutX = p.clutX;
        mode.clutY = p.clutY;
        // Lit textured packets carry no colour: the texture is lit from a neutral grey.
        const bool colourless = mode.textured && (attr & PA_LIGHT);
        const bool perVertexColour = (attr & PA_GRADATION) || ((attr & PA_GOURAUD) && !(attr & PA_LIGHT));
        const int corners = VertexCount(p);
        std::int32_t top = INT32_MAX, bottom = INT32_MIN;
        for (int c = 0; c < corners; ++c) {
            GpuVertex& corner = item.corner[c];
            const ScreenPoint at = PacketPoint(attr, screen, c);
            corner.x = at.x;
            corner.y = at.y;
            top = std::min(top, at.y);
            bottom = std::max(bottom, at.y);
            corner.u = p.u[c];
            corner.v = p.v[c];
            const std::uint32_t base = colourless ? 0x808080u : p.colour[perVertexColour ? c : 0];
            if (attr & PA_LIGHT) {
                const int n0 = (attr & PA_GOURAUD) ? c : 0;
                corner.colour = Scale(base, light.Factor(p.nx[n0], p.ny[n0], p.nz[n0]));
            } else {
                corner.colour = Unpack(base);
            }
        }
        item.top = top;
        item.bottom = bottom;
        m_rows[k] = {top, bottom};
    }
}

void TexturedPainter::BinItems(std::size_t from, std::size_t to, int height, unsigned shares,
                               std::vector<std::uint32_t>* bins) const {
    for (unsigned share = 0; share < shares; ++share)
        bins[share].clear();
    for (std::size_t k = from; k < to; ++k) {
        // The rows it may cover inside the picture, and the shares whose bands hold them.
        const int first = std::max(m_rows[k].top, 0), last = std::min(m_rows[k].bottom, height) - 1;
        if (first > last)
            continue;
        const int firstBand = first / GpuRasteriser::kShareRows, lastBand = last / GpuRasteriser::kShareRows;
        const int bands = std::min(lastBand - firstBand + 1, int(shares));
        for (int band = firstBand; band < firstBand + bands; ++band)
            bins[unsigned(band) % shares].push_back(static_cast<std::uint32_t>(k));
    }
}

void TexturedPainter::DrawListShare(GpuRasteriser& chip) const {
    for (const Item& item : m_drawList) {
        if (item.top >= item.bottom || !chip.SharesRows(item.top, item.bottom - 1))
            continue;
        switch (item.kind) {
        case ItemKind::polygon:
            chip.Polygon(std::span<const GpuVertex>(item.corner, (item.attr & PA_QUAD) ? 4u : 3u), item.mode);
            break;
        case ItemKind::line:
            chip.Line(item.corner[0], item.corner[1], item.mode);
            break;
        case ItemKind::sprite:
            chip.Sprite(item.corner[0].x, item.corner[0].y, item.corner[1].x, item.corner[1].y,
                        item.corner[0].u, item.corner[0].v, item.mode);
            break;
        }
    }
}

void TexturedPainter::DrawShare(GpuRasteriser& chip, unsigned share, unsigned parts) const {
    for (unsigned part = 0; part < parts; ++part) {
        for (const std::uint32_t k : m_bins[std::size_t(part) * parts + share]) {
            const Item& item = m_drawList[k];
            chip.Polygon(std::span<const GpuVertex>(item.corner, (item.attr & PA_QUAD) ? 4u : 3u), item.mode);
        }
    }
}

void TexturedPainter::PlacePackets(const ProjectedObject& projected, std::span<const KeptPacket> packets,
                                   std::span<const ProjectedPacket> screens) {
    // A position no record was placed at draws nothing.
    for (std::size_t k = 0; k < m_drawList.size(); ++k) {
        m_drawList[k].top = m_rows[k].top;
        m_drawList[k].bottom = m_rows[k].bottom;
    }
    m_packetItems.clear();
    m_packetDepths.clear();
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const KeptPacket& packet = packets[i];
        const auto& screen = screens[i].screen;
        Item item{};
        if (packet.Kind() == PacketKind::line && packet.vertexCount == 2) {
            const LineLook look = LineLookOf(packet);
            item.kind = ItemKind::line;
            item.mode.gouraud = look.gouraud;
            item.mode.semi = look.semi;
            for (std::size_t k = 0; k < 2; ++k) {
                item.corner[k].x = screen[k].x;
                item.corner[k].y = screen[k].y;
                item.corner[k].colour = Unpack(look.colour[k]);
            }
            item.top = std::min(screen[0].y, screen[1].y);
            item.bottom = std::max(screen[0].y, screen[1].y) + 1;
        } else if (packet.Kind() == PacketKind::sprite && packet.vertexCount == 1) {
            const SpriteLook look = SpriteLookOf(packet);
            item.kind = ItemKind::sprite;
            item.mode.textured = true;
            item.mode.semi = look.semi;
            item.mode.abr = look.abr;
            item.mode.tpage = look.tpage;
            item.mode.pmode = look.pmode;
            item.mode.clutX = look.clutX;
            item.mode.clutY = look.clutY;
            item.corner[0].x = screen[0].x - look.width / 2;
            item.corner[0].y = screen[0].y - look.height / 2;
            item.corner[0].u = look.u;
            item.corner[0].v = look.v;
            item.corner[1].x = look.width;
            item.corner[1].y = look.height;
            item.top = item.corner[0].y;
            item.bottom = item.corner[0].y + look.height;
        } else {
            continue; // nothing the chip draws
        }
        m_packetItems.push_back(item);
        m_packetDepths.push_back(screens[i].depth);
    }
    if (m_packetItems.empty())
        return;
    std::vector<std::uint32_t> byDepth(m_packetItems.size());
    for (std::size_t i = 0; i < byDepth.size(); ++i)
        byDepth[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return m_packetDepths[a] > m_packetDepths[b]; });
    m_merged.clear();
    m_merged.reserve(m_drawList.size() + byDepth.size());
    std::size_t next = 0;
    for (std::size_t k = 0; k < m_drawList.size(); ++k) {
        const std::int32_t depth = projected.depth[projected.order[k]];
        for (; next < byDepth.size() && m_packetDepths[byDepth[next]] > depth; ++next)
            m_merged.push_back(m_packetItems[byDepth[next]]);
        m_merged.push_back(m_drawList[k]);
    }
    for (; next < byDepth.size(); ++next)
        m_merged.push_back(m_packetItems[byDepth[next]]);
    m_drawList.swap(m_merged);
}

void TexturedPainter::Paint(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
                            const FrameBuffer& textures, std::span<std::uint16_t> picture, int width,
                            int height, const TexturedPaintOptions& options,
                            std::span<const KeptPacket> packets,
                            std::span<const ProjectedPacket> packetScreens) {
    if (width <= 0 || height <= 0 || picture.size() < std::size_t(width) * std::size_t(height))
        return;
    std::fill(picture.begin(), picture.begin() + std::ptrdiff_t(width) * height, options.background);
    const std::size_t n = records.size();
    if (projected.screen.size() != n || projected.order.size() != n)
        return;

    const unsigned parts = options.threads ? options.threads : WorkerCountFor(n);

    // Each record's place in the drawing order; then every record, read in its own order, becomes the
    // item at its place, each thread taking a run of records; then the items, each thread a run of
    // the drawing order, are binned by the shares of rows they touch.
    m_position.assign(n, kUnplaced);
    m_rows.assign(n, Rows{0, 0});
    for (std::size_t k = 0; k < n; ++k)
        if (projected.order[k] < n)
            m_position[projected.order[k]] = static_cast<std::uint32_t>(k);
    m_drawList.resize(n);
    RunParts(parts, [&](unsigned part) {
        PlaceItems(records, projected, n * part / parts, n * (part + 1) / parts, options.light);
    });
    m_bins.resize(std::size_t(parts) * parts);
    RunParts(parts, [&](unsigned part) {
        BinItems(n * part / parts, n * (part + 1) / parts, height, parts, &m_bins[std::size_t(part) * parts]);
    });
    // The picture is drawn apart from the memory, so texels fetched once stay valid all the paint.
    auto address = [](std::span<const std::uint16_t> words, std::size_t at) {
        return reinterpret_cast<std::uintptr_t>(words.data() + at);
    };
    const bool separate = address(picture, picture.size()) <= address(textures.Words(), 0) ||
                          address(textures.Words(), textures.Words().size()) <= address(picture, 0);
    if (m_texelCaches.size() < parts)
        m_texelCaches.resize(parts);
    auto drawShares = [&](const auto& draw) {
        RunParts(parts, [&](unsigned part) {
            GpuRasteriser chip(picture, width, height, textures);
            m_texelCaches[part].Reset();
            if (separate)
                chip.SetTexelCache(&m_texelCaches[part]);
            chip.SetSizeLimit(false);
            chip.SetDither(options.dither);
            chip.SetRowShare(int(part), int(parts));
            draw(chip, part);
        });
    };
    if (!packets.empty() && packetScreens.size() == packets.size()) {
        // Kept lines and sprites take their places among the polygons by depth; every thread then
        // draws the whole list on the rows of its share.
        PlacePackets(projected, packets, packetScreens);
        drawShares([&](GpuRasteriser& chip, unsigned) { DrawListShare(chip); });
        return;
    }
    // Then every thread draws the items binned to its share, only on the rows of that share.
    drawShares([&](GpuRasteriser& chip, unsigned part) { DrawShare(chip, part, parts); });
}

void PaintTextured(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
                   const FrameBuffer& textures, std::span<std::uint16_t> picture, int width, int height,
                   const TexturedPaintOptions& options) {
    TexturedPainter painter;
    painter.Paint(records, projected, textures, picture, width, height, options);
}

} // namespace polyvane
