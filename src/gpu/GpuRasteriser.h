#pragma once
// The console graphics chip's drawing, as its drawing commands give it: screen-space fills, single
// words, flat rectangles and flat, Gouraud and textured polygons, into a 15-bit target (the
// frame-buffer memory itself, or a picture of any size), sampling textures from a frame-buffer memory.
#include "FrameBuffer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

struct GpuColour {
    std::uint8_t r = 0, g = 0, b = 0;
};

// One polygon corner: integer screen position, 8-bit colour, texture coordinate.
struct GpuVertex {
    std::int32_t x = 0, y = 0;
    GpuColour colour;
    std::uint8_t u = 0, v = 0;
};

// How a polygon or rectangle is drawn, as its command and the draw-mode setting say.
struct GpuDrawMode {
    bool gouraud = false;  // colours per corner; otherwise the first corner's colour throughout
    bool textured = false; // sample the texture at (u, v)
    bool raw = false;      // textured without modulation by the colour
    bool semi = false;     // semi-transparent at rate `abr`
    std::uint8_t abr = 0;
    std::uint8_t tpage = 0;
    std::uint8_t pmode = 0;
    std::uint16_t clutX = 0, clutY = 0;
};

// Semi-transparent blend of foreground word `front` over background `back`, per 5-bit channel at
// rate 0 (B + F) / 2, 1 B + F, 2 B - F, 3 B + F / 4, clamped to 0..31; bit 15 is `front`'s.
[[nodiscard]] std::uint16_t BlendWords(std::uint16_t back, std::uint16_t front, std::uint8_t abr);

// A 5-bit texel channel scaled by an 8-bit colour channel, t x c / 128 with 128 leaving it as it is,
// plus the dither offset `offset` at 8-bit precision; clamped to 0..31.
[[nodiscard]] int ModulateChannel(int texel5, int colour8, int offset);

// The chip's 4 x 4 ordered-dither offset, in 8-bit steps, for the pixel at (x, y).
[[nodiscard]] int DitherOffset(int x, int y);

// Texels of the 4- and 8-bit pages a drawer uses most, each fetched once into a plane of 256 x 256
// words, v after v, so that a pixel reads its texel with one load instead of a word and then its
// colour-table entry. Valid only while the memory the texels come from does not change: a drawer
// that writes into that memory must not use one.
class TexelCache {
  public:
    // Forgets every plane: the memory may have changed since.
    void Reset();
    // The plane of this page, colour mode and table, once the drawer has asked for it often enough
    // that fetching all its texels costs less than fetching them pixel by pixel; null until then.
    [[nodiscard]] const std::uint16_t* Plane(const FrameBuffer& memory, std::uint8_t tpage,
                                             std::uint8_t pmode, std::uint16_t clutX, std::uint16_t clutY);

  private:
    // Triangles of one page and table before its plane is fetched: a plane is 65,536 texels, a
    // small triangle some tens of pixels.
    static constexpr std::uint32_t kAsksBeforeFetch = 256;
    static constexpr std::size_t kSlots = 8;
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t asks = 0;
        bool fetched = false;
        std::vector<std::uint16_t> texels;
    };
    Slot m_slots[kSlots];
    std::size_t m_used = 0;
    Slot* m_last = nullptr;
};

class GpuRasteriser {
  public:
    // Draws into `target` (width x height words, row after row), reading textures from `textures`,
    // which may be the memory being drawn into.
    GpuRasteriser(std::span<std::uint16_t> target, int width, int height, const FrameBuffer& textures);
    // Draws into the memory itself; the drawing area is the whole memory.
    explicit GpuRasteriser(FrameBuffer& memory);

    // Ordered dither for Gouraud-shaded and modulated-texture pixels from now on.
    void SetDither(bool on) { m_dither = on; }
    // The chip refuses polygons wider than 1023 or taller than 511 pixels; a picture of a model
    // wants every polygon, however close to the eye.
    void SetSizeLimit(bool on) { m_sizeLimit = on; }
    // Textured polygons read their texels through `cache` from now on, null for none. Only for a
    // target that is not the memory the textures are read from.
    void SetTexelCache(TexelCache* cache) { m_texelCache = cache; }
    // Draws polygons, lines and sprites only on rows top <= y < bottom of the target. Drawers of rows
    // that do not overlap can draw into one target at once, and together draw what one drawer alone
    // would.
    void SetRowRange(int top, int bottom);
    // Whether any row top <= y <= bottom falls in the target and in this drawer's rows.
    [[nodiscard]] bool SharesRows(std::int64_t top, std::int64_t bottom) const;

    // A fill command: x rounded down and the width up to 16 words, wrapping at the target's edges;
    // no blending, no dither, bit 15 clear.
    void Fill(int x, int y, int width, int height, GpuColour colour);
    void Put(int x, int y, std::uint16_t word);
    // A flat rectangle (tile): no dither, blending when `semi`.
    void Tile(int x, int y, int width, int height, GpuColour colour, bool semi, std::uint8_t abr);
    // A polygon of 3 points, or 4 drawn as the triangles (0, 1, 2) and (1, 2, 3).
    void Polygon(std::span<const GpuVertex> points, const GpuDrawMode& mode);
    void Triangle(const GpuVertex& a, const GpuVertex& b, const GpuVertex& c, const GpuDrawMode& mode);
    // A line from a to b, both ends drawn, one pixel for each step along its longer axis; Gouraud
    // runs from a's colour to b's (dithered when dither is on), semi-transparent at `mode.abr`.
    void Line(const GpuVertex& a, const GpuVertex& b, const GpuDrawMode& mode);
    // A textured rectangle: texel (u + i, v + j) of the mode's page at (x + i, y + j), drawn as it is;
    // the transparent texel leaves the pixel, and only texels with bit 15 blend when `mode.semi`.
    void Sprite(int x, int y, int width, int height, std::uint8_t u, std::uint8_t v, const GpuDrawMode& mode);

  private:
    // Whether row y lies in the target and in this drawer's rows.
    [[nodiscard]] bool OwnsRow(int y) const;
    void Plot(int x, int y, std::uint16_t word, bool blend, std::uint8_t abr);

    std::uint16_t* m_target;
    int m_width;
    int m_height;
    const FrameBuffer& m_textures;
    bool m_dither = false;
    bool m_sizeLimit = true;
    // The rows drawn, inside the target: m_rowTop <= y < m_rowBottom.
    int m_rowTop = 0;
    int m_rowBottom = 0;
    TexelCache* m_texelCache = nullptr;
};

} // namespace polyvane
