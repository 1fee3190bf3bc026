#include "TimViewLayout.h"

#include "model/CPolyvaneDoc.h"

#include <algorithm>
#include <cstdlib>

namespace polyvane {

CPoint CornerZeroFrameBufferPoint(const WorkPrimitive& prim) {
    const CPoint page = TexturePageOrigin(prim.tpage);
    return CPoint{page.x + prim.u[0] / TexelsPerUnit(prim.pmode), page.y + prim.v[0]};
}

const TimImage* FindTimCovering(const TimList& list, CPoint point) {
    const auto it = std::find_if(list.begin(), list.end(), [point](const TimImage& t) {
        return t.imageX <= point.x && point.x < t.imageX + t.imageWidth && t.imageY <= point.y &&
               point.y < t.imageY + t.imageHeight;
    });
    return it == list.end() ? nullptr : &*it;
}

const TimImage* FindPrimitiveTim(const TimList& list, const WorkPrimitive& prim) {
    return FindTimCovering(list, CornerZeroFrameBufferPoint(prim));
}

CPoint TextureOffset(const WorkPrimitive& prim, const TimImage* tim) {
    if (!tim)
        return CPoint{};
    const CPoint page = TexturePageOrigin(prim.tpage);
    return CPoint{(tim->imageX - page.x) * TexelsPerUnit(prim.pmode), tim->imageY - page.y};
}

CSize ScaledTextureSize(const TimImage& tim, int scale) {
    return CSize{static_cast<std::int32_t>(tim.DisplayWidth()) * scale,
                 std::int32_t{tim.imageHeight} * scale};
}

CPoint CornerViewPoint(const WorkPrimitive& prim, int corner, int scale, CPoint offset) {
    return CPoint{(prim.u[corner] - offset.x) * scale + scale / 2,
                  (prim.v[corner] - offset.y) * scale + scale / 2};
}

CornerOrder OutlineOrder(const WorkPrimitive& prim) {
    if (prim.attr & PA_QUAD)
        return CornerOrder{{0, 1, 3, 2}, 4};
    return CornerOrder{{0, 1, 2, 0}, 3};
}

int HitCorner(const WorkPrimitive& prim, CPoint point, int scale, CPoint offset) {
    const int texelX = point.x / scale + offset.x, texelY = point.y / scale + offset.y;
    int picked = -1;
    for (int i = 0; i < VertexCount(prim); ++i)
        if (std::abs(texelX - prim.u[i]) < scale + 1 && std::abs(texelY - prim.v[i]) < scale + 1)
            picked = i;
    return picked;
}

namespace {
// Division rounding down, so that a point left of or above the view is outside the texture too.
int FloorDiv(int value, int divisor) {
    return value / divisor - (value % divisor != 0 && (value < 0) != (divisor < 0) ? 1 : 0);
}
} // namespace

bool MoveCorner(WorkPrimitive& prim, int corner, CPoint point, int scale, CPoint offset) {
    // A drag past the view's edge holds the corner at the page's edge rather than wrapping round.
    const auto u = static_cast<std::uint8_t>(std::clamp(FloorDiv(point.x, scale) + offset.x, 0, 255));
    const auto v = static_cast<std::uint8_t>(std::clamp(FloorDiv(point.y, scale) + offset.y, 0, 255));
    const bool changed = prim.u[corner] != u || prim.v[corner] != v;
    prim.u[corner] = u;
    prim.v[corner] = v;
    return changed;
}

bool MoveOutline(WorkPrimitive& prim, CPoint from, CPoint to, int scale) {
    const int du = (to.x - from.x) / scale, dv = (to.y - from.y) / scale;
    for (int i = 0; i < VertexCount(prim); ++i) {
        prim.u[i] = static_cast<std::uint8_t>(prim.u[i] + du);
        prim.v[i] = static_cast<std::uint8_t>(prim.v[i] + dv);
    }
    // Steps that wrap a whole 256 texels change nothing either.
    return (du & 0xFF) != 0 || (dv & 0xFF) != 0;
}

TimViewScene ComposeTimView(const CPolyvaneDoc& doc, int scale) {
    TimViewScene scene;
    // An object without primitives has no current primitive to show either.
    const WorkPrimitive* prim = doc.CurrentPrimitive();
    if (!prim) {
        scene.status = kTimViewNoObject;
        return scene;
    }
    if (!(prim->attr & PA_TEXTURED)) {
        scene.status = kTimViewNotTextured;
        return scene;
    }
    if (doc.Textures().empty()) {
        scene.status = kTimViewNoTims;
        return scene;
    }
    scene.tim = FindPrimitiveTim(doc.Textures(), *prim);
    if (!scene.tim) {
        scene.status = kTimViewNoTimFound;
        return scene;
    }
    scene.size = ScaledTextureSize(*scene.tim, scale);
    scene.offset = TextureOffset(*prim, scene.tim);
    const CornerOrder order = OutlineOrder(*prim);
    scene.outlineCount = order.count;
    for (int k = 0; k < order.count; ++k)
        scene.outline[static_cast<std::size_t>(k)] =
            CornerViewPoint(*prim, order.corners[static_cast<std::size_t>(k)], scale, scene.offset);
    return scene;
}

} // namespace polyvane
