#include "analysis.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "extended.h"
#include "plain.h"

namespace geolago {

namespace plain {

namespace {

// The pairs of filled cells for shift k, both cells with indices in 1..N, in the order
// b = 1..N-k, a = 1..N; `visit` gets the two cell values rounded to single precision.
template <Direction direction, typename Visit>
void forEachPair(const Grid& first, const Grid& second, std::int32_t n, std::int32_t k, Visit visit)
{
    for (int b = 1; b <= n - k; ++b)
        for (int a = 1; a <= n; ++a) {
            const TCellule& x = direction == Direction::EastWest ? first[a][b] : first[b][a];
            const TCellule& y = direction == Direction::EastWest ? second[a][b + k] : second[b + k][a];
            if (x.Remplie != 0 && y.Remplie != 0)
                visit(toSingle(x.Somme), toSingle(y.Somme));
        }
}

template <Direction direction>
void correlogramOf(const Grid& first, const Grid& second, std::int32_t n, Correlations& r, PairCounts& pairs)
{
    for (std::int32_t k = 0; k <= lastShift(direction, n); ++k) {
        std::int32_t j = 0;
        float sx = 0, sxx = 0, sy = 0, syy = 0;
        forEachPair<direction>(first, second, n, k, [&](float x, float y) {
            ++j;
            sx = toSingle(static_cast<Ext>(sx) + x);
            sxx = toSingle(static_cast<Ext>(sxx) + static_cast<Ext>(x) * x);
            sy = toSingle(static_cast<Ext>(sy) + y);
            syy = toSingle(static_cast<Ext>(syy) + static_cast<Ext>(y) * y);
        });
        if (j < MinPairs) {
            r[k] = 0.0;
            continue;
        }

        const float mx = toSingle(divide(sx, j));
        const float my = toSingle(divide(sy, j));
        const float devX = toSingle(squareRoot(divide(sxx, j) - static_cast<Ext>(mx) * mx));
        const float devY = toSingle(squareRoot(divide(syy, j) - static_cast<Ext>(my) * my));

        float c = 0;
        forEachPair<direction>(first, second, n, k, [&](float x, float y) {
            c = toSingle(static_cast<Ext>(c) + (static_cast<Ext>(x) - mx) * (static_cast<Ext>(y) - my));
        });
        c = toSingle(divide(c, j));
        r[k] = toSingle(divide(c, static_cast<Ext>(devX) * devY));
        pairs[k] = j;
    }
}

}  // namespace

void correlogram(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                 Correlations& r, PairCounts& pairs)
{
    if (direction == Direction::EastWest)
        correlogramOf<Direction::EastWest>(first, second, cells, r, pairs);
    else
        correlogramOf<Direction::NorthSouth>(first, second, cells, r, pairs);
}

}  // namespace plain

namespace {

using plain::MinPairs;

// The figures of every shift, as plain::correlogram() computes them, gathered before any
// is stored.
struct Figures {
    std::int32_t pairs[MaxMailles + 1];
    float r[MaxMailles + 1];
};

// Shifts computed side by side: each shift's sums are a chain of additions, each waiting
// for the rounding of the one before, and the chains of several shifts overlap.
constexpr int Abreast = 4;

// Calls step(g, i) for every pair i of each of the shifts g side by side, in order
// within each shift: the first pairs of all shifts interleaved, then the rest of each.
template <typename Step>
void visitAbreast(const int (&from)[Abreast], const int (&to)[Abreast], Step step)
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

// The cells of one grid in single precision, [b][a] for the pairs' order (the
// direction's shifted index first); bit a of filled[b] tells whether cell [b][a] is
// filled. False when a filled cell's value leaves single precision.
template <Direction direction>
bool singleCells(const Grid& grid, std::int32_t n, float (&value)[MaxMailles + 1][MaxMailles + 1],
                 std::uint32_t (&filled)[MaxMailles + 1])
{
    for (int b = 1; b <= n; ++b) {
        filled[b] = 0;
        for (int a = 1; a <= n; ++a) {
            const TCellule& cell = direction == Direction::EastWest ? grid[a][b] : grid[b][a];
            value[b][a] = static_cast<float>(cell.Somme);
            if (cell.Remplie != 0) {
                filled[b] |= std::uint32_t{1} << a;
                if (!std::isfinite(value[b][a]))
                    return false;
            }
        }
    }
    return true;
}

// The figures of plain::correlogram(), about three times faster: the pairs of each shift
// are listed once for both passes, and four shifts run side by side. Nothing is stored
// and no fault is raised: on any fault the result is false, and the caller computes
// again the plain way so that the fault and the figures before it come out as they
// should.
//
// Rounding is the same step for step. The sums of x and of y add two single-precision
// values, whose sum rounded to double and then to single is the sum rounded once to
// single, as through extended precision (both carry more than 2 x 24 + 1 bits); the
// other steps are made in extended precision as the definition makes them.
template <Direction direction>
bool correlateAbreast(const Grid& first, const Grid& second, std::int32_t n, Figures& out)
{
    const std::int32_t last = lastShift(direction, n);
    float firstValue[MaxMailles + 1][MaxMailles + 1], secondValue[MaxMailles + 1][MaxMailles + 1];
    std::uint32_t firstFilled[MaxMailles + 1] = {}, secondFilled[MaxMailles + 1] = {};
    if (!singleCells<direction>(first, n, firstValue, firstFilled)
        || !singleCells<direction>(second, n, secondValue, secondFilled))
        return false;

    // The pairs of each shift, b = 1..N-k then a = 1..N: the cells a where both [b][a]
    // and [b + k][a] are filled are the bits common to their rows, taken lowest first. At
    // most N x (N - k) pairs for shift k, N^2 (N + 1) / 2 for shifts 0..N-1.
    constexpr int MaxPairs = MaxMailles * MaxMailles * (MaxMailles + 1) / 2;
    float pairFirst[MaxPairs];
    float pairSecond[MaxPairs];
    int start[MaxMailles + 2];
    int count = 0;
    for (std::int32_t k = 0; k <= last; ++k) {
        start[k] = count;
        for (int b = 1; b <= n - k; ++b)
            for (std::uint32_t both = firstFilled[b] & secondFilled[b + k]; both != 0; both &= both - 1) {
                const int a = std::countr_zero(both);
                pairFirst[count] = firstValue[b][a];
                pairSecond[count] = secondValue[b + k][a];
                ++count;
            }
    }
    start[last + 1] = count;

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
                const float x = pairFirst[i];
                const float y = pairSecond[i];
                sx[g] = static_cast<float>(static_cast<double>(sx[g]) + x);
                sxx[g] = static_cast<float>(static_cast<Ext>(sxx[g]) + static_cast<Ext>(x) * x);
                sy[g] = static_cast<float>(static_cast<double>(sy[g]) + y);
                syy[g] = static_cast<float>(static_cast<Ext>(syy[g]) + static_cast<Ext>(y) * y);
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
                                          + (static_cast<Ext>(pairFirst[i]) - mx[g]) * (static_cast<Ext>(pairSecond[i]) - my[g]));
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

}  // namespace

void correlate(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
               Correlations& r, PairCounts& pairs)
{
    r.clear();
    pairs.clear();
    Figures figures;
    const bool done = direction == Direction::EastWest
        ? correlateAbreast<Direction::EastWest>(first, second, cells, figures)
        : correlateAbreast<Direction::NorthSouth>(first, second, cells, figures);
    if (!done) {
        plain::correlogram(direction, first, second, cells, r, pairs);
        return;
    }
    for (std::int32_t k = 0; k <= lastShift(direction, cells); ++k) {
        r[k] = figures.r[k];
        if (figures.pairs[k] >= MinPairs)
            pairs[k] = figures.pairs[k];
    }
}

void Correlation_EW(Store& store)
{
    correlate(Direction::EastWest, store.Grille, store.Grille, store.NBMailles, store.R_EW, store.Paires_EW);
}

void Correlation_NS(Store& store)
{
    correlate(Direction::NorthSouth, store.Grille, store.Grille, store.NBMailles, store.R_NS, store.Paires_NS);
}

}  // namespace geolago
