// Writing the document as a TMD file: every object's records encoded as polygon packets, with the
// vertices and normals they share found again by their integer values.
#include "TmdWriter.h"

#include "platform/ByteReader.h"
#include "platform/MessageBox.h"

#include <cstring>
#include <memory>

namespace polyvane {

namespace {

constexpr std::size_t kObjectEntrySize = 28;
constexpr std::size_t kVectorSize = 8;
// The largest packet (an unlit textured Gouraud quad) and, at most, four vertices and four normals
// of its own: what one primitive can add to the file.
constexpr std::uint64_t kMaxBytesPerPrimitive = 44 + 4 * kVectorSize + 4 * kVectorSize;
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
    l.mode = 0x20;
    if (attr & PA_QUAD)
        l.mode |= 0x08;
    if (gouraud)
        l.mode |= 0x10;
    if (l.textured)
        l.mode |= 0x04;
    if (attr & PA_TRANSLUCENT)
        l.mode |= 0x02;
    if (!(attr & (PA_LIGHT | PA_BRIGHTNESS)))
        l.mode |= 0x01;
    l.flag = 0;
    if (gradation)
        l.flag |= 0x04;
    if (attr & PA_DOUBLE)
        l.flag |= 0x02;
    if (!light)
        l.flag |= 0x01;
    return l;
}

std::uint8_t* PutVectors(std::uint8_t* out, const std::vector<TmdVector>& vectors) {
    for (const TmdVector& v : vectors) {
        StoreU16LE(out, static_cast<std::uint16_t>(v.vx));
        StoreU16LE(out + 2, static_cast<std::uint16_t>(v.vy));
        StoreU16LE(out + 4, static_cast<std::uint16_t>(v.vz));
        StoreU16LE(out + 6, 0);
        out += kVectorSize;
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

// Finds the selected object's shared vertices and normals, filling vertIndex and normIndex. False
// (after a message) when memory runs out or a table outgrows what 16-bit indices can reach.
bool ShareVerticesAndNormals(CPolyvaneDoc& doc, TriplePool& vertices, TriplePool& normals) {
    const std::uint32_t count = doc.WorkCount();
    if (!vertices.Reserve(std::size_t{count} * 4)) {
        AfxMessageBox("Not enough memory for verts");
        return false;
    }
    if (!normals.Reserve(std::size_t{count} * 4)) {
        AfxMessageBox("Not enough memory for norms");
        return false;
    }
    for (std::uint32_t r = 0; r < count; ++r) {
        WorkPrimitive& p = doc.m_pWork[r];
        const PacketLayout l = LayoutOf(p.attr);
        for (int k = 0; k < l.n; ++k)
            p.vertIndex[k] = static_cast<std::uint16_t>(vertices.IndexOf(p.ix[k], p.iy[k], p.iz[k]));
        for (int k = 0; k < l.nn; ++k)
            p.normIndex[k] = static_cast<std::uint16_t>(normals.IndexOf(p.inx[k], p.iny[k], p.inz[k]));
    }
    if (vertices.Size() > kMaxTableEntries) {
        AfxMessageBox("Too many vertices in object");
        return false;
    }
    if (normals.Size() > kMaxTableEntries) {
        AfxMessageBox("Too many normals in object");
        return false;
    }
    return true;
}

} // namespace

std::size_t PacketSize(std::uint16_t attr) {
    return 4 + 4 * std::size_t{LayoutOf(attr).ilen};
}

std::uint8_t* CPolyvaneDoc::WritePacket(std::uint8_t* out, std::uint32_t record) {
    const WorkPrimitive& p = m_pWork[record];
    const PacketLayout l = LayoutOf(p.attr);
    StoreU32LE(out, l.olen | (std::uint32_t{l.ilen} << 8) | (std::uint32_t{l.flag} << 16) |
                        (std::uint32_t{l.mode} << 24));
    out += 4;
    if (l.textured) {
        const auto cba = static_cast<std::uint16_t>(((p.clutY & 0x1FF) << 6) | ((p.clutX >> 4) & 0x3F));
        const auto tsb =
            static_cast<std::uint16_t>(((p.pmode & 3) << 7) | ((p.abr & 3) << 5) | (p.tpage & 0x1F));
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
            StoreU16LE(out, p.normIndex[normalsWritten++]);
            out += 2;
            ++halves;
        }
        StoreU16LE(out, p.vertIndex[k]);
        out += 2;
        ++halves;
    }
    if (halves % 2) {
        StoreU16LE(out, 0);
        out += 2;
    }
    return out;
}

bool CPolyvaneDoc::WriteTmd(CArchive& ar) {
    return WriteTmdWith(*this, ar, SharingMethod::hashed);
}

bool WriteTmdWith(CPolyvaneDoc& doc, CArchive& ar, SharingMethod method) {
    const std::uint32_t nobj = doc.ObjectCount();
    std::uint64_t size = kObjectEntrySize * std::uint64_t{nobj};
    for (std::uint32_t i = 0; i < nobj; ++i)
        size += kMaxBytesPerPrimitive * doc.m_objects[i].n_primitive;
    // Offsets in the file are 32-bit; a model that cannot be addressed cannot be written either.
    std::unique_ptr<std::uint8_t[]> block;
    if (size <= 0xFFFFFFFFu)
        block.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size) + 1]);
    if (!block) {
        AfxMessageBox("Not enough memory");
        return false;
    }
    TriplePool vertices(method);
    TriplePool normals(method);

    std::uint8_t* const table = block.get();
    std::uint8_t* out = table + kObjectEntrySize * nobj;
    auto offset = [&] { return static_cast<std::uint32_t>(out - table); };
    for (std::uint32_t j = 0; j < nobj; ++j) {
        doc.SelectModelObject(j);
        if (!doc.m_pWork)
            return false; // the selection has said why
        // Every object's normals are recomputed, so that all of them reach the file as unit vectors
        // in 4096 = 1.0 form, whatever form the reader or an edit left them in.
        doc.ComputeFaceNormals();
        AverageVertexNormals(doc.m_pWork.get(), doc.WorkCount(), method);
        doc.ConvertToFixed();
        if (!ShareVerticesAndNormals(doc, vertices, normals))
            return false;

        TmdObject entry = doc.m_objects[j];
        entry.n_vert = static_cast<std::uint32_t>(vertices.Size());
        entry.n_normal = static_cast<std::uint32_t>(normals.Size());
        entry.primitive_top = offset();
        for (std::uint32_t r = 0; r < doc.WorkCount(); ++r)
            out = doc.WritePacket(out, r);
        entry.vert_top = offset();
        out = PutVectors(out, vertices.Entries());
        entry.normal_top = offset();
        out = PutVectors(out, normals.Entries());
        PutObjectEntry(table + kObjectEntrySize * j, entry);
    }

    std::uint8_t head[12];
    StoreU32LE(head, doc.m_header.id);
    StoreU32LE(head + 4, doc.m_header.flags);
    StoreU32LE(head + 8, doc.m_header.nobj);
    ar.Write(head, sizeof head);
    ar.Write(table, static_cast<std::size_t>(out - table));
    return true;
}

} // namespace polyvane
