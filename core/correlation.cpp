#include "analysis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "abreast.h"
#include "extended.h"
#include "plain.h"

namespace geolago {

namespace plain {

namespace {

// The pairs of filled cells for shift k, both cells with indices in 1..N, in the order
// b = 1..N-k, a = 1..N; `visit` gets the two cell values.
template <Direction direction, typename Visit>
void forEachPair(const Grid& first, const Grid& second, std::int32_t n, std::int32_t k, Visit visit)
{
    for (int b = 1; b <= n - k; ++b)
        for (int a = 1; a <= n; ++a) {
            const TCellule& x = direction == Direction::EastWest ? first[a][b] : first[b][a];
            const TCellule& y = direction == Direction::EastWest ? second[a][b + k] : second[b + k][a];
            if (x.Remplie != 0 && y.Remplie != 0)
                visit(x.Somme, y.Somme);
        }
}

template <Direction direction>
ShiftFigures shiftOf(const Grid& first, const Grid& second, std::int32_t n, std::int32_t k)
{
    ShiftFigures figures;
    std::int32_t j = 0;
    double x0 = 0, y0 = 0, sx = 0, sy = 0;
    forEachPair<direction>(first, second, n, k, [&](double x, double y) {
        if (j++ == 0) {
            x0 = x;
            y0 = y;
        }
        sx += x - x0;
        sy += y - y0;
    });
    figures.pairs = j;
    if (j < MinPairs)
        return figures;

    const double mx = x0 + sx / j;
    const double my = y0 + sy / j;
    double sxx = 0, syy = 0, sxy = 0;
    forEachPair<direction>(first, second, n, k, [&](double x, double y) {
        const double dx = x - mx;
        const double dy = y - my;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    });
    figures.r = pearson(mx, my, sxx, syy, sxy);
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

namespace abreast {

namespace {

// The cells of one grid as a direction pairs them: row b holds the cells whose shifted
// index is b, cell a of the row the one whose other index is a; one bit per filled cell
// with both indices in 1..N.
class Rows {
public:
    template <Direction direction>
    static Rows of(const Grid& grid, std::int32_t n)
    {
        Rows rows(n);
        for (int b = 1; b <= n; ++b)
            for (int a = 1; a <= n; ++a) {
                const TCellule& cell = direction == Direction::EastWest ? grid[a][b] : grid[b][a];
                rows.value_[rows.at(b, a)] = cell.Somme;
                if (cell.Remplie != 0)
                    rows.filled_[static_cast<std::size_t>(b * rows.words_ + a / 64)] |= std::uint64_t{1} << (a % 64);
            }
        return rows;
    }

    // The filled cells of row b, word w: bit i for cell 64 w + i.
    std::uint64_t filled(int b, int w) const { return filled_[static_cast<std::size_t>(b * words_ + w)]; }
    double value(int b, int a) const { return value_[at(b, a)]; }
    int words() const { return words_; }

private:
    explicit Rows(std::int32_t n)
        : n_(n), words_(n / 64 + 1),
          value_(static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(n + 1)),
          filled_(static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(words_))
    {
    }
    std::size_t at(int b, int a) const { return static_cast<std::size_t>(b) * static_cast<std::size_t>(n_ + 1) + static_cast<std::size_t>(a); }

    std::int32_t n_;
    int words_;
    std::vector<double> value_;
    std::vector<std::uint64_t> filled_;
};

// The pairs of each shift, b = 1..N-k then a = 1..N: the cells a where both [b][a] and
// [b + k][a] are filled are the bits common to their rows, taken lowest first.
template <Direction direction>
bool correlogramOf(const Grid& first, const Grid& second, std::int32_t n, std::vector<std::int32_t>& pairs,
                   std::vector<double>& r)
{
    const std::int32_t last = lastShift(direction, n);
    const Rows x = Rows::of<direction>(first, n);
    const Rows y = &first == &second ? x : Rows::of<direction>(second, n);
    std::vector<double> pairFirst, pairSecond;
    std::vector<int> start(static_cast<std::size_t>(std::max(last, -1) + 2));
    for (std::int32_t k = 0; k <= last; ++k) {
        start[static_cast<std::size_t>(k)] = static_cast<int>(pairFirst.size());
        for (int b = 1; b <= n - k; ++b)
            for (int w = 0; w < x.words(); ++w)
                for (std::uint64_t both = x.filled(b, w) & y.filled(b + k, w); both != 0; both &= both - 1) {
                    const int a = 64 * w + std::countr_zero(both);
                    pairFirst.push_back(x.value(b, a));
                    pairSecond.push_back(y.value(b + k, a));
                }
    }
    start[static_cast<std::size_t>(last + 1)] = static_cast<int>(pairFirst.size());

    pairs.resize(static_cast<std::size_t>(last + 1));
    r.assign(static_cast<std::size_t>(last + 1), NoR);
    for (std::int32_t k = 0; k <= last; ++k)
        pairs[static_cast<std::size_t>(k)] = start[static_cast<std::size_t>(k) + 1] - start[static_cast<std::size_t>(k)];
    return correlations([&](int i) { return pairFirst[static_cast<std::size_t>(i)]; },
                        [&](int i) { return pairSecond[static_cast<std::size_t>(i)]; }, start.data(), last, r.data());
}

}  // namespace

bool correlogram(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                 std::vector<std::int32_t>& pairs, std::vector<double>& r)
{
    return direction == Direction::EastWest ? correlogramOf<Direction::EastWest>(first, second, cells, pairs, r)
                                            : correlogramOf<Direction::NorthSouth>(first, second, cells, pairs, r);
}

}  // namespace abreast

void correlate(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
               Correlations& r, PairCounts& pairs)
{
    r.clear();
    pairs.clear();
    std::vector<std::int32_t> fastPairs;
    std::vector<double> fastR;
    if (!abreast::correlogram(direction, first, second, cells, fastPairs, fastR)) {
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
