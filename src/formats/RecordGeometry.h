#pragma once
// Fields of decoded records that follow from their vertex coordinates: face normals, and the integer
// and 4096 = 1.0 fixed-point copies a TMD file stores.
#include "TmdTypes.h"

#include <span>

namespace polyvane {

// Each record's unit normal from its first three corners (zero for a degenerate face).
void ComputeRecordFaceNormals(std::span<WorkPrimitive> records);
// Each record's integer vertices and fixed-point normals: the face normal, and for a lit record its
// vertex normals (one, or one per corner when Gouraud shaded).
void ConvertRecordsToFixed(std::span<WorkPrimitive> records);

} // namespace polyvane
