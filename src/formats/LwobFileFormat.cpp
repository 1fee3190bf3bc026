// The LightWave LWOB object, opened as a one-object model.
#include "CoreFormats.h"
#include "FileMessages.h"
#include "LwoImport.h"

#include <cstring>

namespace polyvane {

FileFormat LwobFileFormat() {
    FileFormat f;
    f.name = "LWOB";
    f.extensions = {"lwo"};
    f.filter = "LightWave objects (*.lwo)";
    f.roles = kOpenRole;
    f.matchesLastLetters = true;
    f.detect = DetectLwob;
    f.readModel = [](std::span<const std::uint8_t> bytes,
                     const ModelReadOptions& options) -> ModelReadResult {
        auto imported = ImportLwo(bytes, options.lwoScale);
        if (!imported)
            return MessageTexts(LwoImportMessages(imported.error()));
        ModelRead read;
        read.model = std::move(imported->model);
        read.surfaces = std::move(imported->surfaces);
        read.needsNormals = true;
        return read;
    };
    f.unreadableText = "Not enough memory for LWO";
    // Opening a LightWave object has always said so first.
    f.openingNotice = "Read LWO";
    return f;
}

Certainty DetectLwob(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "FORM", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "LWOB", 4) != 0)
        return Certainty::no;
    return Certainty::sure;
}

} // namespace polyvane
