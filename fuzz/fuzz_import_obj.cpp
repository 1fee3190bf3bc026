// Random text through our OBJ reader (tinyobjloader under the import library's post-processing), our
// conversion into a model and the GLB exporter. A target of its own, so that its inputs stay OBJ text.
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
