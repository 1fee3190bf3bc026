#include "RecordGeometry.h"

#include "FixedPoint.h"

#include <cmath>

namespace polyvane {

std::array<double, 3> FaceCross(const WorkPrimitive& p) {
    const double ax = p.x[1] - p.x[0], ay = p.y[1] - p.y[0], az = p.z[1] - p.z[0];
    const double bx = p.x[2] - p.x[1], by = p.y[2] - p.y[1], bz = p.z[2] - p.z[1];
    return {az * by - ay * bz, ax * bz - az * bx, ay * bx - ax * by};
}

std::array<double, 3> FaceNormal(const WorkPrimitive& p) {
    const auto [nx, ny, nz] = FaceCross(p);
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length == 0.0)
        length = 1.0;
    return {nx / length, ny / length, nz / length};
}

void ComputeRecordFaceNormals(std::span<WorkPrimitive> records) {
    for (WorkPrimitive& p : records) {
        const auto [nx, ny, nz] = FaceNormal(p);
        p.fnx = nx;
        p.fny = ny;
        p.fnz = nz;
    }
}

namespace {

void Normalise(double& x, double& y, double& z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0)
        return;
    x /= length;
    y /= length;
    z /= length;
}

} // namespace

void ComputeSaveNormals(std::span<WorkPrimitive> records, SharingMethod method) {
    ComputeRecordFaceNormals(records);
    // Averaging writes every corner; the kept normals wait in the integer fields meanwhile (they are
    // 16-bit values, so the copy is exact).
    for (WorkPrimitive& p : records) {
        if (!KeepsFileNormals(p))
            continue;
        for (int k = 0; k < p.fileNormals; ++k) {
            p.inx[k] = TruncToInt16(p.nx[k]);
            p.iny[k] = TruncToInt16(p.ny[k]);
            p.inz[k] = TruncToInt16(p.nz[k]);
        }
    }
    AverageVertexNormals(records.data(), static_cast<std::uint32_t>(records.size()), method);
    for (WorkPrimitive& p : records) {
        if (KeepsFileNormals(p)) {
            for (int k = 0; k < p.fileNormals; ++k) {
                p.nx[k] = p.inx[k];
                p.ny[k] = p.iny[k];
                p.nz[k] = p.inz[k];
            }
            continue;
        }
        p.fileNormals = 0;
        if ((p.attr & PA_LIGHT) && !(p.attr & PA_GOURAUD)) {
            p.nx[0] = p.fnx;
            p.ny[0] = p.fny;
            p.nz[0] = p.fnz;
        }
        for (int k = 0; k < VertexCount(p); ++k)
            Normalise(p.nx[k], p.ny[k], p.nz[k]);
    }
}

void ConvertRecordToFixed(WorkPrimitive& p) {
    const int n = VertexCount(p);
    for (int k = 0; k < n; ++k) {
        p.ix[k] = TruncToInt16(p.x[k]);
        p.iy[k] = TruncToInt16(p.y[k]);
        p.iz[k] = TruncToInt16(p.z[k]);
    }
    p.inx[0] = TruncToInt16(p.fnx * 4096.0);
    p.iny[0] = TruncToInt16(p.fny * 4096.0);
    p.inz[0] = TruncToInt16(p.fnz * 4096.0);
    if (!(p.attr & PA_LIGHT))
        return;
    const int nn = NormalCount(p);
    const double scale = KeepsFileNormals(p) ? 1.0 : 4096.0;
    for (int k = 0; k < nn; ++k) {
        p.inx[k] = TruncToInt16(p.nx[k] * scale);
        p.iny[k] = TruncToInt16(p.ny[k] * scale);
        p.inz[k] = TruncToInt16(p.nz[k] * scale);
    }
}

void ConvertRecordsToFixed(std::span<WorkPrimitive> records) {
    for (WorkPrimitive& p : records)
        ConvertRecordToFixed(p);
}

} // namespace polyvane
