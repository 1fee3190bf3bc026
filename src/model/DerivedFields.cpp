// Fields of the selected object's records that follow from its vertex coordinates: face normals,
// averaged vertex normals, the integer and fixed-point copies, and the object's extents.
#include "CPolyvaneDoc.h"
#include "formats/RecordGeometry.h"
#include "formats/VertexSharing.h"

namespace polyvane {

void CPolyvaneDoc::RefreshNormals(std::span<WorkPrimitive> records) {
    for (WorkPrimitive& p : records) {
        p.fileNormals = 0;
        const auto [nx, ny, nz] = FaceNormal(p);
        p.fnx = nx;
        p.fny = ny;
        p.fnz = nz;
    }
    AverageVertexNormals(records.data(), static_cast<std::uint32_t>(records.size()));
}

void CPolyvaneDoc::RefreshRecords(std::span<WorkPrimitive> records) {
    RefreshNormals(records);
    ConvertRecordsToFixed(records);
}

void CPolyvaneDoc::RefreshDerivedFields() {
    RefreshNormals(SelectedRecords());
    MeasureExtents(true);
    if (HasSelection())
        SetDerivedFieldsFresh(m_selected, true);
}

bool CPolyvaneDoc::DerivedFieldsFresh() const {
    return m_selected < m_derivedFresh.size() && m_derivedFresh[m_selected];
}

void CPolyvaneDoc::SetDerivedFieldsFresh(std::uint32_t object, bool fresh) {
    if (object < m_derivedFresh.size())
        m_derivedFresh[object] = fresh;
}

void CPolyvaneDoc::ComputeExtents() {
    // With fresh derived fields the integer copies are already these, so the mark stays.
    MeasureExtents(true);
}

void CPolyvaneDoc::MeasureExtents(bool convert) {
    m_maxExtent = TmdVector{};
    m_minExtent = TmdVector{};
    // Each record is converted and measured in one pass, while its lines are at hand.
    for (WorkPrimitive& p : SelectedRecords()) {
        if (convert)
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
