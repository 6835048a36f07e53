#pragma once
// The correlogram map: r and pairs of every shift vector (dx, dy) with |dx|, |dy| <= K,
// over the grid and pairing rule of the correlograms, whose two axes it holds: E_W shift k
// is vector (0, k), N_S shift k is (k, 0), each the same figure to the last digit. With
// it, its permutation test and the anisotropy read from it.

#include <cstdint>
#include <optional>
#include <vector>

#include "correlogram.h"
#include "significance.h"
#include "store.h"

namespace geolago {

// The shape of the region around the origin where r >= 0.5: r between the vectors is the
// bilinear interpolation of the four around it, the region is the part of the map's square
// where that is at least 0.5 and connected to the origin, sampled 8 x 8 per cell, and its
// second moments about its centroid, in the coordinates' units, give its axes.
struct Anisotropy {
    // The longer axis, in degrees counter-clockwise from the X axis, in [0, 180); none when
    // both axes are equal or there is no region.
    std::optional<double> direction;
    // The longer axis over the shorter; none when there is no region.
    std::optional<double> ratio;
};

// The map of a variable, or of a variable crossed with another, for one N; its heading
// names its test once testCorrelogramMap() has permuted any vector.
struct CorrelogramMap : Heading {
    // K: the vectors go from -K to K along each axis.
    std::int32_t maxShift = 0;
    // (2K + 1)^2 vectors, dx from -K to K and, for each, dy from -K to K.
    std::vector<Shift> vectors;
    Anisotropy anisotropy;

    const Shift& at(std::int32_t dx, std::int32_t dy) const { return vectors[indexOf(dx, dy)]; }
    Shift& at(std::int32_t dx, std::int32_t dy) { return vectors[indexOf(dx, dy)]; }
    std::size_t indexOf(std::int32_t dx, std::int32_t dy) const
    {
        return static_cast<std::size_t>(dx + maxShift) * static_cast<std::size_t>(2 * maxShift + 1)
            + static_cast<std::size_t>(dy + maxShift);
    }
    // Whether a permutation test was made of any vector.
    bool tested() const;
};

// K when none is asked: min(N - 1, 10).
inline std::int32_t defaultMaxShift(std::int32_t cells)
{
    return cells - 1 < 10 ? cells - 1 : 10;
}

// The map of variable `first`, or of `first` crossed with `second` (A's cells first, B's
// (dx, dy) further; 0 or `first` for the auto-correlogram), on the points of `store` placed
// for N = NBMailles, for K = min(maxShift, N - 1): the grids as Remplit_Grille fills them,
// then each vector as plain::vectorFigures() defines it (a fault gives that vector no r),
// the distances and the anisotropy. An auto-correlogram's map is computed on the half
// where dy > 0, or dy = 0 and dx >= 0, and mirrored: r(-dx, -dy) is r(dx, dy), the same
// pairs with the roles swapped. The map is headed with `first` and `second` as given, names
// included (no `second`: the auto-correlogram). Throws FloatFailure where Remplit_Grille
// would, StepFailure when the cells are not current.
CorrelogramMap computeCorrelogramMap(const Store& store, const VariableRef& first,
                                     const std::optional<VariableRef>& second, std::int32_t maxShift);

// computeCorrelogramMap() of variables named by their positions alone; `second` 0 or
// `first` for the auto-correlogram, which then has no `with`.
CorrelogramMap computeCorrelogramMap(const Store& store, VariablePosition first, VariablePosition second,
                                     std::int32_t maxShift);

// Adds the test of request.permutations permutations to `map`, which computeCorrelogramMap()
// gave for request.first and request.second on `store`: the permutations of
// testSignificance() under the same null (a crossed map's B translated on the torus, or
// values shuffled among the points that have one), drawn alike from the seed, so that the
// axes get the r of the correlograms' permutations; every vector with an r gets equalTailedTest() of it, but the
// origin of an auto-correlogram, r = 1 under any arrangement, and then Holm's p and the
// step-down maxT p (MaxTStepDown) over the vectors tested (an auto-correlogram's half, whose
// mirror takes the same figures). A map whose permuted r do not fit in memory at once
// (`keptAtOnce` of them) is permuted twice: its tests part by part, then the maxT counts
// part by part in their order, from the same permutations; the figures are the same.
inline constexpr std::size_t MapPermutedFiguresAtOnce = std::size_t{1} << 19;
void testCorrelogramMap(const Store& store, CorrelogramMap& map, const SignificanceRequest& request,
                        std::size_t keptAtOnce = MapPermutedFiguresAtOnce);

// The anisotropy of the r of `map` (needs K >= 1 for any region).
Anisotropy anisotropyOf(const CorrelogramMap& map);

}  // namespace geolago
