// Random text through the import library's OBJ reader, our conversion into a model and the GLB
// exporter. A target of its own because the reader sets up a 16 MiB buffer on every read: kept apart,
// it does not slow the other exchange inputs down.
#include "FuzzScratch.h"

#include "exchange/ModelExporter.h"
#include "exchange/ModelImporter.h"

#include <cstdint>

using namespace polyvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ImportResult result = ImportModelFromMemory({data, size}, "obj");
    if (result.ok)
        (void)ExportModel(RefOf(result.model), {}, FuzzScratch("fuzz_import_obj") + "/imported.glb");
    return 0;
}
