#include "ExportGeometry.h"

#include <algorithm>
#include <cmath>

namespace polyvane {

std::array<float, 3> ExportPosition(const WorkPrimitive& p, int k) {
    return {static_cast<float>(p.x[k] * kExportScale), static_cast<float>(-p.y[k] * kExportScale),
            static_cast<float>(-p.z[k] * kExportScale)};
}

std::array<float, 3> ExportNormal(const WorkPrimitive& p, int k) {
    const int at = (p.attr & PA_GOURAUD) ? k : 0;
    double x = p.nx[at], y = p.ny[at], z = p.nz[at];
    double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length)) {
        x = p.fnx, y = p.fny, z = p.fnz;
        length = std::sqrt(x * x + y * y + z * z);
    }
    if (!(length > 0.0) || !std::isfinite(length)) {
        // Neither normal filled in (an unlit primitive as read): the face's own, turned as the
        // editor turns it.
        const auto face = FaceCross(p);
        x = face[0], y = face[1], z = face[2];
        length = std::sqrt(x * x + y * y + z * z);
    }
    if (!(length > 0.0) || !std::isfinite(length))
        return {0.0f, 1.0f, 0.0f}; // a degenerate face: any unit vector will do
    return {static_cast<float>(x / length), static_cast<float>(-y / length), static_cast<float>(-z / length)};
}

std::array<float, 2> ExportUv(const WorkPrimitive& p, int k) {
    return {(p.u[k] + 0.5f) / kPageTexels, (p.v[k] + 0.5f) / kPageTexels};
}

int ColourCount(const WorkPrimitive& p) {
    const int n = VertexCount(p);
    if (p.attr & PA_LIGHT)
        return (p.attr & PA_TEXTURED) ? 0 : (p.attr & PA_GRADATION) ? n : 1;
    return (p.attr & (PA_GOURAUD | PA_GRADATION)) ? n : 1;
}

MaterialKey MaterialOf(const WorkPrimitive& p, const std::map<TextureKey, int>& textures) {
    MaterialKey key;
    if (p.attr & PA_TEXTURED) {
        const auto found = textures.find(KeyOf(p));
        if (found != textures.end())
            key.texture = found->second;
    }
    key.doubleSided = p.attr & PA_DOUBLE;
    key.unlit = !(p.attr & PA_LIGHT);
    key.translucent = p.attr & PA_TRANSLUCENT;
    const int colours = ColourCount(p);
    bool differ = false;
    for (int k = 1; k < colours; ++k)
        differ |= (p.colour[k] & 0xFFFFFF) != (p.colour[0] & 0xFFFFFF);
    key.vertexColours = differ;
    // A lit textured primitive has no colour: its texels show as they are.
    key.colour = colours == 0 ? (key.texture >= 0 ? 0x808080u : 0xFFFFFFu) : (p.colour[0] & 0xFFFFFF);
    if (key.vertexColours)
        key.colour = 0;
    return key;
}

std::array<float, 3> ColourFactor(std::uint32_t colour, bool textured) {
    const float divisor = textured ? 128.0f : 255.0f;
    auto channel = [&](int shift) { return std::min(1.0f, float((colour >> shift) & 0xFF) / divisor); };
    return {channel(0), channel(8), channel(16)};
}

} // namespace polyvane
