#pragma once
// The lagged correlation of one direction written plainly from its definition: shift
// after shift, pair after pair, each value rounded where it is kept and each fault raised
// where it happens. The core computes several shifts at once; the tests and the analysis
// fuzz target hold it to this one, figure for figure.

#include <cstdint>
#include <optional>

#include "analysis.h"
#include "extended.h"
#include "failures.h"
#include "store.h"

namespace geolago::reference {

struct Figures {
    double r[MaxMailles + 1] = {};
    std::int32_t pairs[MaxMailles + 1] = {};
    std::optional<FloatFailure::Kind> failure;
};

// The figures of the east-west (shifting IY, shifts 0..N-1) or north-south (shifting IX,
// shifts 0..N-2) correlogram of Grille for N = NBMailles, from tables cleared first.
inline Figures correlogram(bool eastWest)
{
    Figures out;
    const std::int32_t n = NBMailles;
    const std::int32_t last = eastWest ? n - 1 : n - 2;
    auto cell = [&](int a, int b, int k) -> const TCellule& {
        return eastWest ? Grille[a][b + k] : Grille[b + k][a];
    };
    try {
        for (std::int32_t k = 0; k <= last; ++k) {
            std::int32_t j = 0;
            float sx = 0, sxx = 0, sy = 0, syy = 0;
            for (int b = 1; b <= n - k; ++b)
                for (int a = 1; a <= n; ++a)
                    if (cell(a, b, 0).Remplie != 0 && cell(a, b, k).Remplie != 0) {
                        const float x = toSingle(cell(a, b, 0).Somme);
                        const float y = toSingle(cell(a, b, k).Somme);
                        ++j;
                        sx = toSingle(static_cast<Ext>(sx) + x);
                        sxx = toSingle(static_cast<Ext>(sxx) + static_cast<Ext>(x) * x);
                        sy = toSingle(static_cast<Ext>(sy) + y);
                        syy = toSingle(static_cast<Ext>(syy) + static_cast<Ext>(y) * y);
                    }
            if (j < 5) {
                out.r[k] = 0.0;
                continue;
            }
            const float mx = toSingle(divide(sx, j));
            const float my = toSingle(divide(sy, j));
            const float devX = toSingle(squareRoot(divide(sxx, j) - static_cast<Ext>(mx) * mx));
            const float devY = toSingle(squareRoot(divide(syy, j) - static_cast<Ext>(my) * my));
            float c = 0;
            for (int b = 1; b <= n - k; ++b)
                for (int a = 1; a <= n; ++a)
                    if (cell(a, b, 0).Remplie != 0 && cell(a, b, k).Remplie != 0) {
                        const float x = toSingle(cell(a, b, 0).Somme);
                        const float y = toSingle(cell(a, b, k).Somme);
                        c = toSingle(static_cast<Ext>(c) + (static_cast<Ext>(x) - mx) * (static_cast<Ext>(y) - my));
                    }
            c = toSingle(divide(c, j));
            out.r[k] = toSingle(divide(c, static_cast<Ext>(devX) * devY));
            out.pairs[k] = j;
        }
    } catch (const FloatFailure& failure) {
        out.failure = failure.kind();
    }
    return out;
}

// The figures the core leaves for the same direction, with the fault it raised, if any.
inline Figures coreCorrelogram(bool eastWest)
{
    Figures out;
    try {
        eastWest ? Correlation_EW() : Correlation_NS();
    } catch (const FloatFailure& failure) {
        out.failure = failure.kind();
    }
    for (int k = 0; k <= MaxMailles; ++k) {
        out.r[k] = eastWest ? R_EW[k] : R_NS[k];
        out.pairs[k] = eastWest ? Paires_EW[k] : Paires_NS[k];
    }
    return out;
}

}  // namespace geolago::reference
