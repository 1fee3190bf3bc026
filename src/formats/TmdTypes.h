#pragma once
// The records of a TMD model: the file's header, object table entry and vertex, and the document's
// decoded, editable primitive.
#include <cstdint>
#include <type_traits>

namespace polyvane {

struct TmdHeader {
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t nobj = 0;
};

struct TmdObject {
    std::uint32_t vert_top = 0;
    std::uint32_t n_vert = 0;
    std::uint32_t normal_top = 0;
    std::uint32_t n_normal = 0;
    std::uint32_t primitive_top = 0;
    std::uint32_t n_primitive = 0;
    std::int32_t scale = 0;
};

struct TmdVector {
    std::int16_t vx = 0;
    std::int16_t vy = 0;
    std::int16_t vz = 0;
    std::int16_t pad = 0;
};

static_assert(sizeof(TmdHeader) == 12);
static_assert(sizeof(TmdObject) == 28);
static_assert(sizeof(TmdVector) == 8);

constexpr std::uint32_t kTmdId = 0x41;
constexpr std::uint32_t kMaxObjects = 4096;

// Bits of WorkPrimitive::attr.
constexpr std::uint16_t PA_QUAD = 0x01;
constexpr std::uint16_t PA_GOURAUD = 0x02;
constexpr std::uint16_t PA_GRADATION = 0x04;
constexpr std::uint16_t PA_LIGHT = 0x08;
constexpr std::uint16_t PA_DOUBLE = 0x10;
constexpr std::uint16_t PA_TEXTURED = 0x20;
constexpr std::uint16_t PA_TRANSLUCENT = 0x40;
constexpr std::uint16_t PA_BRIGHTNESS = 0x80;

// One primitive, decoded: only what the model holds. Where a view draws it lives in the view.
// Plain data: arrays of these are copied as whole blocks.
struct WorkPrimitive {
    double x[4];
    double y[4];
    double z[4];
    double nx[4];
    double ny[4];
    double nz[4];
    double fnx, fny, fnz;
    std::int16_t ix[4];
    std::int16_t iy[4];
    std::int16_t iz[4];
    std::int16_t inx[4];
    std::int16_t iny[4];
    std::int16_t inz[4];
    std::uint16_t attr;
    std::uint8_t u[4];
    std::uint8_t v[4];
    std::uint32_t colour[4];
    std::uint8_t tpage;
    std::uint8_t pmode;
    std::uint8_t abr;
    std::uint16_t clutX;
    std::uint16_t clutY;
    std::int32_t style;
    // How many of nx.. hold the fixed-point normals (4096 = 1.0) the record was read with, which a
    // save writes back unchanged; 0 when its normals were computed or it came from no TMD file.
    std::uint8_t fileNormals;
};

static_assert(std::is_trivially_copyable_v<WorkPrimitive>);
static_assert(std::is_standard_layout_v<WorkPrimitive>);

// Number of vertices of a record: 4 for a quad, else 3.
constexpr int VertexCount(const WorkPrimitive& p) {
    return (p.attr & PA_QUAD) ? 4 : 3;
}

// Number of normals a record's packet stores: none unlit, one flat-lit, one per corner Gouraud-lit.
constexpr int NormalCount(const WorkPrimitive& p) {
    return !(p.attr & PA_LIGHT) ? 0 : (p.attr & PA_GOURAUD) ? VertexCount(p) : 1;
}

// True when a save writes the normals the record was read with.
constexpr bool KeepsFileNormals(const WorkPrimitive& p) {
    return p.fileNormals > 0 && p.fileNormals >= NormalCount(p);
}

} // namespace polyvane
