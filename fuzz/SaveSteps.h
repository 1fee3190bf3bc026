#pragma once
// What saving does to every object before it is written: normals recomputed, integer fields refreshed.
#include "formats/RecordGeometry.h"
#include "formats/TmdModel.h"
#include "formats/VertexSharing.h"

#include <span>

inline void PrepareForSave(polyvane::TmdModel& model) {
    for (polyvane::TmdModelObject& object : model.objects) {
        const std::span<polyvane::WorkPrimitive> records(object.records.get(), object.Records().size());
        polyvane::ComputeRecordFaceNormals(records);
        polyvane::AverageVertexNormals(records.data(), static_cast<std::uint32_t>(records.size()));
        polyvane::ConvertRecordsToFixed(records);
    }
}
