#pragma once
// The checks every front end makes before it stores a count or a choice. Each gives the
// French message of the refusal (ending in " !"), or nothing when the value is accepted;
// none changes the store.

#include <cstdint>
#include <limits>
#include <optional>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "store.h"

namespace geolago {

// The largest counts a front end takes: the windows keep the tables' capacities they
// show under "Contraintes", the batch command takes any number of points and variables
// and grids up to 4096 cells per axis.
struct Limits {
    std::int32_t points;
    std::int32_t variables;
    std::int32_t cellsPerAxis;
};
inline constexpr Limits WindowLimits{MaxPoints, MaxVar, MaxMailles};
inline constexpr Limits BatchLimits{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
                                    4096};

// A point count outside 0..limits.points.
std::optional<std::string> refusePointCount(std::int32_t count, const Limits& limits = WindowLimits);

// A variable count outside 0..limits.variables.
std::optional<std::string> refuseVariableCount(std::int32_t count, const Limits& limits = WindowLimits);

// A number of cells per axis outside 1..limits.cellsPerAxis; above it, "Mailles trop petites !".
std::optional<std::string> refuseCellCount(std::int32_t cells, const Limits& limits = WindowLimits);

// A number of permutations outside 0..MaxPermutations (significance.h).
std::optional<std::string> refusePermutationCount(std::int32_t permutations);

// A number of threads for the permutation tests outside 1..MaxThreads: far more than the
// cores of any machine the blocks of permutations are shared on.
inline constexpr std::int32_t MaxThreads = 1024;
std::optional<std::string> refuseThreadCount(std::int32_t threads);

// A last shift (the map's K) below 0.
std::optional<std::string> refuseMaxShift(std::int32_t maxShift);

// A seed of the permutations as typed: a decimal whole number from 0 to 2^64 - 1; none
// for any other text.
std::optional<std::uint64_t> seedOf(std::string_view text);

// A value or a choice a front end will not take, its message (ending in " !") shown as it
// stands, with no full stop added.
class Refusal : public std::exception {
public:
    explicit Refusal(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A variable position (1-based; 0 when nothing is chosen) that names no column read
// from the current point file of `store`: outside 1..NBVar, or beyond limits.variables.
std::optional<std::string> refuseVariablePosition(const Store& store, std::int64_t position,
                                                  const Limits& limits = WindowLimits);

}  // namespace geolago
