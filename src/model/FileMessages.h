#pragma once
// The messages a user is shown when a file cannot be read or written, by the codec's error code.
#include "formats/LwoImport.h"
#include "formats/TmdCodec.h"

#include <string_view>
#include <vector>

namespace polyvane {

// In the order they are shown; some failures show none.
[[nodiscard]] std::vector<std::string_view> TmdReadMessages(TmdReadError error);
[[nodiscard]] std::vector<std::string_view> TmdWriteMessages(TmdWriteError error);
[[nodiscard]] std::vector<std::string_view> LwoImportMessages(LwoError error);

} // namespace polyvane
