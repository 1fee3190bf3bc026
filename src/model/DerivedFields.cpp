// Fields of the selected object's records that follow from its vertex coordinates: face normals,
// averaged vertex normals, the integer and fixed-point copies, and the object's extents.
#include "CPolyvaneDoc.h"
#include "formats/RecordGeometry.h"
#include "formats/VertexSharing.h"

namespace polyvane {

void CPolyvaneDoc::ComputeFaceNormals() {
    if (m_pWork)
        ComputeRecordFaceNormals({m_pWork.get(), WorkCount()});
}

void CPolyvaneDoc::ComputeVertexNormals() {
    if (!m_pWork)
        return;
    AverageVertexNormals(m_pWork.get(), WorkCount());
}

void CPolyvaneDoc::ConvertToFixed() {
    if (m_pWork)
        ConvertRecordsToFixed({m_pWork.get(), WorkCount()});
}

void CPolyvaneDoc::ComputeExtents() {
    m_maxExtent = TmdVector{};
    m_minExtent = TmdVector{};
    if (!m_pWork)
        return;
    ConvertToFixed();
    const std::uint32_t count = WorkCount();
    for (std::uint32_t r = 0; r < count; ++r) {
        const WorkPrimitive& p = m_pWork[r];
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
