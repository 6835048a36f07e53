#include "analysis.h"

#include <bit>
#include <cmath>

#include "abreast.h"
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
ShiftFigures shiftOf(const Grid& first, const Grid& second, std::int32_t n, std::int32_t k)
{
    ShiftFigures figures;
    std::int32_t j = 0;
    float sx = 0, sxx = 0, sy = 0, syy = 0;
    forEachPair<direction>(first, second, n, k, [&](float x, float y) {
        ++j;
        sx = toSingle(static_cast<Ext>(sx) + x);
        sxx = toSingle(static_cast<Ext>(sxx) + static_cast<Ext>(x) * x);
        sy = toSingle(static_cast<Ext>(sy) + y);
        syy = toSingle(static_cast<Ext>(syy) + static_cast<Ext>(y) * y);
    });
    figures.pairs = j;
    if (j < MinPairs)
        return figures;

    const float mx = toSingle(divide(sx, j));
    const float my = toSingle(divide(sy, j));
    const float devX = toSingle(squareRoot(divide(sxx, j) - static_cast<Ext>(mx) * mx));
    const float devY = toSingle(squareRoot(divide(syy, j) - static_cast<Ext>(my) * my));

    float c = 0;
    forEachPair<direction>(first, second, n, k, [&](float x, float y) {
        c = toSingle(static_cast<Ext>(c) + (static_cast<Ext>(x) - mx) * (static_cast<Ext>(y) - my));
    });
    c = toSingle(divide(c, j));
    figures.r = toSingle(divide(c, static_cast<Ext>(devX) * devY));
    return figures;
}

}  // namespace

ShiftFigures shiftFigures(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                          std::int32_t k)
{
    return direction == Direction::EastWest ? shiftOf<Direction::EastWest>(first, second, cells, k)
                                            : shiftOf<Direction::NorthSouth>(first, second, cells, k);
}

void correlogram(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                 Correlations& r, PairCounts& pairs)
{
    for (std::int32_t k = 0; k <= lastShift(direction, cells); ++k) {
        const ShiftFigures figures = shiftFigures(direction, first, second, cells, k);
        r[k] = figures.r;
        if (figures.pairs >= MinPairs)
            pairs[k] = figures.pairs;
    }
}

}  // namespace plain

namespace {

using plain::MinPairs;

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
// are listed once for both passes, and four shifts run side by side (abreast.h). Nothing
// is stored and no fault is raised: on any fault the result is false, and the caller
// computes again the plain way so that the fault and the figures before it come out as
// they should.
template <Direction direction>
bool correlateAbreast(const Grid& first, const Grid& second, std::int32_t n, abreast::Figures& out)
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

    return abreast::figures([&](int i) { return pairFirst[i]; }, [&](int i) { return pairSecond[i]; }, start, last,
                            out);
}

}  // namespace

void correlate(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
               Correlations& r, PairCounts& pairs)
{
    r.clear();
    pairs.clear();
    abreast::Figures figures;
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
