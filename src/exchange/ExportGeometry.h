#pragma once
// What glTF and OBJ export share: the change of axes and scale, normals, texture coordinates and the
// material each primitive needs.
#include "PageTextures.h"
#include "formats/RecordGeometry.h"
#include "formats/TmdTypes.h"

#include <array>
#include <compare>
#include <cstdint>
#include <map>

namespace polyvane {

// One model unit is 1/1024 of an exported unit (a metre in glTF), so a model 4096 units across is
// four metres across. The console's Y points down and its Z away from the viewer; exported files
// have Y up and Z towards the viewer, so both axes turn over (a half turn about X, which keeps the
// handedness, and turns the console's clockwise front faces into the counter-clockwise ones).
inline constexpr double kExportScale = 1.0 / 1024.0;

[[nodiscard]] std::array<float, 3> ExportPosition(const WorkPrimitive& p, int k);
// The corner's normal of unit length in exported axes: the vertex normal for Gouraud shading, else
// the first (the face's); the face normal when the record's is zero, computed from the corners
// when that is zero too.
[[nodiscard]] std::array<float, 3> ExportNormal(const WorkPrimitive& p, int k);
// Texel centre of (u, v) in a page picture, 0..1 across and down.
[[nodiscard]] std::array<float, 2> ExportUv(const WorkPrimitive& p, int k);

// Colours the primitive has: 0 (lit textured), 1, or one per corner.
[[nodiscard]] int ColourCount(const WorkPrimitive& p);

// Corners of a primitive in exported (counter-clockwise) order: a triangle's reversed, a quad's
// strip (0, 1, 3, 2 outline) reversed as an outline.
inline constexpr int kTriangleOrder[3] = {0, 2, 1};
inline constexpr int kQuadOutline[4] = {2, 3, 1, 0};
// The quad as two exported triangles.
inline constexpr int kQuadTriangles[6] = {0, 2, 1, 1, 2, 3};

// What the console does with a primitive, as a material says it.
struct MaterialKey {
    int texture = -1; // index among the loaded textures, -1 for none
    bool doubleSided = false;
    bool unlit = false;
    bool translucent = false;
    bool vertexColours = false;
    std::uint32_t colour = 0x808080; // the flat colour, when there are no vertex colours
    auto operator<=>(const MaterialKey&) const = default;
};

// `textures` maps each loaded texture to its index.
[[nodiscard]] MaterialKey MaterialOf(const WorkPrimitive& p, const std::map<TextureKey, int>& textures);
// Colour factor of a material or vertex colour, 0..1 per channel: an untextured colour as a fraction
// of 255; a textured one modulates the texels by colour / 128, at most 1.
[[nodiscard]] std::array<float, 3> ColourFactor(std::uint32_t colour, bool textured);

} // namespace polyvane
