#pragma once
// The formats the exchange library reads and writes, added to the program's format table: the
// models the Open Asset Import Library imports, and glTF, GLB and OBJ export.
#include "formats/FormatRegistry.h"

namespace polyvane {

// Adds the entries once; later calls do nothing. The command line and the application call it as
// they start.
void RegisterExchangeFormats(FormatRegistry& registry = Formats());

} // namespace polyvane
