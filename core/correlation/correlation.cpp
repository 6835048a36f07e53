#include "analysis.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "extended.h"
#include "fast_correlation.h"
#include "plain_definitions.h"

namespace geolago {

namespace plain {

namespace {

// The pairs of filled cells for step (rows, columns) in the layout where row b, column a
// is cell [a][b] (east-west) or [b][a] (north-south), all indices in 1..N, in the order
// of b then a; `visit` gets a and the two cell values.
template <Direction layout, typename Visit>
void forEachPair(const Grid& first, const Grid& second, std::int32_t n, std::int32_t rows, std::int32_t columns,
                 Visit visit)
{
    for (int b = std::max(1, 1 - rows); b <= std::min(n, n - rows); ++b)
        for (int a = std::max(1, 1 - columns); a <= std::min(n, n - columns); ++a) {
            const TCellule& x = layout == Direction::EastWest ? first[a][b] : first[b][a];
            const TCellule& y = layout == Direction::EastWest ? second[a + columns][b + rows]
                                                              : second[b + rows][a + columns];
            if (x.Remplie != 0 && y.Remplie != 0)
                visit(a, x.Somme, y.Somme);
        }
}

template <Direction layout>
Shift figuresOf(const Grid& first, const Grid& second, std::int32_t n, std::int32_t rows, std::int32_t columns)
{
    Shift figures;
    std::int32_t j = 0;
    double x0 = 0, y0 = 0;
    LaneSum sx, sy;
    forEachPair<layout>(first, second, n, rows, columns, [&](int a, double x, double y) {
        if (j++ == 0) {
            x0 = x;
            y0 = y;
        }
        sx.add(a, x - x0);
        sy.add(a, y - y0);
    });
    if (j < MinPairs)
        return figures;

    const double mx = x0 + sx.total() / j;
    const double my = y0 + sy.total() / j;
    LaneSum sxx, syy, sxy;
    forEachPair<layout>(first, second, n, rows, columns, [&](int a, double x, double y) {
        const double dx = x - mx;
        const double dy = y - my;
        sxx.add(a, dx * dx);
        syy.add(a, dy * dy);
        sxy.add(a, dx * dy);
    });
    const double r = pearson(mx, my, sxx.total(), syy.total(), sxy.total());
    if (std::isnan(r)) {
        figures.equalValues = true;
        return figures;
    }
    figures.r = r;
    figures.pairs = j;
    return figures;
}

}  // namespace

Shift vectorFigures(const Grid& first, const Grid& second, ShiftVector v)
{
    const std::int32_t cells = first.cellsPerAxis();
    return layoutOf(v) == Direction::EastWest ? figuresOf<Direction::EastWest>(first, second, cells, v.dy, v.dx)
                                              : figuresOf<Direction::NorthSouth>(first, second, cells, v.dx, v.dy);
}

void correlogram(Direction direction, const Grid& first, const Grid& second, std::vector<Shift>& shifts,
                 std::int32_t maxShift)
{
    const std::int32_t cells = first.cellsPerAxis();
    shifts.assign(static_cast<std::size_t>(shiftCount(cells, maxShift)), Shift{});
    for (std::int32_t k = 0; k <= lastShift(direction, cells, maxShift); ++k)
        shifts[static_cast<std::size_t>(k)] = shiftFigures(direction, first, second, k);
}

}  // namespace plain

namespace {

// The distance of every shift of `direction`, then where its r first crosses zero.
void setDistances(const Placement& placement, Direction direction, Correlogram& result)
{
    std::vector<Shift>& shifts = result.of(direction);
    for (std::size_t k = 0; k < shifts.size(); ++k)
        setLag(placement, shifts[k], shiftVector(direction, static_cast<std::int32_t>(k)));
    result.zeroCrossing(direction) = firstZeroCrossing(shifts);
}

// Whether the filled cells of `grid` all hold the same mean.
bool oneValue(const Grid& grid)
{
    const std::int32_t cells = grid.cellsPerAxis();
    std::optional<double> seen;
    for (int ix = 1; ix <= cells; ++ix)
        for (int iy = 1; iy <= cells; ++iy)
            if (grid[ix][iy].Remplie != 0) {
                if (seen && *seen != grid[ix][iy].Somme)
                    return false;
                seen = grid[ix][iy].Somme;
            }
    return true;
}

void requireGridFilled(const Store& store)
{
    if (!store.current.gridFilled)
        throw StepFailure("La grille n'est pas remplie pour ces mailles : validez la variable");
}

// One direction of the correlogram of the store's grid into its result, as far as the
// computation got.
void correlateStore(Store& store, Direction direction)
{
    Correlogram& result = store.result;
    result.variable = {store.Num_Var, store.Nom_Var};
    result.with.reset();
    result.cellsPerAxis = store.Grille.cellsPerAxis();
    result.fill = store.Grille.fill();
    std::vector<Shift>& shifts = result.of(direction);
    result.zeroCrossing(direction).reset();
    correlate(direction, store.Grille, store.Grille, shifts);
    setDistances(store, direction, result);
}

}  // namespace

namespace {

// The figures of correlate(), before the check that some shift has an r.
void correlateShifts(Direction direction, const Grid& first, const Grid& second, std::vector<Shift>& shifts,
                     std::int32_t maxShift)
{
    const std::int32_t cells = first.cellsPerAxis();
    assert(second.cellsPerAxis() == cells && first.capacity() >= cells && second.capacity() >= cells);
    shifts.assign(static_cast<std::size_t>(shiftCount(cells, maxShift)), Shift{});
    std::vector<std::int32_t> pairs;
    std::vector<double> r;
    if (!fast::correlogram(direction, first, second, pairs, r, maxShift)) {
        // The plain path, so that the fault and the figures before it come out where the
        // definition puts them.
        plain::correlogram(direction, first, second, shifts, maxShift);
        return;
    }
    for (std::size_t k = 0; k < pairs.size(); ++k)
        if (pairs[k] >= plain::MinPairs) {
            if (std::isnan(r[k])) {
                shifts[k].equalValues = true;
            } else {
                shifts[k].r = r[k];
                shifts[k].pairs = pairs[k];
            }
        }
}

}  // namespace

void correlate(Direction direction, const Grid& first, const Grid& second, std::vector<Shift>& shifts,
               std::int32_t maxShift)
{
    correlateShifts(direction, first, second, shifts, maxShift);
    // A shift whose paired values are all equal on one side has no r, and the others keep
    // theirs; but when that leaves no r at all, the variable is constant where it is paired.
    const auto has = [&](auto what) { return std::any_of(shifts.begin(), shifts.end(), what); };
    if (has([](const Shift& s) { return s.equalValues; }) && !has([](const Shift& s) { return s.r.has_value(); }))
        throw EqualValuesFailure();
}

std::optional<double> firstZeroCrossing(const std::vector<Shift>& shifts)
{
    const Shift* before = nullptr;
    for (const Shift& shift : shifts) {
        if (!shift.r)
            continue;
        if (before && *before->r > 0 && *shift.r <= 0)
            return before->distance() + (shift.distance() - before->distance()) * (*before->r / (*before->r - *shift.r));
        before = &shift;
    }
    return std::nullopt;
}

Correlogram computeCorrelogram(const Store& store, VariablePosition first, VariablePosition second,
                               std::int32_t maxShift)
{
    return computeCorrelogram(store, byPosition(first),
                              second != 0 && second != first ? std::optional(byPosition(second)) : std::nullopt,
                              maxShift);
}

Correlogram computeCorrelogram(const Store& store, const VariableRef& firstVariable,
                               const std::optional<VariableRef>& secondVariable, std::int32_t maxShift)
{
    requireCellsPlaced(store);
    const VariablePosition first = firstVariable.position;
    const VariablePosition second = secondVariable ? secondVariable->position : 0;
    Correlogram result;
    result.variable = firstVariable;
    result.with = secondVariable;
    result.cellsPerAxis = store.NBMailles;
    const auto firstGrid = std::make_unique<Grid>(store.NBMailles);
    fillGrid(store, first, *firstGrid);
    result.fill = firstGrid->fill();
    std::unique_ptr<Grid> secondGrid;
    if (second != 0 && second != first) {
        secondGrid = std::make_unique<Grid>(store.NBMailles);
        fillGrid(store, second, *secondGrid);
    }
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        try {
            correlate(direction, *firstGrid, secondGrid ? *secondGrid : *firstGrid, result.of(direction), maxShift);
        } catch (const EqualValuesFailure&) {
            throw EqualValuesFailure(!secondGrid || oneValue(*firstGrid) ? first : second);
        }
        setDistances(store, direction, result);
    }
    return result;
}

void Correlation_EW(Store& store)
{
    requireGridFilled(store);
    store.current.calculated = false;
    store.result.northSouth.clear();
    store.result.zeroCrossingNorthSouth.reset();
    correlateStore(store, Direction::EastWest);
}

void Correlation_NS(Store& store)
{
    requireGridFilled(store);
    correlateStore(store, Direction::NorthSouth);
    store.current.calculated = true;
}

}  // namespace geolago
