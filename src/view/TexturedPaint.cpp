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
// The estimated cost of drawing a triangle, in rough nanoseconds: setting it up, and each row.
constexpr std::int64_t kSetupWork = 40;
constexpr std::int64_t kRowWork = 6;
// How many items ahead the drawing fetches.
constexpr std::size_t kItemsAhead = 4;
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
                                 std::size_t from, std::size_t to, const LightModel& light, int width,
                                 int height, std::int64_t* rowWork) {
    for (std::size_t i = from; i < to; ++i) {
#if defined(__GNUC__)
        // The fields read lie far apart in large records, more than the processor fetches ahead on
        // its own: the lines of a record a few places on are asked for meanwhile.
        if (i + kRecordsAhead < to) {
            __builtin_prefetch(&records[i + kRecordsAhead].attr);
            __builtin_prefetch(&records[i + kRecordsAhead].clutY);
        }
#endif
        // Its item and rows go to its place in the drawing order, whose rows were made none; a
        // culled primitive leaves them so.
        const std::uint32_t k = m_position[i];
        if (k == kUnplaced)
            continue;
        const WorkPrimitive& p = records[i];
        const std::array<ScreenPoint, 4>& screen = projected.screen[i];
        const std::uint16_t attr = p.attr;
        if (IsCulled(attr, screen))
            continue;
        // Written field by field where it goes: an item built apart and copied would be read back in
        // wide words before its narrow fields are all stored, which stalls every record.
        Item& item = m_items[i];
        const bool textured = attr & PA_TEXTURED;
        item.flags = static_cast<std::uint8_t>(
            (textured ? kTextured : 0) | (textured && !(attr & PA_BRIGHTNESS) ? kRaw : 0) |
            ((attr & (PA_GOURAUD | PA_GRADATION)) ? kGouraud : 0) | ((attr & PA_TRANSLUCENT) ? kSemi : 0) |
            ((attr & PA_QUAD) ? kQuad : 0));
        item.kind = ItemKind::polygon;
        item.abr = p.abr;
        item.tpage = p.tpage;
        item.pmode = p.pmode;
        item.clutX = p.clutX;
        item.clutY = p.clutY;
        // Lit textured packets carry no colour: the texture is lit from a neutral grey.
        const bool colourless = textured && (attr & PA_LIGHT);
        const bool perVertexColour = (attr & PA_GRADATION) || ((attr & PA_GOURAUD) && !(attr & PA_LIGHT));
        const int corners = VertexCount(p);
        std::int32_t top = INT32_MAX, bottom = INT32_MIN, left = INT32_MAX, right = INT32_MIN;
        for (int c = 0; c < 4; ++c) {
            if (c >= corners) {
                item.x[c] = item.y[c] = 0;
                item.u[c] = item.v[c] = 0;
                item.colour[c] = {};
                continue;
            }
            const ScreenPoint at = PacketPoint(attr, screen, c);
            item.x[c] = at.x;
            item.y[c] = at.y;
            top = std::min(top, at.y);
            bottom = std::max(bottom, at.y);
            left = std::min(left, at.x);
            right = std::max(right, at.x);
            item.u[c] = p.u[c];
            item.v[c] = p.v[c];
            const std::uint32_t base = colourless ? 0x808080u : p.colour[perVertexColour ? c : 0];
            if (attr & PA_LIGHT) {
                const int n0 = (attr & PA_GOURAUD) ? c : 0;
                item.colour[c] = Scale(base, light.Factor(p.nx[n0], p.ny[n0], p.nz[n0]));
            } else {
                item.colour[c] = Unpack(base);
            }
        }
        m_rows[k] = {top, bottom};
        // The work of its triangles, in rough nanoseconds: setting each up on its first row, then
        // every row it covers, with a pixel for every other column of its width.
        const int first = std::max(top, 0), end = std::min(bottom, height);
        const int columns = std::min(right, width) - std::max(left, 0);
        if (first < end && columns > 0) {
            const std::int64_t triangles = corners == 4 ? 2 : 1;
            const std::int64_t setup = kSetupWork * triangles, perRow = kRowWork + columns / 2;
            rowWork[first] += setup + perRow;
            rowWork[first + 1] -= setup;
            rowWork[end] -= perRow;
        }
    }
}

void TexturedPainter::SplitRows(int height, unsigned shares, unsigned placers) {
    std::vector<std::int64_t> work(std::size_t(height), 0);
    std::int64_t total = 0;
    for (int y = 0; y < height; ++y) {
        for (unsigned part = 0; part < placers; ++part)
            total += m_rowWork[part][std::size_t(y)];
        work[std::size_t(y)] = total; // the work on row y
    }
    total = 0;
    for (const std::int64_t w : work)
        total += w;
    // Share s starts at the first row before which s / shares of the work lies.
    m_split.assign(shares + 1, height);
    m_split[0] = 0;
    m_shareOfRow.resize(std::size_t(height));
    std::int64_t before = 0;
    unsigned share = 0;
    for (int y = 0; y < height; ++y) {
        while (share + 1 < shares && before * std::int64_t(shares) >= total * std::int64_t(share + 1))
            m_split[++share] = y;
        m_shareOfRow[std::size_t(y)] = share;
        before += work[std::size_t(y)];
    }
}

void TexturedPainter::BinItems(const ProjectedObject& projected, std::size_t from, std::size_t to, int height,
                               unsigned shares, std::vector<std::uint32_t>* bins) const {
    for (unsigned share = 0; share < shares; ++share)
        bins[share].clear();
    for (std::size_t k = from; k < to; ++k) {
        // The rows it may cover inside the picture, none at a place no record was placed at, and the
        // shares that draw them.
        const int first = std::max(m_rows[k].top, 0), last = std::min(m_rows[k].bottom, height) - 1;
        if (first > last)
            continue;
        for (unsigned share = m_shareOfRow[std::size_t(first)]; share < shares && m_split[share] <= last;
             ++share)
            bins[share].push_back(projected.order[k]);
    }
}

void TexturedPainter::DrawItem(GpuRasteriser& chip, const Item& item) {
    GpuDrawMode mode;
    mode.gouraud = item.flags & kGouraud;
    mode.textured = item.flags & kTextured;
    mode.raw = item.flags & kRaw;
    mode.semi = item.flags & kSemi;
    mode.abr = item.abr;
    mode.tpage = item.tpage;
    mode.pmode = item.pmode;
    mode.clutX = item.clutX;
    mode.clutY = item.clutY;
    // Field by field: a whole vertex built apart and copied would be read back before its bytes
    // are all stored.
    GpuVertex corner[4];
    for (std::size_t c = 0; c < 4; ++c) {
        corner[c].x = item.x[c];
        corner[c].y = item.y[c];
        corner[c].colour = item.colour[c];
        corner[c].u = item.u[c];
        corner[c].v = item.v[c];
    }
    switch (item.kind) {
    case ItemKind::polygon:
        chip.Polygon(std::span<const GpuVertex>(corner, (item.flags & kQuad) ? 4u : 3u), mode);
        break;
    case ItemKind::line:
        chip.Line(corner[0], corner[1], mode);
        break;
    case ItemKind::sprite:
        chip.Sprite(item.x[0], item.y[0], item.x[1], item.y[1], item.u[0], item.v[0], mode);
        break;
    }
}

void TexturedPainter::DrawListShare(GpuRasteriser& chip) const {
    for (std::size_t k = 0; k < m_drawList.size(); ++k) {
        const Rows rows = m_listRows[k];
        if (rows.top >= rows.bottom || !chip.SharesRows(rows.top, rows.bottom - 1))
            continue;
        DrawItem(chip, m_drawList[k]);
    }
}

void TexturedPainter::DrawShare(GpuRasteriser& chip, unsigned share, unsigned parts) const {
    for (unsigned part = 0; part < parts; ++part) {
        const std::vector<std::uint32_t>& bin = m_bins[std::size_t(part) * parts + share];
        for (std::size_t j = 0; j < bin.size(); ++j) {
#if defined(__GNUC__)
            // The items are read in drawing order, all over a list larger than the caches: the item a
            // few places on is asked for while this one is drawn.
            if (j + kItemsAhead < bin.size())
                __builtin_prefetch(&m_items[bin[j + kItemsAhead]]);
#endif
            DrawItem(chip, m_items[bin[j]]);
        }
    }
}

void TexturedPainter::PlacePackets(const ProjectedObject& projected, std::span<const KeptPacket> packets,
                                   std::span<const ProjectedPacket> screens) {
    m_packetItems.clear();
    m_packetRows.clear();
    m_packetDepths.clear();
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const KeptPacket& packet = packets[i];
        const auto& screen = screens[i].screen;
        Item item{};
        Rows rows{};
        if (packet.Kind() == PacketKind::line && packet.vertexCount == 2) {
            const LineLook look = LineLookOf(packet);
            item.kind = ItemKind::line;
            item.flags = static_cast<std::uint8_t>((look.gouraud ? kGouraud : 0) | (look.semi ? kSemi : 0));
            for (std::size_t k = 0; k < 2; ++k) {
                item.x[k] = screen[k].x;
                item.y[k] = screen[k].y;
                item.colour[k] = Unpack(look.colour[k]);
            }
            rows = {std::min(screen[0].y, screen[1].y), std::max(screen[0].y, screen[1].y) + 1};
        } else if (packet.Kind() == PacketKind::sprite && packet.vertexCount == 1) {
            const SpriteLook look = SpriteLookOf(packet);
            item.kind = ItemKind::sprite;
            item.flags = static_cast<std::uint8_t>(kTextured | (look.semi ? kSemi : 0));
            item.abr = look.abr;
            item.tpage = look.tpage;
            item.pmode = look.pmode;
            item.clutX = look.clutX;
            item.clutY = look.clutY;
            item.x[0] = screen[0].x - look.width / 2;
            item.y[0] = screen[0].y - look.height / 2;
            item.u[0] = look.u;
            item.v[0] = look.v;
            item.x[1] = look.width;
            item.y[1] = look.height;
            rows = {item.y[0], item.y[0] + look.height};
        } else {
            continue; // nothing the chip draws
        }
        m_packetItems.push_back(item);
        m_packetRows.push_back(rows);
        m_packetDepths.push_back(screens[i].depth);
    }
    std::vector<std::uint32_t> byDepth(m_packetItems.size());
    for (std::size_t i = 0; i < byDepth.size(); ++i)
        byDepth[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return m_packetDepths[a] > m_packetDepths[b]; });
    const std::size_t n = m_items.size();
    m_drawList.clear();
    m_listRows.clear();
    m_drawList.reserve(n + byDepth.size());
    m_listRows.reserve(n + byDepth.size());
    auto take = [&](const Item& item, Rows rows) {
        m_drawList.push_back(item);
        m_listRows.push_back(rows);
    };
    std::size_t next = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t i = projected.order[k];
        if (i >= n)
            continue;
        const std::int32_t depth = projected.depth[i];
        for (; next < byDepth.size() && m_packetDepths[byDepth[next]] > depth; ++next)
            take(m_packetItems[byDepth[next]], m_packetRows[byDepth[next]]);
        // A position no record was placed at draws nothing.
        if (m_position[i] == k)
            take(m_items[i], m_rows[k]);
    }
    for (; next < byDepth.size(); ++next)
        take(m_packetItems[byDepth[next]], m_packetRows[byDepth[next]]);
}

void TexturedPainter::Paint(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
                            const FrameBuffer& textures, std::span<std::uint16_t> picture, int width,
                            int height, const TexturedPaintOptions& options,
                            std::span<const KeptPacket> packets,
                            std::span<const ProjectedPacket> packetScreens) {
    if (width <= 0 || height <= 0 || picture.size() < std::size_t(width) * std::size_t(height))
        return;
    const std::size_t n = records.size();
    if (projected.screen.size() != n || projected.order.size() != n) {
        std::fill(picture.begin(), picture.begin() + std::ptrdiff_t(width) * height, options.background);
        return;
    }

    const unsigned parts = options.threads ? options.threads : WorkerCountFor(n);

    // Each record's place in the drawing order; then every placed record becomes its item, each
    // thread taking a run of records; then the picture's rows are cut into as many runs of about
    // equal work; then the items, each thread a run of the drawing order, are binned by the runs of
    // rows they touch. Runs that follow one another leave few items to be set up by two threads.
    m_position.assign(n, kUnplaced);
    // A record listed twice is drawn at its last place only; a place of none, or of a record not in
    // the object, draws nothing.
    m_rows.assign(n, Rows{0, 0});
    for (std::size_t k = 0; k < n; ++k)
        if (projected.order[k] < n)
            m_position[projected.order[k]] = static_cast<std::uint32_t>(k);
    m_items.resize(n);
    m_rowWork.resize(parts);
    RunParts(parts, [&](unsigned part) {
        m_rowWork[part].assign(std::size_t(height) + 1, 0);
        PlaceItems(records, projected, n * part / parts, n * (part + 1) / parts, options.light, width, height,
                   m_rowWork[part].data());
    });
    SplitRows(height, parts, parts);
    m_bins.resize(std::size_t(parts) * parts);
    RunParts(parts, [&](unsigned part) {
        BinItems(projected, n * part / parts, n * (part + 1) / parts, height, parts,
                 &m_bins[std::size_t(part) * parts]);
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
            // Each thread clears its own rows before it draws them.
            const int top = m_split[part], bottom = m_split[part + 1];
            std::fill(picture.begin() + std::ptrdiff_t(top) * width,
                      picture.begin() + std::ptrdiff_t(bottom) * width, options.background);
            GpuRasteriser chip(picture, width, height, textures);
            m_texelCaches[part].Reset();
            if (separate)
                chip.SetTexelCache(&m_texelCaches[part]);
            chip.SetSizeLimit(false);
            chip.SetDither(options.dither);
            chip.SetRowRange(top, bottom);
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
