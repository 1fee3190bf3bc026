// Random bytes through the import library's glTF readers and our conversion into a model, and random
// models through the exporters. The first byte chooses which. The OBJ reader has a target of its own
// (fuzz_import_obj): it sets up a 16 MiB buffer on every read, whatever the input's size, which costs
// as much as a hundred of these inputs.
#include "exchange/ModelExporter.h"
#include "exchange/ModelImporter.h"

#include "FuzzScratch.h"

#include <cstdint>
#include <cstring>
#include <string>

using namespace polyvane;

namespace {

// A model of records taken straight from the bytes: any attribute bits, coordinates, texture fields.
TmdModel ModelFromBytes(const std::uint8_t* data, std::size_t size) {
    TmdModel model;
    model.header.id = kTmdId;
    const std::size_t count = std::min<std::size_t>(size / 64, 64);
    model.header.nobj = 1;
    TmdModelObject object;
    object.entry.n_primitive = static_cast<std::uint32_t>(count);
    if (count > 0) {
        object.records = std::make_unique<WorkPrimitive[]>(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* at = data + i * 64;
            WorkPrimitive& p = object.records[i];
            p = WorkPrimitive{};
            p.attr = at[0];
            for (int k = 0; k < 4; ++k) {
                p.x[k] = static_cast<std::int8_t>(at[1 + k]) * 100.0;
                p.y[k] = static_cast<std::int8_t>(at[5 + k]) * 100.0;
                p.z[k] = static_cast<std::int8_t>(at[9 + k]) * 100.0;
                p.nx[k] = static_cast<std::int8_t>(at[13 + k]);
                p.ny[k] = static_cast<std::int8_t>(at[17 + k]);
                p.u[k] = at[21 + k];
                p.v[k] = at[25 + k];
                std::memcpy(&p.colour[k], at + 29 + 4 * k, 4);
            }
            p.tpage = at[45];
            p.pmode = at[46];
            p.clutX = static_cast<std::uint16_t>(at[47] * 16);
            p.clutY = static_cast<std::uint16_t>(at[48] * 2);
        }
    }
    model.objects.push_back(std::move(object));
    return model;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    if (const char* hint = data[0] % 4 == 1 ? "gltf" : data[0] % 4 == 2 ? "glb" : nullptr) {
        ImportResult result = ImportModelFromMemory(rest, hint);
        if (result.ok)
            (void)ExportModel(RefOf(result.model), {}, FuzzScratch("fuzz_import") + "/imported.glb");
        return 0;
    }
    const TmdModel model = ModelFromBytes(rest.data(), rest.size());
    (void)ExportModel(RefOf(model), {},
                      FuzzScratch("fuzz_import") + ((data[0] & 4) ? "/model.obj" : "/model.glb"));
    return 0;
}
