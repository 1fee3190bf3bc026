// Imports arbitrary bytes as a LightWave LWOB object, then saves what was imported and reads it back.
#include "formats/LwoImport.h"
#include "formats/TmdCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto imported = polyvane::ImportLwo({data, size}, 100.0);
    if (!imported)
        return 0;
    polyvane::TmdModel& model = imported->model;
    // An import gives one object with as many records as its entry says.
    if (model.objects.size() != 1 || !model.objects[0].records)
        std::abort();
    model = polyvane::PrepareForSave(std::move(model));
    const auto written = polyvane::WriteTmd(polyvane::RefOf(model));
    if (written && !polyvane::ReadTmd(written.value().bytes()))
        std::abort();
    return 0;
}
