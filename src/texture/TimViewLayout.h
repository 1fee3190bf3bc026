#pragma once
// What the texture view shows and how the mouse maps onto it, apart from painting: the search for
// the texture a primitive uses, where the texture and the primitive's texture outline are placed
// at a magnification, which corner a press picks and how a drag changes u and v.
//
// The view draws the found texture's first texel at logical (0, 0). Texture coordinates count
// texels from the texture page's origin, so a texture that starts elsewhere in its page is offset:
// drawing and the mouse apply the same offset, and the corner under the mouse is the one that moves.
#include "formats/FrameBufferLayout.h"
#include "formats/TimList.h"
#include "formats/TmdTypes.h"
#include "platform/Geometry.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace polyvane {

class CPolyvaneDoc;

// Status texts shown in place of a texture.
inline constexpr std::string_view kTimViewNoObject = "No Object";
inline constexpr std::string_view kTimViewNotTextured = "Not Textured";
inline constexpr std::string_view kTimViewNoTims = "No TIM's loaded";
inline constexpr std::string_view kTimViewNoTimFound = "No TIM found";

// Frame-buffer origin of texture page `tpage`.
[[nodiscard]] constexpr CPoint TexturePageOrigin(std::uint8_t tpage) {
    return CPoint{TexturePageX(tpage), TexturePageY(tpage)};
}

// The frame-buffer point of corner 0's texel.
[[nodiscard]] CPoint CornerZeroFrameBufferPoint(const WorkPrimitive& prim);

// The first texture, from the head of the list, whose image covers frame-buffer point `point`;
// null when none does.
[[nodiscard]] const TimImage* FindTimCovering(const TimList& list, CPoint point);

// The texture that `prim` uses: the first one covering its corner 0's texel; null when none does.
[[nodiscard]] const TimImage* FindPrimitiveTim(const TimList& list, const WorkPrimitive& prim);

// Texels from the page origin of `prim` to the first texel of `tim`; (0, 0) without a texture.
[[nodiscard]] CPoint TextureOffset(const WorkPrimitive& prim, const TimImage* tim);

// A texture's size in view pixels at `scale`: its picture's width and height times the scale.
[[nodiscard]] CSize ScaledTextureSize(const TimImage& tim, int scale);

// The view point of corner `corner`: the centre of its texel at `scale`, shifted by `offset` texels.
[[nodiscard]] CPoint CornerViewPoint(const WorkPrimitive& prim, int corner, int scale, CPoint offset);

// Corners in the order the outline joins them: 0, 1, 3, 2 for a quad, 0, 1, 2 for a triangle. The
// corner at position k is labelled k + 1.
struct CornerOrder {
    std::array<int, 4> corners{};
    int count = 0;
};
[[nodiscard]] CornerOrder OutlineOrder(const WorkPrimitive& prim);

// The corner a press at logical point `point` picks: the last corner whose texel lies fewer than
// scale + 1 texels from the pressed texel on both axes; -1 when none does.
[[nodiscard]] int HitCorner(const WorkPrimitive& prim, CPoint point, int scale, CPoint offset);

// Moves corner `corner` to the texel under `point`, held within the page (0 to 255). True when u or v
// changed.
bool MoveCorner(WorkPrimitive& prim, int corner, CPoint point, int scale, CPoint offset);

// Moves every corner by the whole texels between `from` and `to`, wrapping in 8 bits. True when
// anything changed.
bool MoveOutline(WorkPrimitive& prim, CPoint from, CPoint to, int scale);

// What one paint of the texture view shows: a status text alone, or a texture with the current
// primitive's outline.
struct TimViewScene {
    std::string_view status; // non-empty: only this text, at (0, 0)
    const TimImage* tim = nullptr;
    CSize size;                      // the texture at the view's scale
    CPoint offset;                   // see TextureOffset
    std::array<CPoint, 4> outline{}; // corner points in outline order
    int outlineCount = 0;
};
[[nodiscard]] TimViewScene ComposeTimView(const CPolyvaneDoc& doc, int scale);

} // namespace polyvane
