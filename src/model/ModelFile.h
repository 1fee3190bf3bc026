#pragma once
// Saving a model value as a file, as the editor's Save writes it, with no document.
#include "formats/TmdModel.h"

#include <string>

namespace polyvane {

// Saves `model` as a TMD file at `path`: the file is replaced only when the whole model was written.
// A failure is shown as the messages Save shows.
bool SaveTmdFile(TmdModel model, const std::string& path);

} // namespace polyvane
