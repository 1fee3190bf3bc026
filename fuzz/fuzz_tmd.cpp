// Reads arbitrary bytes as a TMD file, then derives what the editor derives from a loaded model.
#include "formats/RecordGeometry.h"
#include "formats/TmdCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto read = polyvane::ReadTmd({data, size});
    if (!read) {
        if (std::strlen(polyvane::TmdReadErrorText(read.error())) == 0)
            std::abort();
        return 0;
    }
    polyvane::TmdModel& model = read.value();
    for (std::size_t i = 0; i < model.objects.size() && i < 8; ++i) {
        polyvane::TmdModelObject& object = model.objects[i];
        const std::span<polyvane::WorkPrimitive> records(object.records.get(), object.Records().size());
        polyvane::ComputeRecordFaceNormals(records);
        polyvane::ConvertRecordsToFixed(records);
    }
    return 0;
}
