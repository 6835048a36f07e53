#pragma once
// Internal to the core: the fast road of the correlations, shared by correlate() and the
// permutation test. The pairs of every shift are given as a list (shift k owns pairs
// start[k]..start[k + 1] - 1, in the order of the plain definition), and four shifts are
// computed side by side, each with its own chains of sums, so that their additions
// overlap. The figures are those of plain::shiftFigures() bit for bit; on any fault the
// result is false and the caller computes the plain way.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis.h"
#include "extended.h"
#include "plain.h"

namespace geolago::abreast {

// Shifts computed side by side.
inline constexpr int Abreast = 4;

// r of a shift that has none (fewer than plain::MinPairs pairs).
inline constexpr double NoR = std::numeric_limits<double>::quiet_NaN();

// Calls step(g, i) for every pair i of each of the shifts g side by side, in order
// within each shift: the first pairs of all shifts interleaved, then the rest of each.
template <typename Step>
[[gnu::always_inline]] inline void visitAbreast(const int (&from)[Abreast], const int (&to)[Abreast], Step step)
{
    int together = to[0] - from[0];
    for (int g = 1; g < Abreast; ++g)
        together = std::min(together, to[g] - from[g]);
    for (int i = 0; i < together; ++i)
        for (int g = 0; g < Abreast; ++g)
            step(g, from[g] + i);
    for (int g = 0; g < Abreast; ++g)
        for (int i = from[g] + together; i < to[g]; ++i)
            step(g, i);
}

// r of shifts 0..last into r[0..last], NoR below plain::MinPairs pairs; x(i) and y(i)
// give the first and the second value of pair i, finite doubles. False on any fault,
// with `r` partly written.
template <typename First, typename Second>
bool correlations(First x, Second y, const int* start, std::int32_t last, double* r)
{
    try {
        for (std::int32_t k0 = 0; k0 <= last; k0 += Abreast) {
            // Shifts k0..k0+3; those beyond the last, or with too few pairs, take no pass.
            int from[Abreast], to[Abreast];
            double x0[Abreast] = {}, y0[Abreast] = {};
            for (int g = 0; g < Abreast; ++g) {
                const std::int32_t k = k0 + g;
                from[g] = to[g] = 0;
                if (k <= last && start[k + 1] - start[k] >= plain::MinPairs) {
                    from[g] = start[k];
                    to[g] = start[k + 1];
                    x0[g] = x(from[g]);
                    y0[g] = y(from[g]);
                }
            }

            double sx[Abreast] = {}, sy[Abreast] = {};
            visitAbreast(from, to, [&](int g, int i) {
                sx[g] += x(i) - x0[g];
                sy[g] += y(i) - y0[g];
            });
            double mx[Abreast] = {}, my[Abreast] = {};
            for (int g = 0; g < Abreast; ++g) {
                const std::int32_t j = to[g] - from[g];
                if (j > 0) {
                    mx[g] = x0[g] + sx[g] / j;
                    my[g] = y0[g] + sy[g] / j;
                }
            }

            double sxx[Abreast] = {}, syy[Abreast] = {}, sxy[Abreast] = {};
            visitAbreast(from, to, [&](int g, int i) {
                const double dx = x(i) - mx[g];
                const double dy = y(i) - my[g];
                sxx[g] += dx * dx;
                syy[g] += dy * dy;
                sxy[g] += dx * dy;
            });

            for (int g = 0; g < Abreast && k0 + g <= last; ++g)
                r[k0 + g] = to[g] > from[g] ? plain::pearson(mx[g], my[g], sxx[g], syy[g], sxy[g]) : NoR;
        }
    } catch (const FloatFailure&) {
        return false;
    }
    return true;
}

// The correlogram of correlate() the fast way, for N = `cells`: pairs[k], however few,
// and r[k], NoR below plain::MinPairs, for shifts 0..lastShift(). False on a fault, with
// every pairs[k] written all the same.
bool correlogram(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                 std::vector<std::int32_t>& pairs, std::vector<double>& r);

}  // namespace geolago::abreast
