// Fields of the selected object's records that follow from its vertex coordinates: face normals,
// averaged vertex normals, the integer and fixed-point copies, and the object's extents.
#include "CPolyvaneDoc.h"
#include "formats/RecordGeometry.h"
#include "formats/VertexSharing.h"

namespace polyvane {

void CPolyvaneDoc::ComputeFaceNormals() {
    ComputeRecordFaceNormals(MutableRecords());
}

void CPolyvaneDoc::ComputeVertexNormals() {
    const std::span<WorkPrimitive> records = MutableRecords();
    AverageVertexNormals(records.data(), static_cast<std::uint32_t>(records.size()));
}

void CPolyvaneDoc::ConvertToFixed() {
    ConvertRecordsToFixed(MutableRecords());
}

void CPolyvaneDoc::ComputeExtents() {
    m_maxExtent = TmdVector{};
    m_minExtent = TmdVector{};
    if (!HasSelection())
        return;
    // Each record is converted and measured in one pass, while its lines are at hand.
    for (WorkPrimitive& p : MutableRecords()) {
        ConvertRecordToFixed(p);
        for (int k = 0; k < VertexCount(p); ++k) {
            if (p.ix[k] > m_maxExtent.vx)
                m_maxExtent.vx = p.ix[k];
            if (p.iy[k] > m_maxExtent.vy)
                m_maxExtent.vy = p.iy[k];
            if (p.iz[k] > m_maxExtent.vz)
                m_maxExtent.vz = p.iz[k];
            if (p.ix[k] < m_minExtent.vx)
                m_minExtent.vx = p.ix[k];
            if (p.iy[k] < m_minExtent.vy)
                m_minExtent.vy = p.iy[k];
            if (p.iz[k] < m_minExtent.vz)
                m_minExtent.vz = p.iz[k];
        }
    }
}

} // namespace polyvane
