#pragma once
// Rasterisation into a block of 32-bit pixels, for the software surface and for painting straight
// into an image. Pixel values are written as given: the caller converts colours to its format.
// Polygons fill the pixels whose centres lie inside by the alternate rule; lines follow Bresenham's
// walk; everything is clipped to the block.
#include "Geometry.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace polyvane {

// Whether the outline turns one way only and so crosses every row at most twice (three or four
// points; longer outlines and coordinates beyond 2^30 answer false).
[[nodiscard]] bool IsConvexOutline(std::span<const CPoint> points);

class PixelRaster {
  public:
    // `stride` is the distance between rows in pixels.
    PixelRaster(std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::ptrdiff_t stride)
        : m_pixels(pixels), m_width(width), m_height(height), m_stride(stride), m_bottom(height) {}

    // Draws only on rows top <= y < bottom from now on; each pixel drawn is the one drawing on the
    // whole block would give, so that rasters over different rows of one block can draw at once.
    void SetRows(std::int32_t top, std::int32_t bottom);

    void FillPolygon(std::span<const CPoint> points, std::uint32_t value);
    // The closed outline through the points.
    void StrokePolygon(std::span<const CPoint> points, std::uint32_t value, std::int32_t width, bool dashed);
    // A line; its end point is painted only when `includeLast` is set. `dashPhase` carries the
    // position in the dash pattern (18 pixels on, 6 off) from one segment to the next.
    void StrokeLine(CPoint from, CPoint to, std::uint32_t value, std::int32_t width, bool dashed,
                    bool includeLast, std::int64_t& dashPhase);
    void FillRect(CRect rect, std::uint32_t value);

    void Plot(std::int64_t x, std::int64_t y, std::uint32_t value) {
        if (x >= 0 && y >= m_top && x < m_width && y < m_bottom)
            m_pixels[static_cast<std::ptrdiff_t>(y) * m_stride + static_cast<std::ptrdiff_t>(x)] = value;
    }

    static constexpr std::int64_t kDashOn = 18;
    static constexpr std::int64_t kDashOff = 6;

  private:
    void PlotWide(std::int64_t x, std::int64_t y, std::uint32_t value, std::int32_t width);

    std::uint32_t* m_pixels;
    std::int32_t m_width;
    std::int32_t m_height;
    std::ptrdiff_t m_stride;
    std::int32_t m_top = 0;
    std::int32_t m_bottom;
};

} // namespace polyvane
