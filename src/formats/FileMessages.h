#pragma once
// The messages a user is shown when a file cannot be read or written, by the codec's error code.
#include "LwoImport.h"
#include "TmdCodec.h"

#include <string_view>
#include <vector>

namespace polyvane {

// In the order they are shown; every failure shows at least one, which says why.
[[nodiscard]] std::vector<std::string_view> TmdReadMessages(TmdReadError error);
[[nodiscard]] std::vector<std::string_view> TmdWriteMessages(TmdWriteError error);
[[nodiscard]] std::vector<std::string_view> LwoImportMessages(LwoError error);

} // namespace polyvane
