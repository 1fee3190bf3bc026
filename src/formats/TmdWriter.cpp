// Writing a model as a TMD file: every object's records encoded as polygon packets and its kept
// packets copied among them, with the vertices and normals they share found again by their values.
#include "FrameBufferLayout.h"
#include "RecordGeometry.h"
#include "TmdCodec.h"
#include "TmdFormat.h"
#include "TmdPackets.h"
#include "platform/ByteReader.h"

#include <array>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

namespace polyvane {

namespace {

// The largest packet (an unlit textured Gouraud quad) and, at most, four vertices and four normals
// of its own: what one primitive can add to the file.
constexpr std::uint64_t kMaxBytesPerPrimitive = 44 + 4 * kTmdVectorSize + 4 * kTmdVectorSize;
// Index halfwords are 16 bits wide.
constexpr std::size_t kMaxTableEntries = 65536;

struct PacketLayout {
    int n;  // vertices
    int nn; // normal indices
    int nc; // colour words
    bool textured;
    std::uint8_t olen, ilen, flag, mode;
};

PacketLayout LayoutOf(std::uint16_t attr) {
    PacketLayout l{};
    const bool light = attr & PA_LIGHT;
    const bool gouraud = attr & PA_GOURAUD;
    const bool gradation = attr & PA_GRADATION;
    l.textured = attr & PA_TEXTURED;
    l.n = (attr & PA_QUAD) ? 4 : 3;
    l.nn = light ? (gouraud ? l.n : 1) : 0;
    // An unlit primitive with gradation writes a colour per vertex even without Gouraud shading:
    // the GRD bit it is written with makes a reader take that many.
    if (light)
        l.nc = l.textured ? 0 : (gradation ? l.n : 1);
    else
        l.nc = (gouraud || gradation) ? l.n : 1;
    l.ilen = static_cast<std::uint8_t>((l.nn + l.n + 1) / 2 + (l.textured ? l.n + l.nc : l.nc));
    l.olen = static_cast<std::uint8_t>(l.textured ? (gouraud ? 3 * l.n : 2 * l.n + 1) : l.n + l.nc);
    l.mode = MODE_POLYGON;
    if (attr & PA_QUAD)
        l.mode |= MODE_QUAD;
    if (gouraud)
        l.mode |= MODE_IIP;
    if (l.textured)
        l.mode |= MODE_TME;
    if (attr & PA_TRANSLUCENT)
        l.mode |= MODE_ABE;
    if (!(attr & (PA_LIGHT | PA_BRIGHTNESS)))
        l.mode |= MODE_TGE;
    l.flag = 0;
    if (gradation)
        l.flag |= FLAG_GRD;
    if (attr & PA_DOUBLE)
        l.flag |= FLAG_FCE;
    if (!light)
        l.flag |= FLAG_LGT;
    return l;
}

std::uint8_t* PutVectors(std::uint8_t* out, const std::vector<TmdVector>& vectors) {
    for (const TmdVector& v : vectors) {
        StoreU16LE(out, static_cast<std::uint16_t>(v.vx));
        StoreU16LE(out + 2, static_cast<std::uint16_t>(v.vy));
        StoreU16LE(out + 4, static_cast<std::uint16_t>(v.vz));
        StoreU16LE(out + 6, 0);
        out += kTmdVectorSize;
    }
    return out;
}

void PutObjectEntry(std::uint8_t* at, const TmdObject& o) {
    StoreU32LE(at, o.vert_top);
    StoreU32LE(at + 4, o.n_vert);
    StoreU32LE(at + 8, o.normal_top);
    StoreU32LE(at + 12, o.n_normal);
    StoreU32LE(at + 16, o.primitive_top);
    StoreU32LE(at + 20, o.n_primitive);
    StoreU32LE(at + 24, static_cast<std::uint32_t>(o.scale));
}

// A record's indices into its object's shared vertex and normal tables.
struct PacketIndices {
    std::array<std::uint16_t, 4> vertex{};
    std::array<std::uint16_t, 4> normal{};
};

// Finds the shared vertices and normals of one object's records and kept packets, in the order the
// packets are written. Fails when memory runs out or a table outgrows what 16-bit indices can reach.
std::optional<TmdWriteError> ShareVerticesAndNormals(const ObjectRef& object,
                                                     std::vector<PacketIndices>& indices,
                                                     std::vector<PacketIndices>& keptIndices,
                                                     TriplePool& vertices, TriplePool& normals) {
    const std::span<const WorkPrimitive> records = object.records;
    const std::size_t count = records.size();
    if (!vertices.Reserve(count * 4 + object.kept.size() * 2))
        return TmdWriteError::noVertexMemory;
    if (!normals.Reserve(count * 4))
        return TmdWriteError::noNormalMemory;
    indices.resize(count);
    keptIndices.resize(object.kept.size());
    std::size_t next = 0;
    auto shareKeptBefore = [&](std::size_t position) {
        for (; next < object.kept.size() && object.kept[next].position <= position; ++next) {
            const KeptPacket& packet = object.kept[next];
            for (int k = 0; k < packet.vertexCount; ++k) {
                const TmdVector& v = packet.vertices[static_cast<std::size_t>(k)];
                keptIndices[next].vertex[static_cast<std::size_t>(k)] =
                    static_cast<std::uint16_t>(vertices.IndexOf(v.vx, v.vy, v.vz));
            }
        }
    };
    for (std::size_t r = 0; r < count; ++r) {
        shareKeptBefore(r);
        const WorkPrimitive& p = records[r];
        const PacketLayout l = LayoutOf(p.attr);
        for (int k = 0; k < l.n; ++k)
            indices[r].vertex[k] = static_cast<std::uint16_t>(vertices.IndexOf(p.ix[k], p.iy[k], p.iz[k]));
        for (int k = 0; k < l.nn; ++k)
            indices[r].normal[k] = static_cast<std::uint16_t>(normals.IndexOf(p.inx[k], p.iny[k], p.inz[k]));
    }
    shareKeptBefore(SIZE_MAX);
    if (vertices.Size() > kMaxTableEntries)
        return TmdWriteError::tooManyVertices;
    if (normals.Size() > kMaxTableEntries)
        return TmdWriteError::tooManyNormals;
    return std::nullopt;
}

// A kept packet as it was read, its vertex indices replaced by those of the written table.
std::uint8_t* WriteKeptPacket(std::uint8_t* out, const KeptPacket& packet, const PacketIndices& indices) {
    std::vector<std::uint32_t> words = packet.words;
    const VertexSlots slots = VertexSlotsOf(packet.header, words.size());
    for (int k = 0; k < slots.count && k < packet.vertexCount; ++k)
        SetIndexAt(words, slots.halfword[static_cast<std::size_t>(k)],
                   indices.vertex[static_cast<std::size_t>(k)]);
    // The header's ilen stays as read: it is the number of words kept.
    StoreU32LE(out, packet.header);
    out += 4;
    for (std::uint32_t word : words) {
        StoreU32LE(out, word);
        out += 4;
    }
    return out;
}

std::uint8_t* WritePacket(std::uint8_t* out, const WorkPrimitive& p, const PacketIndices& indices) {
    const PacketLayout l = LayoutOf(p.attr);
    StoreU32LE(out, l.olen | (std::uint32_t{l.ilen} << 8) | (std::uint32_t{l.flag} << 16) |
                        (std::uint32_t{l.mode} << 24));
    out += 4;
    if (l.textured) {
        const std::uint16_t cba = PackCba(p.clutX, p.clutY);
        const std::uint16_t tsb = PackTsb(p.tpage, p.abr, p.pmode);
        for (int k = 0; k < l.n; ++k) {
            const std::uint32_t upper = k == 0 ? cba : k == 1 ? tsb : 0;
            StoreU32LE(out, p.u[k] | (std::uint32_t{p.v[k]} << 8) | (upper << 16));
            out += 4;
        }
    }
    for (int k = 0; k < l.nc; ++k) {
        const std::uint32_t top = (k == 0 && !l.textured) ? std::uint32_t{l.mode} << 24 : 0;
        StoreU32LE(out, (p.colour[k] & 0x00FFFFFF) | top);
        out += 4;
    }
    int halves = 0;
    int normalsWritten = 0;
    for (int k = 0; k < l.n; ++k) {
        if (normalsWritten < l.nn) {
            StoreU16LE(out, indices.normal[static_cast<std::size_t>(normalsWritten++)]);
            out += 2;
            ++halves;
        }
        StoreU16LE(out, indices.vertex[static_cast<std::size_t>(k)]);
        out += 2;
        ++halves;
    }
    if (halves % 2) {
        StoreU16LE(out, 0);
        out += 2;
    }
    return out;
}

} // namespace

const char* TmdWriteErrorText(TmdWriteError error) {
    switch (error) {
    case TmdWriteError::noMemory:
        return "Not enough memory";
    case TmdWriteError::noVertexMemory:
        return "Not enough memory for verts";
    case TmdWriteError::noNormalMemory:
        return "Not enough memory for norms";
    case TmdWriteError::tooManyVertices:
        return "Too many vertices in object";
    case TmdWriteError::tooManyNormals:
        return "Too many normals in object";
    }
    return "Unknown TMD error";
}

std::size_t PacketSize(std::uint16_t attr) {
    return 4 + 4 * std::size_t{LayoutOf(attr).ilen};
}

Result<TmdBytes, TmdWriteFailure> WriteTmd(const ModelRef& model, SharingMethod method) {
    const auto nobj = static_cast<std::uint32_t>(model.objects.size());
    std::uint64_t size = kTmdHeaderSize + kTmdObjectEntrySize * std::uint64_t{nobj};
    for (const ObjectRef& object : model.objects) {
        size += kMaxBytesPerPrimitive * object.records.size();
        for (const KeptPacket& packet : object.kept)
            size += 4 + 4 * std::uint64_t{packet.words.size()} + 2 * kTmdVectorSize;
    }
    // Offsets in the file are 32-bit; a model that cannot be addressed cannot be written either.
    TmdBytes file;
    if (size - kTmdHeaderSize <= 0xFFFFFFFFu)
        file.data.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size) + 1]);
    if (!file.data)
        return TmdWriteFailure{TmdWriteError::noMemory, kMaxObjects};
    TriplePool vertices(method);
    TriplePool normals(method);
    std::vector<PacketIndices> indices;
    std::vector<PacketIndices> keptIndices;

    StoreU32LE(file.data.get(), model.header.id);
    StoreU32LE(file.data.get() + 4, model.header.flags);
    StoreU32LE(file.data.get() + 8, model.header.nobj);
    std::uint8_t* const table = file.data.get() + kTmdHeaderSize;
    std::uint8_t* out = table + kTmdObjectEntrySize * nobj;
    auto offset = [&] { return static_cast<std::uint32_t>(out - table); };
    for (std::uint32_t j = 0; j < nobj; ++j) {
        const ObjectRef& object = model.objects[j];
        if (const auto error = ShareVerticesAndNormals(object, indices, keptIndices, vertices, normals))
            return TmdWriteFailure{*error, j};

        TmdObject entry = object.entry;
        entry.n_vert = static_cast<std::uint32_t>(vertices.Size());
        entry.n_normal = static_cast<std::uint32_t>(normals.Size());
        entry.n_primitive = static_cast<std::uint32_t>(object.records.size() + object.kept.size());
        entry.primitive_top = offset();
        std::size_t next = 0;
        for (std::size_t r = 0; r <= object.records.size(); ++r) {
            for (;
                 next < object.kept.size() && (object.kept[next].position <= r || r == object.records.size());
                 ++next)
                out = WriteKeptPacket(out, object.kept[next], keptIndices[next]);
            if (r < object.records.size())
                out = WritePacket(out, object.records[r], indices[r]);
        }
        entry.vert_top = offset();
        out = PutVectors(out, vertices.Entries());
        entry.normal_top = offset();
        out = PutVectors(out, normals.Entries());
        PutObjectEntry(table + kTmdObjectEntrySize * j, entry);
    }
    file.size = static_cast<std::size_t>(out - file.data.get());
    return file;
}

Result<TmdBytes, TmdWriteFailure> WriteTmd(const TmdModel& model, SharingMethod method) {
    return WriteTmd(RefOf(model), method);
}

TmdModel PrepareForSave(TmdModel model, SharingMethod method) {
    // The counts the file states agree with what the model holds.
    if (model.objects.size() > kMaxObjects)
        model.objects.resize(kMaxObjects);
    model.header.nobj = static_cast<std::uint32_t>(model.objects.size());
    for (TmdModelObject& object : model.objects) {
        if (!object.records) {
            object.entry.n_primitive = 0;
            continue;
        }
        const std::span<WorkPrimitive> records(object.records.get(), object.entry.n_primitive);
        ComputeSaveNormals(records, method);
        ConvertRecordsToFixed(records);
    }
    return model;
}

} // namespace polyvane
