#include "analysis.h"

#include <cassert>
#include <cstring>
#include <vector>

#include "extended.h"
#include "numbertext.h"
#include "plain_definitions.h"

namespace geolago {

namespace {

// The quotient q truncated toward zero, as truncToInt64() gives it, without switching the
// x87 rounding mode for each point, which costs more than the division (placement is nine
// times faster so). For 0 <= q < 2^62, q + 2^63 lands where the spacing of
// extended-precision values is 1, so the addition rounds q to the nearest integer, and
// the 64-bit significand of the sum is that integer plus 2^63; one less when it was
// rounded up. Any other q goes the checked way.
[[gnu::always_inline]] inline std::int64_t truncated(Ext q)
{
    if (!(q >= 0 && q < 0x1p62L))
        return truncToInt64(q);
    const Ext shifted = q + 0x1p63L;
    std::uint64_t significand;
    std::memcpy(&significand, &shifted, sizeof significand);  // x86: the low 8 bytes
    std::int64_t rounded = static_cast<std::int64_t>(significand - (std::uint64_t{1} << 63));
    if (static_cast<Ext>(rounded) > q)
        --rounded;
    return rounded;
}

// plain::cellIndex(), with the faster truncation.
[[gnu::always_inline]] inline std::int32_t cellIndex(Ext offset, double cellWidth, std::int32_t cells)
{
    const std::int64_t index = truncated(divide(offset, cellWidth));
    return static_cast<std::int32_t>(index < cells - 1 ? index : cells - 1) + 1;
}

// plain::cellIndex() of the point at `coordinate` on an axis starting at `min`, in double
// precision where that gives the same cell. The definition's quotient q rounds the offset
// and then the quotient to 64 bits; the same in double rounds each to 53 bits, so that the
// double quotient d is within d 2^-51.9 of q (a relative error of 2^-53 at most for each
// double rounding, 2^-64 for each extended one; an offset below the normal range is exact,
// and a quotient there is far below 1 either way). When d lies further than d 2^-50 from
// the integers around it, q truncates to the same integer. Otherwise (a point on or next
// to a cell boundary, the minimum, the maximum), and for any quotient that is not a finite
// value below 2^52 (a fault of the definition among them), the extended-precision path decides.
[[gnu::always_inline]] inline std::int32_t placed(double coordinate, double min, double cellWidth, std::int32_t cells)
{
    const double quotient = (coordinate - min) / cellWidth;
    if (quotient >= 0 && quotient < 0x1p52) [[likely]] {
        const auto index = static_cast<std::int64_t>(quotient);
        const double whole = static_cast<double>(index);
        const double margin = quotient * 0x1p-50;
        if ((index == 0 || quotient - whole > margin) && (whole + 1) - quotient > margin) [[likely]]
            return static_cast<std::int32_t>(index < cells - 1 ? index : cells - 1) + 1;
    }
    return cellIndex(static_cast<Ext>(coordinate) - min, cellWidth, cells);
}

}  // namespace

void Cherche_MinMax(const Store& store, double& plusGrand, double& plusPetit, std::uint8_t axis)
{
    const double* values = store.Coord.column(axis).data();
    assert(!store.Coord.column(axis).empty());
    plusGrand = values[0];
    plusPetit = values[0];
    for (std::size_t i = 1; i < static_cast<std::size_t>(store.NBPoints); ++i) {
        const double v = values[i];
        if (v > plusGrand)
            plusGrand = v;
        else if (v < plusPetit)
            plusPetit = v;
    }
}

void Calcul_Mailles(Store& store)
{
    if (store.NBMailles > MaxCellIndex)
        throw StepFailure("Trop de mailles : " + std::to_string(store.NBMailles) + " par côté, au plus "
                          + std::to_string(MaxCellIndex) + " pour placer les points");
    store.current = {};
    Cherche_MinMax(store, store.XMax, store.XMin, 1);
    Cherche_MinMax(store, store.YMax, store.YMin, 2);
    const std::int32_t n = store.NBMailles;
    const double cellWidthX = plain::cellWidth(store.XMin, store.XMax, n);
    const double cellWidthY = plain::cellWidth(store.YMin, store.YMax, n);
    const double* xs = store.Coord.column(1).data();
    const double* ys = store.Coord.column(2).data();
    TMaille* cells = store.Maille_Point.data();
    const double xMin = store.XMin, yMin = store.YMin;
    for (std::size_t i = 0; i < static_cast<std::size_t>(store.NBPoints); ++i) {
        // IX is stored before IY is computed, so a fault on Y leaves the new IX behind.
        cells[i].IX = static_cast<std::int16_t>(placed(xs[i], xMin, cellWidthX, n));
        cells[i].IY = static_cast<std::int16_t>(placed(ys[i], yMin, cellWidthY, n));
    }
    store.current.cellsPlaced = true;
}

void requireCellsPlaced(const Store& store)
{
    if (!store.current.cellsPlaced)
        throw StepFailure("Les points ne sont pas placés dans les mailles : validez le nombre de mailles");
}

void Remplit_Grille(Store& store)
{
    requireCellsPlaced(store);
    store.current.gridFilled = store.current.calculated = false;
    fillGrid(store, store.Num_Var, store.Grille);
    store.PourCent = store.Grille.fill();
    store.current.gridFilled = true;
}

namespace {

// fillGrid() with value(i) as the value of point i.
template <typename Value>
void fillFrom(const Placement& placement, std::int32_t points, Value value, Grid& grid)
{
    const std::int32_t n = placement.NBMailles;
    grid.setCellsPerAxis(n);
    for (int c = 0; c <= n; ++c)
        for (int r = 0; r <= n; ++r)
            grid[c][r] = TCellule{};

    // The sum and the points of each cell, [IX][IY], apart from the grid: its Somme only
    // ever holds a mean, and a fault leaves it cleared.
    struct Tally {
        double sum = 0.0;
        std::uint32_t points = 0;
    };
    const auto side = static_cast<std::size_t>(n) + 1;
    std::vector<Tally> tallies(side * side);
    const TMaille* cells = placement.Maille_Point.data();
    for (int i = 1; i <= points; ++i) {
        const double v = value(i);
        if (!plain::entersCell(v))
            continue;
        const TMaille place = cells[i - 1];
        Tally& tally = tallies[static_cast<std::size_t>(place.IX) * side + static_cast<std::size_t>(place.IY)];
        tally.sum = plain::addToCell(tally.sum, v);
        ++tally.points;
    }

    // Placement gives cells 1..N only: the N x N cells counted are all the grid can fill.
    std::int32_t filled = 0;
    for (std::size_t c = 1; c < side; ++c)
        for (std::size_t r = 1; r < side; ++r)
            if (tallies[c * side + r].points != 0)
                ++filled;
    grid.setFill(plain::fillPercentage(filled, n));

    for (int c = 0; c <= n; ++c)
        for (int r = 0; r <= n; ++r) {
            const Tally& tally = tallies[static_cast<std::size_t>(c) * side + static_cast<std::size_t>(r)];
            grid[c][r] = {plain::cellMean(tally.sum, tally.points), tally.points,
                          static_cast<std::uint8_t>(tally.points != 0)};
        }
}

}  // namespace

void fillGrid(const Store& store, VariablePosition variable, Grid& grid)
{
    const double* values = store.Donnees.column(variable).data();
    fillFrom(store, store.NBPoints, [&](int i) { return values[i - 1]; }, grid);
}

void fillGrid(const Placement& placement, std::span<const double> values, Grid& grid)
{
    fillFrom(placement, static_cast<std::int32_t>(values.size()),
             [&](int i) { return values[static_cast<std::size_t>(i - 1)]; }, grid);
}

void setLag(const Placement& placement, Shift& lag, ShiftVector vector)
{
    lag.vector = vector;
    lag.distanceX = shiftDistance(placement, Direction::NorthSouth, vector.dx);
    lag.distanceY = shiftDistance(placement, Direction::EastWest, vector.dy);
}

double shiftDistance(const Placement& placement, Direction direction, std::int32_t k)
{
    const Ext extent = direction == Direction::EastWest ? static_cast<Ext>(placement.YMax) - placement.YMin
                                                        : static_cast<Ext>(placement.XMax) - placement.XMin;
    // Coordinates of double precision tell no more than 12 digits of a distance: the
    // digits beyond are the rounding of the subtraction and the division.
    return roundToDigits(toDouble(divide(k * extent, placement.NBMailles)), 12);
}

}  // namespace geolago
