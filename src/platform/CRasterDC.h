#pragma once
// A drawing surface that paints into memory, standard library only: lines (solid or dashed),
// polygons filled by the alternate rule, text in the built-in bitmap font, rectangles and bitmaps.
// The headless tools use it to make images of views.
#include "CDC.h"
#include "PixelRaster.h"

#include <cstdint>
#include <vector>

namespace polyvane {

class CRasterDC final : public CDC {
  public:
    // A width x height surface (its client rectangle) cleared to `background`.
    CRasterDC(std::int32_t width, std::int32_t height, COLORREF background = RGB(255, 255, 255));

    [[nodiscard]] std::int32_t Width() const { return m_width; }
    [[nodiscard]] std::int32_t Height() const { return m_height; }
    // 0x00BBGGRR; white outside the surface.
    [[nodiscard]] COLORREF GetPixel(std::int32_t x, std::int32_t y) const;
    // Row after row from the top, one 0x00BBGGRR value per pixel.
    [[nodiscard]] const std::vector<COLORREF>& Pixels() const { return m_pixels; }

  protected:
    void RenderLine(CPoint from, CPoint to, const Pen& pen) override;
    void RenderPolygon(std::span<const CPoint> points, const Pen& pen, const Brush& brush) override;
    void RenderPolygons(std::span<const std::array<CPoint, 4>> outlines, std::span<const std::uint8_t> counts,
                        const Pen& pen, const Brush& brush) override;
    void RenderText(CPoint topLeft, std::string_view text, const TextStyle& style) override;
    void RenderFill(CRect rect, COLORREF colour) override;
    void RenderBitmap(const StretchedBitmap& bitmap) override;

  private:
    [[nodiscard]] CRect Clip(CRect r) const;

    std::int32_t m_width;
    std::int32_t m_height;
    std::vector<COLORREF> m_pixels;
    PixelRaster m_raster;
};

} // namespace polyvane
