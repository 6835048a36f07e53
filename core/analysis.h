#pragma once
// The steps of an analysis on a store: placement of the points in an N x N grid,
// aggregation of the chosen variable per cell, and the lagged correlations. They check
// none of their inputs (see refusals.h); floating-point faults leave as FloatFailure,
// with what was written before kept.

#include <cstdint>

#include "store.h"

namespace geolago {

// The largest and smallest coordinate `axis` (1 = X, 2 = Y) of points 1..P; point 1 is
// read even when P is 0.
void Cherche_MinMax(const Store& store, double& plusGrand, double& plusPetit, std::uint8_t axis);

// Writes the extent and the cell (IX, IY) of points 1..P for N = NBMailles; needs N >= 1.
void Calcul_Mailles(Store& store);

// Fills Grille[0..N][0..N] with the means of variable Num_Var and sets PourCent, the
// share of the (N + 1)^2 cells that are filled.
void Remplit_Grille(Store& store);

// Remplit_Grille() for `variable` into `grid` rather than the store's own: fills
// grid[0..N][0..N] from the store's cells of the points and returns the fill percentage.
// On a fault, the cells of the points before it keep their partial sums.
double fillGrid(const Store& store, std::uint8_t variable, Grid& grid);

// Clears R_EW and Paires_EW, then writes the east-west correlogram, shifts 0..N-1.
void Correlation_EW(Store& store);

// Clears R_NS and Paires_NS, then writes the north-south correlogram, shifts 0..N-2.
void Correlation_NS(Store& store);

// East-west pairs a cell with the one k cells further along its second index (IY, the
// Y-cell index); north-south with the one k cells further along its first index (IX).
enum class Direction { EastWest, NorthSouth };

// The last shift a direction computes for N cells: N - 1 east-west, N - 2 north-south.
inline std::int32_t lastShift(Direction direction, std::int32_t cells)
{
    return direction == Direction::EastWest ? cells - 1 : cells - 2;
}

// The distance shift k spans in the coordinates' unit, k (YMax - YMin) / N east-west (which
// pairs along Y) and k (XMax - XMin) / N north-south, in extended precision rounded to
// double. Needs the extent of Calcul_Mailles for N = NBMailles >= 1.
double shiftDistance(const Store& store, Direction direction, std::int32_t k);

// The correlogram of `direction` for N = `cells`: every filled cell of `first` with both
// indices in 1..N paired with the filled cell of `second` k cells further, for k = 0 up
// to lastShift(). Both grids come from the same placement, so they are filled alike; with
// `second` the same grid as `first` this is the auto-correlogram. `r` and `pairs` are
// cleared first; a shift with fewer than 5 pairs keeps r = 0 and 0 pairs. A fault leaves
// the figures of the shifts before it.
void correlate(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
               Correlations& r, PairCounts& pairs);

}  // namespace geolago
