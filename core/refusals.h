#pragma once
// The checks every front end makes before it stores a count or a choice. Each gives the
// French message of the refusal (ending in " !"), or nothing when the value is accepted;
// none changes the store.

#include <cstdint>
#include <optional>
#include <string>

#include "store.h"

namespace geolago {

// A point count outside 0..MaxPoints.
std::optional<std::string> refusePointCount(std::int32_t count);

// A variable count outside 0..MaxVar.
std::optional<std::string> refuseVariableCount(std::int32_t count);

// A number of cells per axis outside 1..MaxMailles; above it, "Mailles trop petites !".
std::optional<std::string> refuseCellCount(std::int32_t cells);

// A variable position (1-based; 0 when nothing is chosen) that names no column read
// from the current point file of `store`: outside 1..NBVar.
std::optional<std::string> refuseVariablePosition(const Store& store, std::int64_t position);

}  // namespace geolago
