#include "analysis.h"

#include <vector>

#include "extended.h"
#include "lanes.h"
#include "plain.h"

namespace geolago {

namespace plain {

namespace {

// The pairs of filled cells for shift k, both cells with indices in 1..N, in the order
// b = 1..N-k, a = 1..N; `visit` gets a and the two cell values.
template <Direction direction, typename Visit>
void forEachPair(const Grid& first, const Grid& second, std::int32_t n, std::int32_t k, Visit visit)
{
    for (int b = 1; b <= n - k; ++b)
        for (int a = 1; a <= n; ++a) {
            const TCellule& x = direction == Direction::EastWest ? first[a][b] : first[b][a];
            const TCellule& y = direction == Direction::EastWest ? second[a][b + k] : second[b + k][a];
            if (x.Remplie != 0 && y.Remplie != 0)
                visit(a, x.Somme, y.Somme);
        }
}

template <Direction direction>
ShiftFigures shiftOf(const Grid& first, const Grid& second, std::int32_t n, std::int32_t k)
{
    ShiftFigures figures;
    std::int32_t j = 0;
    double x0 = 0, y0 = 0;
    LaneSum sx, sy;
    forEachPair<direction>(first, second, n, k, [&](int a, double x, double y) {
        if (j++ == 0) {
            x0 = x;
            y0 = y;
        }
        sx.add(a, x - x0);
        sy.add(a, y - y0);
    });
    figures.pairs = j;
    if (j < MinPairs)
        return figures;

    const double mx = x0 + sx.total() / j;
    const double my = y0 + sy.total() / j;
    LaneSum sxx, syy, sxy;
    forEachPair<direction>(first, second, n, k, [&](int a, double x, double y) {
        const double dx = x - mx;
        const double dy = y - my;
        sxx.add(a, dx * dx);
        syy.add(a, dy * dy);
        sxy.add(a, dx * dy);
    });
    figures.r = pearson(mx, my, sxx.total(), syy.total(), sxy.total());
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

void correlate(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
               Correlations& r, PairCounts& pairs)
{
    r.clear();
    pairs.clear();
    std::vector<std::int32_t> fastPairs;
    std::vector<double> fastR;
    if (!lanes::correlogram(direction, first, second, cells, fastPairs, fastR)) {
        // The plain road, so that the fault and the figures before it come out where the
        // definition puts them.
        plain::correlogram(direction, first, second, cells, r, pairs);
        return;
    }
    for (std::int32_t k = 0; k <= lastShift(direction, cells); ++k) {
        const std::size_t s = static_cast<std::size_t>(k);
        if (fastPairs[s] >= plain::MinPairs) {
            r[k] = fastR[s];
            pairs[k] = fastPairs[s];
        }
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
