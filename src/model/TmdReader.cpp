// Reading a TMD file into the document: the header, the image after it, and every primitive packet
// of every object decoded into a WorkPrimitive. Every table, vertex, normal and packet is checked
// against the image before it is read.
#include "CPolyvaneDoc.h"

#include "platform/ByteReader.h"
#include "platform/MessageBox.h"

#include <cstring>
#include <new>

namespace polyvane {

namespace {

constexpr std::size_t kObjectEntrySize = 28;
constexpr std::size_t kVectorSize = 8;

// Packet header bits.
constexpr std::uint8_t FLAG_LGT = 0x01;
constexpr std::uint8_t FLAG_FCE = 0x02;
constexpr std::uint8_t FLAG_GRD = 0x04;
constexpr std::uint8_t MODE_TGE = 0x01;
constexpr std::uint8_t MODE_ABE = 0x02;
constexpr std::uint8_t MODE_TME = 0x04;
constexpr std::uint8_t MODE_QUAD = 0x08;
constexpr std::uint8_t MODE_IIP = 0x10;

TmdObject LoadObjectEntry(const std::uint8_t* p) {
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

// Looks up entry `index` of a vector table that starts at `top` and holds `count` entries.
bool LoadVector(std::span<const std::uint8_t> image, std::uint32_t top, std::uint32_t count,
                std::uint32_t index, double& x, double& y, double& z) {
    if (index >= count)
        return false;
    std::uint64_t offset = std::uint64_t{top} + std::uint64_t{index} * kVectorSize;
    if (offset + kVectorSize > image.size())
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
        prim.clutX = static_cast<std::uint16_t>((cba & 0x3F) * 16);
        prim.clutY = static_cast<std::uint16_t>((cba >> 6) & 0x1FF);
        prim.tpage = static_cast<std::uint8_t>(tsb & 0x1F);
        prim.abr = static_cast<std::uint8_t>((tsb >> 5) & 3);
        prim.pmode = static_cast<std::uint8_t>((tsb >> 7) & 3);
    } else {
        static constexpr std::uint8_t kDefaultU[4] = {0, 16, 0, 16};
        static constexpr std::uint8_t kDefaultV[4] = {0, 0, 16, 16};
        std::memcpy(prim.u, kDefaultU, 4);
        std::memcpy(prim.v, kDefaultV, 4);
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
    return true;
}

} // namespace

bool CPolyvaneDoc::ReadTmd(CArchive& ar) {
    std::uint8_t head[12];
    if (ar.Read(head, sizeof head) < sizeof head) {
        ResetModel();
        return false;
    }
    ResetModel();
    m_header.id = LoadU32LE(head);
    m_header.flags = LoadU32LE(head + 4);
    m_header.nobj = LoadU32LE(head + 8);
    if (m_header.id != kTmdId) {
        AfxMessageBox("Bad TMD file header");
        ResetModel();
        return false;
    }

    const std::uint64_t length = ar.GetLength();
    const std::uint64_t consumed = ar.GetPosition();
    const std::uint64_t wanted = length > consumed ? length - consumed : 0;
    if (wanted > SIZE_MAX) {
        ResetModel();
        return false;
    }
    // One extra byte keeps the buffer non-empty, so an empty image still has an address.
    m_pImage.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(wanted) + 1]);
    if (!m_pImage) {
        ResetModel();
        return false;
    }
    m_imageSize = ar.Read(m_pImage.get(), static_cast<std::size_t>(wanted));

    // Files that declare more objects than the document holds keep the first kMaxObjects; the count is
    // held there so that navigation and writing never index past the tables.
    if (m_header.nobj > kMaxObjects)
        m_header.nobj = kMaxObjects;

    m_nCurObject = 0;
    if (m_imageSize >= kObjectEntrySize) {
        TmdObject first = LoadObjectEntry(m_pImage.get());
        if (first.vert_top > m_imageSize || first.normal_top > m_imageSize ||
            first.primitive_top > m_imageSize) {
            ResetModel();
            return false;
        }
    }

    if (!DecodeObjects()) {
        AfxMessageBox("Bad TMD file");
        ResetModel();
        return false;
    }

    m_nCurObject = 0;
    SelectModelObject(0);
    ComputeExtents();
    CopyPrimitive();
    return true;
}

void CPolyvaneDoc::BeginObjectDecode(std::uint32_t i) {
    if (i >= m_header.nobj || i >= kMaxObjects)
        return;
    m_nCurObject = i;
    m_pObject = &m_objects[i];
    const TmdObject& o = m_objects[i];
    const std::uint8_t* image = m_pImage.get();
    m_pVertexTable = o.vert_top <= m_imageSize ? image + o.vert_top : nullptr;
    m_pNormalTable = o.normal_top <= m_imageSize ? image + o.normal_top : nullptr;
    m_pPrimitiveTable = o.primitive_top <= m_imageSize ? image + o.primitive_top : nullptr;
    m_pWork.reset();
    m_pCurPrim = nullptr;
}

bool CPolyvaneDoc::DecodeObjects() {
    if (!m_pImage)
        return false;
    const std::uint32_t count = m_header.nobj;
    if (std::uint64_t{count} * kObjectEntrySize > m_imageSize)
        return false;
    // A packet takes at least its 4-byte header word, so the whole file cannot hold more primitives
    // than a quarter of its bytes; claims beyond that are refused before anything is allocated.
    std::uint64_t primitiveBudget = m_imageSize / 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        m_objects[i] = LoadObjectEntry(m_pImage.get() + std::size_t{i} * kObjectEntrySize);
        BeginObjectDecode(i);
        m_pDrawFirst = nullptr;
        if (!DecodeObject(i, primitiveBudget))
            return false;
    }
    m_pCurPrim = nullptr;
    m_pWork.reset();
    return true;
}

bool CPolyvaneDoc::DecodeObject(std::uint32_t i, std::uint64_t& primitiveBudget) {
    const TmdObject& object = m_objects[i];
    const std::span<const std::uint8_t> image(m_pImage.get(), m_imageSize);
    const std::uint32_t count = object.n_primitive;
    if (object.primitive_top > m_imageSize || count > (m_imageSize - object.primitive_top) / 4 ||
        count > primitiveBudget)
        return false;
    primitiveBudget -= count;

    // Records are decoded straight into the object's stored array.
    std::unique_ptr<WorkPrimitive[]> records(new (std::nothrow) WorkPrimitive[count]);
    if (!records) {
        AfxMessageBox("Insufficient memory");
        return false;
    }
    std::uint64_t position = object.primitive_top;
    for (std::uint32_t j = 0; j < count; ++j) {
        if (position + 4 > m_imageSize)
            return false;
        const std::uint32_t header = LoadU32LE(image.data() + position);
        const std::uint8_t ilen = static_cast<std::uint8_t>(header >> 8);
        const std::uint8_t flag = static_cast<std::uint8_t>(header >> 16);
        const std::uint8_t mode = static_cast<std::uint8_t>(header >> 24);
        ByteReader data(image.subspan(static_cast<std::size_t>(position) + 4));
        WorkPrimitive& prim = records[j];
        prim = WorkPrimitive{};
        if (!DecodePacket(image, object, flag, mode, data, prim))
            return false;
        position += 4 * (1 + std::uint64_t{ilen});
    }
    m_objectPrims[i] = std::move(records);
    return true;
}

} // namespace polyvane
