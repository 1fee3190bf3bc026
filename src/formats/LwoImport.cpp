// Importing a LightWave LWOB object: its points, surfaces and polygons become a one-object model,
// polygons of more than four points cut into triangles. Every chunk, sub-chunk, name and polygon is read
// inside the bytes the file has.
#include "LwoImport.h"
#include "PolygonTriangulation.h"

#include "TmdFormat.h"
#include "platform/ByteReader.h"

#include <bit>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <vector>

namespace polyvane {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kMaxSurfaceName = 48;
constexpr std::uint32_t kDefaultColour = 0x808080;
constexpr std::size_t kPointSize = 12;

bool HasId(Bytes id, const char* wanted) {
    return std::memcmp(id.data(), wanted, 4) == 0;
}

// Calls `visit(id, body)` for each chunk in order until it returns true. Chunk lengths are 32 bits
// (sub-chunks of a surface: 16 bits). The walk ends at a chunk that claims more bytes than remain.
template <bool kSubChunks, typename Visit> void WalkChunks(Bytes data, Visit visit) {
    constexpr std::size_t kHeader = kSubChunks ? 6 : 8;
    ByteReader r(data);
    while (r.remaining() >= kHeader) {
        const Bytes id = *r.take(4);
        std::uint32_t length = 0;
        if constexpr (kSubChunks) {
            std::uint16_t shortLength = 0;
            (void)r.readU16BE(shortLength);
            length = shortLength;
        } else {
            (void)r.readU32BE(length);
        }
        const auto body = r.take(length);
        if (!body || visit(id, *body))
            return;
    }
}

template <bool kSubChunks> std::optional<Bytes> FindChunk(Bytes data, const char* wanted) {
    std::optional<Bytes> found;
    WalkChunks<kSubChunks>(data, [&](Bytes id, Bytes body) {
        if (HasId(id, wanted))
            found = body;
        return found.has_value();
    });
    return found;
}

// A name ends at its first zero byte or at the end of the data; the zero bytes after it are skipped.
Bytes ReadName(Bytes data, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < data.size() && data[pos] != 0)
        ++pos;
    const Bytes name = data.subspan(start, pos - start);
    while (pos < data.size() && data[pos] == 0)
        ++pos;
    return name;
}

// The surface listed under `name`, from the first SURF chunk whose name is exactly the same bytes.
LwoSurface MakeSurface(Bytes data, Bytes name) {
    LwoSurface surface;
    surface.attr = PA_LIGHT;
    for (auto& colour : surface.colour)
        colour = kDefaultColour;
    surface.name.assign(reinterpret_cast<const char*>(name.data()), std::min(name.size(), kMaxSurfaceName));
    WalkChunks<false>(data, [&](Bytes id, Bytes body) {
        if (!HasId(id, "SURF"))
            return false;
        std::size_t pos = 0;
        const Bytes surfName = ReadName(body, pos);
        if (surfName.size() != name.size() || !std::equal(name.begin(), name.end(), surfName.begin()))
            return false;
        const Bytes rest = body.subspan(pos);
        if (auto colr = FindChunk<true>(rest, "COLR"); colr && colr->size() >= 3) {
            // Gradation is never set on import, so every slot carries the one surface colour.
            const std::uint32_t colour = (*colr)[0] | ((*colr)[1] << 8) | ((*colr)[2] << 16);
            for (auto& slot : surface.colour)
                slot = colour;
        }
        if (auto flag = FindChunk<true>(rest, "FLAG"); flag && flag->size() >= 2) {
            const std::uint16_t bits = LoadU16BE(flag->data());
            if (bits & 0x0004)
                surface.attr = PA_LIGHT | PA_GOURAUD;
            if (bits & 0x0100)
                surface.attr |= PA_DOUBLE;
        }
        return true;
    });
    return surface;
}

struct Polygon {
    std::uint16_t count = 0;
    Bytes indices;
    std::int16_t surface = 0;
};

// Steps to the next polygon of the POLS data. The vertex count is unsigned, so the walk only moves
// forward; a polygon cut short by the end of the data ends it. A negative surface number announces
// detail polygons: their count is stepped over and they follow as ordinary polygons.
bool NextPolygon(ByteReader& r, Polygon& p) {
    std::uint16_t surface = 0;
    if (!r.readU16BE(p.count))
        return false;
    const auto indices = r.take(std::size_t{p.count} * 2);
    if (!indices || !r.readU16BE(surface))
        return false;
    p.indices = *indices;
    p.surface = static_cast<std::int16_t>(surface);
    std::uint16_t details = 0;
    return p.surface >= 0 || r.readU16BE(details);
}

// Polygons of three or more points that all exist become primitives; the rest are skipped.
bool Imported(const Polygon& p, std::uint32_t points) {
    if (p.count < 3)
        return false;
    for (std::size_t j = 0; j < p.count; ++j)
        if (LoadU16BE(p.indices.data() + 2 * j) >= points)
            return false;
    return true;
}

// How many primitives a polygon becomes: itself up to a quadrilateral, else n - 2 triangles.
std::uint32_t PrimitivesOf(const Polygon& p) {
    return p.count <= 4 ? 1u : p.count - 2u;
}

// Polygons with more points than this are cut as a fan: ear clipping takes cubic time in the worst
// case, which a hostile file must not be able to ask for.
constexpr std::uint16_t kMaxClippedPoints = 256;

struct Importer {
    Bytes pnts;
    double scale;
    const std::vector<const LwoSurface*>& surfaces;

    [[nodiscard]] double Coordinate(std::uint16_t point, int axis) const {
        const std::uint8_t* at = pnts.data() + kPointSize * point + 4 * static_cast<std::size_t>(axis);
        return static_cast<double>(std::bit_cast<float>(LoadU32BE(at)));
    }

    // One record from `n` (3 or 4) of the file's point numbers, with the polygon's surface.
    void Fill(WorkPrimitive& w, const std::uint16_t* point, int n, std::int16_t surface) const {
        w = WorkPrimitive{};
        for (int j = 0; j < n; ++j) {
            // Corners run against the file's order; a quadrilateral's last two then change places.
            int corner = n - 1 - j;
            if (n == 4 && corner >= 2)
                corner = 5 - corner;
            w.x[corner] = Coordinate(point[j], 0) * scale;
            w.y[corner] = Coordinate(point[j], 1) * scale;
            w.z[corner] = Coordinate(point[j], 2) * scale;
        }
        std::memcpy(w.u, kUntexturedU, 4);
        std::memcpy(w.v, kUntexturedV, 4);
        for (auto& colour : w.colour)
            colour = kDefaultColour;
        w.attr = n == 4 ? PA_QUAD : 0;
        const int number = surface < 0 ? -surface : surface;
        const std::size_t slot = number <= 1 ? 0 : static_cast<std::size_t>(number - 1);
        if (slot < surfaces.size()) {
            const LwoSurface& s = *surfaces[slot];
            w.attr = static_cast<std::uint16_t>((s.attr & ~PA_QUAD) | (w.attr & PA_QUAD));
            std::memcpy(w.colour, s.colour, sizeof w.colour);
            w.style = number;
        }
    }

    // The polygon's records from `out` on; returns the record after them.
    WorkPrimitive* Add(const Polygon& p, WorkPrimitive* out) const {
        std::vector<std::uint16_t> point(p.count);
        for (std::size_t j = 0; j < p.count; ++j)
            point[j] = LoadU16BE(p.indices.data() + 2 * j);
        if (p.count <= 4) {
            Fill(*out, point.data(), p.count, p.surface);
            return out + 1;
        }
        std::vector<std::uint32_t> triangles;
        if (p.count <= kMaxClippedPoints) {
            std::vector<double> xyz;
            xyz.reserve(3 * std::size_t{p.count});
            for (const std::uint16_t q : point)
                xyz.insert(xyz.end(), {Coordinate(q, 0), Coordinate(q, 1), Coordinate(q, 2)});
            triangles = TriangulatePolygon(xyz);
        } else {
            for (std::uint32_t j = 1; j + 1 < p.count; ++j)
                triangles.insert(triangles.end(), {0, j, j + 1});
        }
        for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
            const std::uint16_t corners[3] = {point[triangles[t]], point[triangles[t + 1]],
                                              point[triangles[t + 2]]};
            Fill(*out++, corners, 3, p.surface);
        }
        return out;
    }
};

} // namespace

const char* LwoErrorText(LwoError error) {
    switch (error) {
    case LwoError::truncatedHeader:
        return "The file is shorter than an IFF header";
    case LwoError::notIff:
        return "Not an IFF file";
    case LwoError::notLwob:
        return "Not an LWOB object file";
    case LwoError::unreadable:
        return "Could not read file";
    case LwoError::noPoints:
        return "No PNTS chunk";
    case LwoError::noRecordMemory:
        return "Insufficient memory for POLS";
    }
    return "Unknown LWOB error";
}

Result<LwoObject, LwoError> ImportLwo(std::span<const std::uint8_t> file, double scale) {
    constexpr std::size_t kFormHeader = 12;
    if (file.size() < kFormHeader)
        return LwoError::truncatedHeader;
    const std::uint8_t* head = file.data();
    if (std::memcmp(head, "FORM", 4) != 0)
        return LwoError::notIff;
    if (std::memcmp(head + 8, "LWOB", 4) != 0)
        return LwoError::notLwob;

    const std::uint32_t formLength = LoadU32BE(head + 4);
    const std::uint64_t wanted = formLength >= 4 ? formLength - 4u : 0u;
    if (wanted > file.size() - kFormHeader)
        return LwoError::unreadable;
    const Bytes data = file.subspan(kFormHeader, static_cast<std::size_t>(wanted));
    LwoObject result;
    std::list<LwoSurface>& surfaceList = result.surfaces;

    const auto pnts = FindChunk<false>(data, "PNTS");
    if (!pnts)
        return LwoError::noPoints;
    const auto points = static_cast<std::uint32_t>(pnts->size() / kPointSize);

    if (const auto srfs = FindChunk<false>(data, "SRFS")) {
        std::size_t pos = 0;
        while (pos < srfs->size())
            surfaceList.push_back(MakeSurface(data, ReadName(*srfs, pos)));
    }
    std::vector<const LwoSurface*> surfaces;
    for (const LwoSurface& s : surfaceList)
        surfaces.push_back(&s);

    // A file without polygons imports its points as an object without primitives.
    const Bytes pols = FindChunk<false>(data, "POLS").value_or(Bytes{});
    std::uint64_t count = 0;
    {
        ByteReader r(pols);
        Polygon p;
        while (NextPolygon(r, p))
            count += Imported(p, points) ? PrimitivesOf(p) : 0;
    }
    // A POLS chunk holds fewer than 2^31 polygon points, so the count fits its 32-bit field.
    std::unique_ptr<WorkPrimitive[]> records(new (std::nothrow) WorkPrimitive[count]);
    if (!records)
        return LwoError::noRecordMemory;

    const Importer importer{*pnts, scale, surfaces};
    ByteReader r(pols);
    Polygon p;
    WorkPrimitive* out = records.get();
    while (NextPolygon(r, p))
        if (Imported(p, points))
            out = importer.Add(p, out);
    result.model.header = TmdHeader{kTmdId, 0, 1};
    TmdModelObject& object = result.model.objects.emplace_back();
    object.entry.n_vert = points;
    object.entry.n_primitive = static_cast<std::uint32_t>(count);
    object.records = std::move(records);
    return result;
}

} // namespace polyvane
