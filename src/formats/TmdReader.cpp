// Reading a TMD file: the header, the image after it, and every polygon packet of every object
// decoded into a WorkPrimitive; other packets are kept as they are. Every table, vertex, normal and packet is
// checked against the image before it is read.
#include "FrameBufferLayout.h"
#include "TmdCodec.h"
#include "TmdFormat.h"
#include "TmdPackets.h"
#include "platform/ByteReader.h"

#include <cstring>
#include <new>

namespace polyvane {

namespace {

// Looks up entry `index` of a vector table that starts at `top` and holds `count` entries.
bool LoadVector(std::span<const std::uint8_t> image, std::uint32_t top, std::uint32_t count,
                std::uint32_t index, double& x, double& y, double& z) {
    if (index >= count)
        return false;
    std::uint64_t offset = std::uint64_t{top} + std::uint64_t{index} * kTmdVectorSize;
    if (offset + kTmdVectorSize > image.size())
        return false;
    const std::uint8_t* p = image.data() + offset;
    x = LoadI16LE(p);
    y = LoadI16LE(p + 2);
    z = LoadI16LE(p + 4);
    return true;
}

// Decodes the packet at `data` (its words after the header) into `prim`.
bool DecodePacket(std::span<const std::uint8_t> image, const TmdObject& object, std::uint8_t flag,
                  std::uint8_t mode, ByteReader& data, WorkPrimitive& prim) {
    const int n = (mode & MODE_QUAD) ? 4 : 3;
    const bool lgt = flag & FLAG_LGT;
    const bool grd = flag & FLAG_GRD;
    const bool iip = mode & MODE_IIP;
    const bool tme = mode & MODE_TME;

    std::uint16_t attr = 0;
    if (n == 4)
        attr |= PA_QUAD;
    if (iip)
        attr |= PA_GOURAUD;
    if (grd)
        attr |= PA_GRADATION;
    if (!lgt)
        attr |= PA_LIGHT;
    if (flag & FLAG_FCE)
        attr |= PA_DOUBLE;
    if (tme)
        attr |= PA_TEXTURED;
    if (mode & MODE_ABE)
        attr |= PA_TRANSLUCENT;
    if (!(mode & MODE_TGE))
        attr |= PA_BRIGHTNESS;
    prim.attr = attr;

    if (tme) {
        std::uint16_t cba = 0;
        std::uint16_t tsb = 0;
        for (int k = 0; k < n; ++k) {
            std::uint32_t word = 0;
            if (!data.readU32LE(word))
                return false;
            prim.u[k] = static_cast<std::uint8_t>(word);
            prim.v[k] = static_cast<std::uint8_t>(word >> 8);
            if (k == 0)
                cba = static_cast<std::uint16_t>(word >> 16);
            else if (k == 1)
                tsb = static_cast<std::uint16_t>(word >> 16);
        }
        prim.clutX = ClutXFromCba(cba);
        prim.clutY = ClutYFromCba(cba);
        prim.tpage = PageFromTsb(tsb);
        prim.abr = RateFromTsb(tsb);
        prim.pmode = ModeFromTsb(tsb);
    } else {
        std::memcpy(prim.u, kUntexturedU, 4);
        std::memcpy(prim.v, kUntexturedV, 4);
    }

    if (!tme || lgt) {
        const int colours = ((iip && lgt) || grd) ? n : 1;
        for (int k = 0; k < colours; ++k) {
            std::uint32_t word = 0;
            if (!data.readU32LE(word))
                return false;
            prim.colour[k] = word & 0x00FFFFFF;
        }
    }

    const int normals = lgt ? 0 : (iip ? n : 1);
    int normalsRead = 0;
    for (int k = 0; k < n; ++k) {
        std::uint16_t index = 0;
        if (normalsRead < normals) {
            if (!data.readU16LE(index) ||
                !LoadVector(image, object.normal_top, object.n_normal, index, prim.nx[normalsRead],
                            prim.ny[normalsRead], prim.nz[normalsRead]))
                return false;
            ++normalsRead;
        }
        if (!data.readU16LE(index) ||
            !LoadVector(image, object.vert_top, object.n_vert, index, prim.x[k], prim.y[k], prim.z[k]))
            return false;
    }
    prim.fileNormals = static_cast<std::uint8_t>(normalsRead);
    return true;
}

// Keeps a packet that is not a polygon as it was read, with the coordinates its vertex indices name.
bool KeepPacket(std::span<const std::uint8_t> image, const TmdObject& object, std::uint32_t header,
                std::uint64_t position, std::uint32_t recordsBefore, std::vector<KeptPacket>& kept) {
    const std::size_t ilen = static_cast<std::uint8_t>(header >> 8);
    if (position + 4 + 4 * ilen > image.size())
        return false;
    KeptPacket packet;
    packet.position = recordsBefore;
    packet.header = header;
    packet.words.resize(ilen);
    for (std::size_t w = 0; w < ilen; ++w)
        packet.words[w] = LoadU32LE(image.data() + position + 4 + 4 * w);
    const VertexSlots slots = VertexSlotsOf(header, ilen);
    for (int k = 0; k < slots.count; ++k) {
        double x = 0, y = 0, z = 0;
        if (!LoadVector(image, object.vert_top, object.n_vert, IndexAt(packet.words, slots.halfword[k]), x, y,
                        z))
            return false;
        packet.vertices[k] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                              static_cast<std::int16_t>(z), 0};
    }
    packet.vertexCount = static_cast<std::uint8_t>(slots.count);
    kept.push_back(std::move(packet));
    return true;
}

// Decodes object `object`'s polygon packets into a new records array and keeps the others; null
// after a failure, with `error` set. The entry's count becomes the number of records.
std::unique_ptr<WorkPrimitive[]> DecodeObject(std::span<const std::uint8_t> image, TmdObject& object,
                                              std::vector<KeptPacket>& kept, std::uint64_t& primitiveBudget,
                                              TmdReadError& error) {
    error = TmdReadError::badFile;
    const std::size_t imageSize = image.size();
    const std::uint32_t count = object.n_primitive;
    // A packet takes at least its 4-byte header word: the bytes after primitive_top cannot hold more.
    if (object.primitive_top > imageSize || count > (imageSize - object.primitive_top) / 4 ||
        count > primitiveBudget)
        return nullptr;
    primitiveBudget -= count;

    std::unique_ptr<WorkPrimitive[]> records(new (std::nothrow) WorkPrimitive[count]);
    if (!records) {
        error = TmdReadError::noRecordMemory;
        return nullptr;
    }
    std::uint64_t position = object.primitive_top;
    std::uint32_t decoded = 0;
    for (std::uint32_t j = 0; j < count; ++j) {
        if (position + 4 > imageSize)
            return nullptr;
        const std::uint32_t header = LoadU32LE(image.data() + position);
        const std::uint8_t ilen = static_cast<std::uint8_t>(header >> 8);
        if (KindOfPacket(header) != PacketKind::polygon) {
            if (!KeepPacket(image, object, header, position, decoded, kept))
                return nullptr;
        } else {
            const std::uint8_t flag = static_cast<std::uint8_t>(header >> 16);
            const std::uint8_t mode = static_cast<std::uint8_t>(header >> 24);
            ByteReader data(image.subspan(static_cast<std::size_t>(position) + 4));
            WorkPrimitive& prim = records[decoded];
            prim = WorkPrimitive{};
            if (!DecodePacket(image, object, flag, mode, data, prim))
                return nullptr;
            ++decoded;
        }
        position += 4 * (1 + std::uint64_t{ilen});
    }
    object.n_primitive = decoded;
    return records;
}

} // namespace

TmdObject LoadTmdObjectEntry(const std::uint8_t* p) {
    TmdObject o;
    o.vert_top = LoadU32LE(p);
    o.n_vert = LoadU32LE(p + 4);
    o.normal_top = LoadU32LE(p + 8);
    o.n_normal = LoadU32LE(p + 12);
    o.primitive_top = LoadU32LE(p + 16);
    o.n_primitive = LoadU32LE(p + 20);
    o.scale = static_cast<std::int32_t>(LoadU32LE(p + 24));
    return o;
}

const char* TmdReadErrorText(TmdReadError error) {
    switch (error) {
    case TmdReadError::truncatedHeader:
        return "The file is shorter than a TMD header";
    case TmdReadError::badId:
        return "Bad TMD file header";
    case TmdReadError::badObjectTable:
        return "The first object's tables start past the end of the file";
    case TmdReadError::badFile:
        return "Bad TMD file";
    case TmdReadError::noRecordMemory:
        return "Insufficient memory";
    }
    return "Unknown TMD error";
}

Result<TmdModel, TmdReadError> ReadTmd(std::span<const std::uint8_t> file, std::uint64_t maxRecords) {
    if (file.size() < kTmdHeaderSize)
        return TmdReadError::truncatedHeader;
    TmdModel model;
    model.header.id = LoadU32LE(file.data());
    model.header.flags = LoadU32LE(file.data() + 4);
    model.header.nobj = LoadU32LE(file.data() + 8);
    if (model.header.id != kTmdId)
        return TmdReadError::badId;
    const std::span<const std::uint8_t> image = file.subspan(kTmdHeaderSize);
    const std::size_t imageSize = image.size();

    // Files that declare more objects than a model holds keep the first kMaxObjects; the count is held
    // there so that navigation and writing never index past the tables.
    if (model.header.nobj > kMaxObjects)
        model.header.nobj = kMaxObjects;

    if (imageSize >= kTmdObjectEntrySize) {
        const TmdObject first = LoadTmdObjectEntry(image.data());
        if (first.vert_top > imageSize || first.normal_top > imageSize || first.primitive_top > imageSize)
            return TmdReadError::badObjectTable;
    }

    const std::uint32_t count = model.header.nobj;
    if (std::uint64_t{count} * kTmdObjectEntrySize > imageSize)
        return TmdReadError::badFile;
    // Each object's count is checked against its own bytes; several objects may decode one shared
    // block, so their sum is bounded by the record limit instead.
    std::uint64_t primitiveBudget = maxRecords;
    model.objects.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        TmdModelObject& object = model.objects[i];
        object.entry = LoadTmdObjectEntry(image.data() + std::size_t{i} * kTmdObjectEntrySize);
        TmdReadError error{};
        object.records = DecodeObject(image, object.entry, object.kept, primitiveBudget, error);
        if (!object.records)
            return error;
    }
    return model;
}

} // namespace polyvane
