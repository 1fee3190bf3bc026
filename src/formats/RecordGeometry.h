#pragma once
// Fields of decoded records that follow from their vertex coordinates: face normals, and the integer
// and 4096 = 1.0 fixed-point copies a TMD file stores.
#include "TmdTypes.h"
#include "VertexSharing.h"

#include <array>
#include <span>

namespace polyvane {

// The cross product of a record's edges 0-1 and 1-2: its face normal before it is made unit length.
[[nodiscard]] std::array<double, 3> FaceCross(const WorkPrimitive& p);
// A record's unit face normal from its first three corners (zero for a degenerate face).
[[nodiscard]] std::array<double, 3> FaceNormal(const WorkPrimitive& p);
// Each record's unit normal from its first three corners (zero for a degenerate face).
void ComputeRecordFaceNormals(std::span<WorkPrimitive> records);
// The normals a save writes: a record that keeps the normals it was read with keeps them (the file's
// fixed-point values); the others get unit normals, a flat-lit face its own face normal and a
// Gouraud-lit corner the normalised average of the face normals at its position. Face normals are
// recomputed for every record.
void ComputeSaveNormals(std::span<WorkPrimitive> records, SharingMethod method = SharingMethod::hashed);
// Each record's integer vertices and fixed-point normals: the face normal, and for a lit record its
// vertex normals (one, or one per corner when Gouraud shaded), those it was read with as they were.
void ConvertRecordsToFixed(std::span<WorkPrimitive> records);
void ConvertRecordToFixed(WorkPrimitive& p);

} // namespace polyvane
