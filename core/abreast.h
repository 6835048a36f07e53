#pragma once
// Internal to the core: the arithmetic of the fast correlation path, shared by
// correlate() and the permutation test. The pairs of every shift are given as a list
// (shift k owns pairs start[k]..start[k + 1] - 1, in the order of the plain definition),
// and four shifts are computed side by side. The figures are those of
// plain::shiftFigures() bit for bit; on any fault the result is false and the caller
// computes the plain way.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "extended.h"
#include "plain.h"

namespace geolago::abreast {

// The figures of every shift, gathered before any is stored.
struct Figures {
    std::int32_t pairs[MaxMailles + 1];
    float r[MaxMailles + 1];  // 0 below plain::MinPairs
};

// Shifts computed side by side: each shift's sums are a chain of additions, each waiting
// for the rounding of the one before, and the chains of several shifts overlap.
inline constexpr int Abreast = 4;

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

// The figures of shifts 0..last, x(i) and y(i) giving the first and the second value of
// pair i, both finite single-precision values. False on any fault, with `out` partly
// written.
//
// Rounding is the same step for step. The sums of x and of y add two single-precision
// values, whose sum rounded to double and then to single is the sum rounded once to
// single, as through extended precision (both carry more than 2 x 24 + 1 bits); the
// other steps are made in extended precision as the definition makes them.
template <typename First, typename Second>
bool figures(First x, Second y, const int* start, std::int32_t last, Figures& out)
{
    using plain::MinPairs;
    try {
        for (std::int32_t k0 = 0; k0 <= last; k0 += Abreast) {
            // Shifts k0..k0+3; those beyond the last have no pairs.
            int from[Abreast], to[Abreast];
            for (int g = 0; g < Abreast; ++g) {
                const std::int32_t k = k0 + g;
                from[g] = k <= last ? start[k] : 0;
                to[g] = k <= last ? start[k + 1] : 0;
            }

            // First pass.
            float sx[Abreast] = {}, sxx[Abreast] = {}, sy[Abreast] = {}, syy[Abreast] = {};
            visitAbreast(from, to, [&](int g, int i) {
                const float xi = x(i);
                const float yi = y(i);
                sx[g] = static_cast<float>(static_cast<double>(sx[g]) + xi);
                sxx[g] = static_cast<float>(static_cast<Ext>(sxx[g]) + static_cast<Ext>(xi) * xi);
                sy[g] = static_cast<float>(static_cast<double>(sy[g]) + yi);
                syy[g] = static_cast<float>(static_cast<Ext>(syy[g]) + static_cast<Ext>(yi) * yi);
            });

            // Means and deviations; a shift with fewer than 5 pairs takes no second pass.
            float mx[Abreast] = {}, my[Abreast] = {}, devX[Abreast] = {}, devY[Abreast] = {};
            for (int g = 0; g < Abreast; ++g) {
                const std::int32_t j = to[g] - from[g];
                // A sum that left single precision stays infinite to the end.
                if (std::isinf(sx[g]) || std::isinf(sxx[g]) || std::isinf(sy[g]) || std::isinf(syy[g]))
                    return false;
                if (j < MinPairs) {
                    to[g] = from[g];
                    continue;
                }
                mx[g] = toSingle(divide(sx[g], j));
                my[g] = toSingle(divide(sy[g], j));
                devX[g] = toSingle(squareRoot(divide(sxx[g], j) - static_cast<Ext>(mx[g]) * mx[g]));
                devY[g] = toSingle(squareRoot(divide(syy[g], j) - static_cast<Ext>(my[g]) * my[g]));
            }

            // Second pass.
            float c[Abreast] = {};
            visitAbreast(from, to, [&](int g, int i) {
                c[g] = static_cast<float>(static_cast<Ext>(c[g])
                                          + (static_cast<Ext>(x(i)) - mx[g]) * (static_cast<Ext>(y(i)) - my[g]));
            });

            for (int g = 0; g < Abreast && k0 + g <= last; ++g) {
                const std::int32_t k = k0 + g;
                const std::int32_t j = start[k + 1] - start[k];
                out.pairs[k] = j;
                if (j < MinPairs) {
                    out.r[k] = 0;
                    continue;
                }
                const float covariance = toSingle(divide(c[g], j));
                out.r[k] = toSingle(divide(covariance, static_cast<Ext>(devX[g]) * devY[g]));
            }
        }
    } catch (const FloatFailure&) {
        return false;
    }
    return true;
}

}  // namespace geolago::abreast
