#pragma once
// The steps of an analysis on a store: placement of the points in an N x N grid,
// aggregation of the chosen variable per cell, and the lagged correlations. They check
// none of their inputs (see refusals.h); floating-point faults leave as FloatFailure,
// with what was written before kept.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "correlogram.h"
#include "store.h"

namespace geolago {

// The largest and smallest coordinate `axis` (1 = X, 2 = Y) of points 1..P; point 1 is
// read even when P is 0.
void Cherche_MinMax(const Store& store, double& plusGrand, double& plusPetit, std::uint8_t axis);

// Writes the extent and the cell (IX, IY) of points 1..P for N = NBMailles; needs N >= 1.
// The cells are then current, the grid and the correlograms outdated.
void Calcul_Mailles(Store& store);

// Fills Grille[0..N][0..N] with the means of variable Num_Var and sets PourCent, the
// share of the (N + 1)^2 cells that are filled, a point whose value is missing filling
// none; the grid is then current, the correlograms outdated. Throws StepFailure when the
// cells are not current.
void Remplit_Grille(Store& store);

// Throws StepFailure unless the points are placed for the current points and N.
void requireCellsPlaced(const Store& store);

// Remplit_Grille() for `variable` into `grid` rather than the store's own: fills
// grid[0..N][0..N] from the store's cells of the points, and gives the grid its N and its
// fill percentage. The sums are formed apart, so a cell's Somme only ever holds its mean:
// on a fault, the cells 0..N are left cleared.
void fillGrid(const Store& store, VariablePosition variable, Grid& grid);

// fillGrid() of points 1..values.size() of `placement`, with `values` in place of a
// variable's column, point i at index i - 1.
void fillGrid(const Placement& placement, std::span<const double> values, Grid& grid);

// The east-west correlogram of Grille for N = NBMailles, shifts 0..N-1, into `result`'s
// east-west shifts (with their distances), cleared first; `result` also takes the
// variable, N and the fill percentage. A fault leaves the shifts before it written.
// Throws StepFailure when the grid is not current.
void Correlation_EW(Store& store);

// The north-south correlogram, shifts 0..N-2, likewise into `result`; the calculation
// is then current.
void Correlation_NS(Store& store);

// No bound on the shifts computed.
inline constexpr std::int32_t AllShifts = std::numeric_limits<std::int32_t>::max();

// The last shift a direction computes for N cells: N - 1 east-west, N - 2 north-south,
// and none beyond `maxShift`.
inline std::int32_t lastShift(Direction direction, std::int32_t cells, std::int32_t maxShift = AllShifts)
{
    return std::min(direction == Direction::EastWest ? cells - 1 : cells - 2, maxShift);
}

// The shifts a correlogram lists for N cells: 0..N-1, none beyond `maxShift`.
inline std::int32_t shiftCount(std::int32_t cells, std::int32_t maxShift = AllShifts)
{
    return std::max(0, static_cast<std::int32_t>(std::min<std::int64_t>(cells, std::int64_t{maxShift} + 1)));
}

// The distance shift k spans in the coordinates' unit, k (YMax - YMin) / N east-west (which
// pairs along Y) and k (XMax - XMin) / N north-south, in extended precision rounded to
// double, then to 12 significant digits. Needs the extent of Calcul_Mailles for
// N = NBMailles >= 1.
double shiftDistance(const Placement& placement, Direction direction, std::int32_t k);

// Gives `lag` its vector and the distances it spans along X and Y (shiftDistance()).
void setLag(const Placement& placement, Shift& lag, ShiftVector vector);

// Where r first falls from positive to negative along `shifts`: for the first two
// consecutive shifts with an r (those without one skipped) whose r goes from above 0 to 0 or
// below, the distance interpolated linearly to r = 0 between theirs; none when r never does.
std::optional<double> firstZeroCrossing(const std::vector<Shift>& shifts);

// The correlogram of `direction` for the N of `first`: every filled cell of `first` with both
// indices in 1..N paired with the filled cell of `second` k cells further, for k = 0 up
// to lastShift(). Both grids come from the same placement, so they have the same N and are
// filled alike; with `second` the same grid as `first` this is the auto-correlogram. `shifts` is set to
// shifts 0..N-1 without r first (distances 0); a fault leaves the r of the shifts before it.
// With `maxShift`, only the shifts up to it are listed and computed.
void correlate(Direction direction, const Grid& first, const Grid& second, std::vector<Shift>& shifts,
               std::int32_t maxShift = AllShifts);

// Both correlograms of variable `first`, or of `first` crossed with `second` (A's cells
// first, B's k cells further; none, position 0 or `first`'s position for the
// auto-correlogram), on the points of `store` placed for N = NBMailles: the grids as
// Remplit_Grille fills them, without touching the store's own, then correlate() and the
// distances. The result is headed with `first` and `second` as given, names included.
// Throws FloatFailure where Remplit_Grille or the correlations would stop, StepFailure
// when the cells are not current.
Correlogram computeCorrelogram(const Store& store, const VariableRef& first,
                               const std::optional<VariableRef>& second = std::nullopt,
                               std::int32_t maxShift = AllShifts);

// computeCorrelogram() of variables named by their positions alone; `second` 0 or `first`
// for the auto-correlogram, which then has no `with`.
Correlogram computeCorrelogram(const Store& store, VariablePosition first, VariablePosition second = 0,
                               std::int32_t maxShift = AllShifts);

// A variable named by its position alone.
inline VariableRef byPosition(VariablePosition position)
{
    return {position, std::to_string(position)};
}

}  // namespace geolago
