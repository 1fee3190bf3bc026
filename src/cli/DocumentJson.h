#pragma once
// The document as JSON, as `polyvane-cli dump` prints it.
#include "model/CPolyvaneDoc.h"

#include <nlohmann/json.hpp>

namespace polyvane::cli {

nlohmann::json PrimitiveToJson(const WorkPrimitive& p);
// `withProjection` adds the drawing order and axis ends that the last projection left.
nlohmann::json DocumentToJson(const CPolyvaneDoc& doc, bool withProjection);

} // namespace polyvane::cli
