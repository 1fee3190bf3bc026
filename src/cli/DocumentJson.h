#pragma once
// The document as JSON, as `polyvane-cli dump` prints it.
#include "model/CPolyvaneDoc.h"
#include "model/Projection.h"

#include <array>

#include <nlohmann/json.hpp>

namespace polyvane::cli {

// A record with the screen points a view projected it to; zeros where it was not projected.
nlohmann::json PrimitiveToJson(const WorkPrimitive& p, const std::array<ScreenPoint, 4>* screen = nullptr);
// The document; `projection` is a view's projection of its selected object, whose screen points the
// records show. `withProjection` adds that projection's drawing order and axis ends.
nlohmann::json DocumentToJson(const CPolyvaneDoc& doc, bool withProjection,
                              const ProjectedObject* projection = nullptr);

} // namespace polyvane::cli
