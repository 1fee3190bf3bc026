#pragma once
// The messages a user is shown when a file cannot be read or written, by the codec's error code, and
// saving a model value as a file with them.
#include "formats/LwoImport.h"
#include "formats/TmdCodec.h"

#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

// In the order they are shown; every failure shows at least one, which says why.
[[nodiscard]] std::vector<std::string_view> TmdReadMessages(TmdReadError error);
[[nodiscard]] std::vector<std::string_view> TmdWriteMessages(TmdWriteError error);
[[nodiscard]] std::vector<std::string_view> LwoImportMessages(LwoError error);

// Saves `model` as a TMD file at `path` as the editor's Save writes it, with no document: the file is
// replaced only when the whole model was written. A failure is shown as the messages Save shows.
bool SaveTmdFile(TmdModel model, const std::string& path);

} // namespace polyvane
