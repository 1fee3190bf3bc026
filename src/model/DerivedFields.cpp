// Fields of the selected object's records that follow from its vertex coordinates: face normals,
// averaged vertex normals, the integer and fixed-point copies, and the object's extents.
#include "CPolyvaneDoc.h"
#include "VertexSharing.h"
#include "formats/FixedPoint.h"

#include <cmath>

namespace polyvane {

void CPolyvaneDoc::ComputeFaceNormals() {
    if (!m_pWork)
        return;
    const std::uint32_t count = WorkCount();
    for (std::uint32_t r = 0; r < count; ++r) {
        WorkPrimitive& p = m_pWork[r];
        const double ax = p.x[1] - p.x[0], ay = p.y[1] - p.y[0], az = p.z[1] - p.z[0];
        const double bx = p.x[2] - p.x[1], by = p.y[2] - p.y[1], bz = p.z[2] - p.z[1];
        const double nx = az * by - ay * bz;
        const double ny = ax * bz - az * bx;
        const double nz = ay * bx - ax * by;
        double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (length == 0.0)
            length = 1.0;
        p.fnx = nx / length;
        p.fny = ny / length;
        p.fnz = nz / length;
    }
}

void CPolyvaneDoc::ComputeVertexNormals() {
    if (!m_pWork)
        return;
    AverageVertexNormals(m_pWork.get(), WorkCount());
}

void CPolyvaneDoc::ConvertToFixed() {
    if (!m_pWork)
        return;
    const std::uint32_t count = WorkCount();
    for (std::uint32_t r = 0; r < count; ++r) {
        WorkPrimitive& p = m_pWork[r];
        const int n = VertexCount(p);
        for (int k = 0; k < n; ++k) {
            p.ix[k] = TruncToInt16(p.x[k]);
            p.iy[k] = TruncToInt16(p.y[k]);
            p.iz[k] = TruncToInt16(p.z[k]);
        }
        p.inx[0] = TruncToInt16(p.fnx * 4096.0);
        p.iny[0] = TruncToInt16(p.fny * 4096.0);
        p.inz[0] = TruncToInt16(p.fnz * 4096.0);
        if (p.attr & PA_LIGHT) {
            const int nn = (p.attr & PA_GOURAUD) ? n : 1;
            for (int k = 0; k < nn; ++k) {
                p.inx[k] = TruncToInt16(p.nx[k] * 4096.0);
                p.iny[k] = TruncToInt16(p.ny[k] * 4096.0);
                p.inz[k] = TruncToInt16(p.nz[k] * 4096.0);
            }
        }
    }
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
