#pragma once
// The formats below the exchange library, each entry in a file of its own, and the list that adds
// them to the table.
#include "FormatRegistry.h"

#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

// One line per core format: the function in its own file that makes its entry.
#define POLYVANE_CORE_FORMATS(FORMAT)                                                                        \
    FORMAT(TmdFileFormat)                                                                                    \
    FORMAT(LwobFileFormat)                                                                                   \
    FORMAT(TimFileFormat)

#define POLYVANE_DECLARE_FORMAT(name) [[nodiscard]] FileFormat name();
POLYVANE_CORE_FORMATS(POLYVANE_DECLARE_FORMAT)
#undef POLYVANE_DECLARE_FORMAT

// Adds every core format to `registry`, in the list's order.
void AddCoreFormats(FormatRegistry& registry);

// A codec's message views as the texts an entry returns.
[[nodiscard]] std::vector<std::string> MessageTexts(const std::vector<std::string_view>& views);

} // namespace polyvane
