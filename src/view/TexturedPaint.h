#pragma once
// The selected object drawn as the console's graphics chip would: each projected primitive, back to
// front, filled by the chip's rasteriser from the document's frame-buffer memory into a 15-bit
// picture, lit by a light model like the console's geometry unit.
#include "formats/TmdPackets.h"
#include "formats/TmdTypes.h"
#include "gpu/FrameBuffer.h"
#include "gpu/GpuRasteriser.h"
#include "model/Projection.h"

#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

// Ambient light plus directional lights, over unit normals in model coordinates. A lit channel c
// becomes min(255, c x (ambient + sum of intensity x max(0, N . D))), D pointing toward the light.
struct LightModel {
    struct Directional {
        double x = 0.0, y = 0.0, z = 0.0;
        double intensity = 0.0;
    };
    double ambient = 0.25;
    // By default one light from above, in front and to the left (the model's y grows downward and
    // it faces -z), so a cube shows three different shades.
    std::vector<Directional> lights = DefaultLights();

    [[nodiscard]] static std::vector<Directional> DefaultLights();

    // The light factor for a normal; a zero normal gets the ambient only.
    [[nodiscard]] double Factor(double nx, double ny, double nz) const;
};

struct TexturedPaintOptions {
    std::uint16_t background = 0x7FFF; // a 15-bit word
    bool dither = false;
    LightModel light;
    // How many threads share a paint: 0 lets the painter choose from the processors at hand and
    // the size of the work. The picture is the same whatever the number.
    unsigned threads = 0;
};

// True when a primitive of attributes `attr`, at these screen points (a quad's in outline order 0, 1, 3, 2),
// faces away from the viewer and is single-sided.
[[nodiscard]] bool IsCulled(std::uint16_t attr, const std::array<ScreenPoint, 4>& screen);

// Draws records as a projection places them, back to front, into a 15-bit picture. It keeps the
// primitives' drawing state between paints, so that a view painting again reuses its storage.
class TexturedPainter {
  public:
    // Draws `records` as `projected` places them into `picture` (width x height 15-bit words, row
    // after row), which is first cleared to the background. Nothing is drawn when the projection is
    // not of these records. The object's kept lines and sprites, as `packetScreens` places them, are
    // drawn among the records by depth: lines as the chip draws them, sprites as their texture
    // rectangles centred on their vertex.
    void Paint(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
               const FrameBuffer& textures, std::span<std::uint16_t> picture, int width, int height,
               const TexturedPaintOptions& options, std::span<const KeptPacket> packets = {},
               std::span<const ProjectedPacket> packetScreens = {});

  private:
    // What the chip is given for one record: its corners in the packet's order, and how it is
    // drawn, in one cache line. The rows it covers are kept apart.
    enum class ItemKind : std::uint8_t { polygon, line, sprite };
    enum ItemFlag : std::uint8_t {
        kGouraud = 1,
        kTextured = 2,
        kRaw = 4,
        kSemi = 8,
        kQuad = 16,
    };
    struct alignas(64) Item {
        // A polygon's corners; a line's two ends; a sprite's top-left corner with its texture
        // coordinate, then its width and height as corner 1's x and y.
        std::int32_t x[4], y[4];
        GpuColour colour[4];
        std::uint8_t u[4], v[4];
        std::uint16_t clutX, clutY;
        std::uint8_t abr, tpage, pmode;
        std::uint8_t flags; // ItemFlag bits
        ItemKind kind;
    };
    static_assert(sizeof(Item) == 64);
    struct Rows {
        std::int32_t top, bottom; // the rows it may cover, top <= y < bottom
    };
    // Draws one item, its corners and mode unpacked for the chip.
    static void DrawItem(GpuRasteriser& chip, const Item& item);
    // Records from..to that the drawing order places, each made its item with its screen points,
    // read and written in the records' own order. A culled primitive's item keeps no rows. The work
    // of drawing each item is estimated on the rows of the width x height picture it covers, and
    // added to `rowWork` as differences from row to row (height + 1 entries).
    void PlaceItems(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
                    std::size_t from, std::size_t to, const LightModel& light, int width, int height,
                    std::int64_t* rowWork);
    // Cuts the picture's rows into `shares` runs of about equal work, from the placing parts' row
    // work: share s draws rows m_split[s] <= y < m_split[s + 1].
    void SplitRows(int height, unsigned shares, unsigned placers);
    // Places from..to in the drawing order: each goes to the bin of every share whose rows its item
    // touches, `bins[share]`.
    void BinItems(const ProjectedObject& projected, std::size_t from, std::size_t to, int height,
                  unsigned shares, std::vector<std::uint32_t>* bins) const;
    // Draws the items binned to the chip's share, in drawing order.
    void DrawShare(GpuRasteriser& chip, unsigned share, unsigned parts) const;
    // Places the kept lines and sprites among the drawing list by depth, farthest first; a packet
    // goes after the records of its own depth.
    void PlacePackets(const ProjectedObject& projected, std::span<const KeptPacket> packets,
                      std::span<const ProjectedPacket> screens);
    // Draws the whole drawing list, polygons, lines and sprites, on the rows of the chip's share.
    void DrawListShare(GpuRasteriser& chip) const;

    // The item and the rows it covers at each place in the drawing order; no rows when nothing is
    // drawn. Written by record, they are read in drawing order, one line after the next.
    std::vector<Item> m_items;
    std::vector<Rows> m_rows;
    // Each record's position in the drawing order, or kUnplaced.
    std::vector<std::uint32_t> m_position;
    // For each placing part, for each share of rows, the places whose items it touches, in drawing
    // order: the parts' runs of the order follow one another, so their bins read in turn keep it.
    std::vector<std::vector<std::uint32_t>> m_bins;
    // Each placing part's estimate of the drawing work by row, as differences from row to row.
    std::vector<std::vector<std::int64_t>> m_rowWork;
    // The rows of each share, share s drawing m_split[s] <= y < m_split[s + 1]; and the share of each row.
    std::vector<int> m_split;
    std::vector<std::uint32_t> m_shareOfRow;
    // With kept lines and sprites: every item in drawing order, and the rows of each.
    std::vector<Item> m_drawList;
    std::vector<Rows> m_listRows;
    std::vector<Item> m_packetItems;
    std::vector<Rows> m_packetRows;
    std::vector<std::int32_t> m_packetDepths;
    // Each drawing thread's fetched texels, kept between paints for their storage.
    std::vector<TexelCache> m_texelCaches;
};

// The same, with storage of its own.
void PaintTextured(std::span<const WorkPrimitive> records, const ProjectedObject& projected,
                   const FrameBuffer& textures, std::span<std::uint16_t> picture, int width, int height,
                   const TexturedPaintOptions& options);

} // namespace polyvane
