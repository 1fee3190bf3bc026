#pragma once
// Importing a LightWave LWOB object as a one-object model. Shows no message: a failure is an error
// code for the caller to report.
#include "LwoSurface.h"
#include "Result.h"
#include "TmdModel.h"

#include <cstdint>
#include <list>
#include <span>

namespace polyvane {

enum class LwoError {
    truncatedHeader, // fewer bytes than the FORM header
    notIff,          // no FORM header
    notLwob,         // a FORM of another kind
    unreadable,      // the FORM claims more bytes than the file has
    noPoints,        // no PNTS chunk
    noRecordMemory,  // the primitives could not be allocated
};
[[nodiscard]] const char* LwoErrorText(LwoError error);

struct LwoObject {
    TmdModel model;                 // one object; its records have no normals yet
    std::list<LwoSurface> surfaces; // in the order of the SRFS chunk
};

// Triangles and quadrilaterals become primitives; point coordinates are multiplied by `scale`.
[[nodiscard]] Result<LwoObject, LwoError> ImportLwo(std::span<const std::uint8_t> file, double scale);

} // namespace polyvane
