#include "analysis.h"
#include "extended.h"
#include "store.h"

namespace geolago {

namespace {

// Fewer pairs than this give no correlation for a shift.
constexpr std::int32_t MinPairs = 5;

enum class Direction { EastWest, NorthSouth };

// The pairs of filled cells for shift k, both cells with indices in 1..N, in the order
// b = 1..N-k, a = 1..N; `visit` gets the two cell values rounded to single precision.
// East-west shifts the second (Y-cell) index, north-south the first (X-cell) index.
template <Direction direction, typename Visit>
void forEachPair(std::int32_t n, std::int32_t k, Visit visit)
{
    for (int b = 1; b <= n - k; ++b)
        for (int a = 1; a <= n; ++a) {
            const TCellule& first = direction == Direction::EastWest ? Grille[a][b] : Grille[b][a];
            const TCellule& second = direction == Direction::EastWest ? Grille[a][b + k] : Grille[b + k][a];
            if (first.Remplie != 0 && second.Remplie != 0) {
                const float x = toSingle(first.Somme);
                const float y = toSingle(second.Somme);
                visit(x, y);
            }
        }
}

// The correlogram of one direction for shifts 0..lastShift, into tables cleared first so
// that no figure of an earlier calculation stays. Every step is evaluated in extended
// precision and rounded to single precision where its result is kept.
template <Direction direction>
void correlate(Table<double, 0, MaxMailles>& r, Table<std::int32_t, 0, MaxMailles>& pairs, std::int32_t lastShift)
{
    r.clear();
    pairs.clear();
    const std::int32_t n = NBMailles;
    for (std::int32_t k = 0; k <= lastShift; ++k) {
        std::int32_t j = 0;
        float sx = 0, sxx = 0, sy = 0, syy = 0;
        forEachPair<direction>(n, k, [&](float x, float y) {
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
        forEachPair<direction>(n, k, [&](float x, float y) {
            c = toSingle(static_cast<Ext>(c) + (static_cast<Ext>(x) - mx) * (static_cast<Ext>(y) - my));
        });
        c = toSingle(divide(c, j));
        const float coefficient = toSingle(divide(c, static_cast<Ext>(devX) * devY));

        r[k] = coefficient;
        pairs[k] = j;
    }
}

}  // namespace

void Correlation_EW()
{
    correlate<Direction::EastWest>(R_EW, Paires_EW, NBMailles - 1);
}

void Correlation_NS()
{
    correlate<Direction::NorthSouth>(R_NS, Paires_NS, NBMailles - 2);
}

}  // namespace geolago
