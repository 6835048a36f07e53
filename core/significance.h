#pragma once
// Both correlograms of a variable, or of one variable against another, with a
// permutation test of every shift. The figures are those of Remplit_Grille then
// Correlation_EW / Correlation_NS, bit for bit; the permutations shuffle a column of
// values among the points, each point keeping its cell, and run the same arithmetic.

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis.h"
#include "failures.h"
#include "store.h"

namespace geolago {

// The most permutations a test takes.
inline constexpr std::int32_t MaxPermutations = 100000;

struct SignificanceRequest {
    std::uint8_t first = 0;         // variable A, 1..NBVar
    std::uint8_t second = 0;        // variable B, 1..NBVar; 0 or A: the auto-correlogram of A
    std::int32_t permutations = 0;  // K, 0..MaxPermutations
    std::uint64_t seed = 1;         // S: the same seed gives the same figures on any number of threads
    unsigned threads = 0;           // 0: std::thread::hardware_concurrency()
};

// One shift of one direction.
// The permutation test of one shift, as the results carry it too (results.h).
struct ShiftTest {
    // Permutations that gave an r at this shift: one with a fault here is left out of this
    // shift only, one whose cells cannot be aggregated out of every shift. 0 when K = 0 or
    // the shift has no r.
    std::int32_t used = 0;
    // Two-sided p = (1 + permutations with |r| >= |r observed|, ties counting) / (1 + used),
    // in extended precision rounded to double; none when used = 0.
    std::optional<double> p;
    // The 2.5 % and 97.5 % quantiles of the permuted r (the envelope), each the linear
    // interpolation between order statistics: of n sorted values x0..x(n-1) at h = (n - 1) q,
    // x(floor h) + (h - floor h) (x(floor h + 1) - x(floor h)), h exact, the arithmetic in
    // extended precision rounded to double; none when used = 0.
    std::optional<double> low, high;
};

// One shift of one direction, with its test.
struct ShiftSignificance : ShiftTest {
    // Pairs of filled cells behind the shift, however few (the result tables hold 0 below 5).
    std::int32_t pairs = 0;
    // The correlation, as R_EW / R_NS hold it; none with fewer than 5 pairs or when its
    // computation faults.
    std::optional<double> r;
    // The fault the computation met at this shift, where Correlation_EW / NS would stop; the
    // other shifts go on.
    std::optional<FloatFailure::Kind> fault;
};

// A correlogram: shifts 0..lastShift(direction, N), none with N = 1 north-south.
using ShiftsSignificance = std::vector<ShiftSignificance>;

struct Significance {
    double fill = 0.0;  // the fill percentage of A's grid, as Remplit_Grille sets PourCent
    ShiftsSignificance eastWest, northSouth;

    const ShiftsSignificance& of(Direction direction) const
    {
        return direction == Direction::EastWest ? eastWest : northSouth;
    }
};

// Both correlograms of request.first against request.second on `store`, whose points are
// read and placed (Calcul_Mailles done for N = NBMailles, 1..30), with a permutation test
// when request.permutations > 0. A crossed correlogram pairs the cells of A with the cells
// of B k cells further and shuffles B; the auto-correlogram shuffles A, both cells of a
// pair taking the shuffled values. Each permutation is a Fisher-Yates shuffle of the
// original column; permutations come in blocks of 16, block b drawn from a generator
// seeded from (S, b) (permutation.h), and the blocks are spread over request.threads
// standard threads. The store is not changed. Throws FloatFailure when a variable's cells
// cannot be aggregated, as Remplit_Grille would.
Significance testSignificance(const Store& store, const SignificanceRequest& request);

}  // namespace geolago
