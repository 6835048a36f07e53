#pragma once
// Internal to the core, its tests and its fuzz targets: the plain definitions that the
// fast paths of the core must match bit for bit. The core falls back on them when a fast
// path meets a fault, so that the fault and the figures before it come out where the
// definition puts them.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <algorithm>
#include <vector>

#include "analysis.h"
#include "extended.h"

namespace geolago::plain {

// Fewer pairs than this give no correlation for a shift.
inline constexpr std::int32_t MinPairs = 5;

// The width of the cells along one axis: the extent over N, in extended precision,
// rounded to double where it is kept.
inline double cellWidth(double min, double max, std::int32_t cells)
{
    return toDouble(divide(static_cast<Ext>(max) - min, cells));
}

// The cell index of a point at `offset` from the minimum, for cells of `cellWidth` wide, in
// 1..N: the extended-precision quotient truncated toward zero, plus one, the point at the
// maximum (a quotient of N, or just below it as the rounding falls) kept in cell N. Every
// point thus lies in a cell that the correlations pair; index 0 is never given.
inline std::int32_t cellIndex(Ext offset, double cellWidth, std::int32_t cells)
{
    const std::int64_t index = truncToInt64(divide(offset, cellWidth));
    return static_cast<std::int32_t>(std::min<std::int64_t>(index, cells - 1)) + 1;
}

// The share of the N x N cells that are filled, in percent: F / (N x N) x 100, the division
// and the product in extended precision, rounded to double.
inline double fillPercentage(std::int32_t filled, std::int32_t cells)
{
    return toDouble(divide(static_cast<Ext>(filled), static_cast<Ext>(cells * cells)) * 100);
}

// Whether a point's value enters its cell: a missing value (NaN, pointtable.h) leaves the
// point out of that variable's cells, which it neither sums nor fills.
inline bool entersCell(double value)
{
    return !std::isnan(value);
}

// A cell's running sum after one more point's value: the addition in extended precision,
// the sum kept as double.
inline double addToCell(double sum, double value)
{
    return toDouble(static_cast<Ext>(sum) + value);
}

// The mean of a cell from its sum and its points; a single point's value is kept bit for
// bit, an empty cell's 0 stays.
inline double cellMean(double sum, std::uint32_t count)
{
    return count > 1 ? toDouble(divide(sum, count)) : sum;
}

// A sum over the pairs of a shift, kept as eight partial sums: the term of a pair whose
// unshifted index is a goes to partial sum a % 8, and the total is
// ((s0 + s1) + (s2 + s3)) + ((s4 + s5) + (s6 + s7)). Eight chains of additions instead of
// one: as accurate, and what vector registers compute without waiting on each other.
class LaneSum {
public:
    static constexpr int Lanes = 8;
    void add(int a, double term) { partial_[a % Lanes] += term; }
    double total() const
    {
        const double* s = partial_;
        return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
    }

private:
    double partial_[Lanes] = {};
};

// The layout a shift vector reads the grid in: east-west's (row b = IY, column a = IX) when
// |dy| >= |dx|, the origin included, else north-south's (row b = IX, column a = IY).
inline Direction layoutOf(ShiftVector v)
{
    return std::abs(v.dy) >= std::abs(v.dx) ? Direction::EastWest : Direction::NorthSouth;
}

// Vector v of `first` paired with `second`: Pearson's r of the pairs' first and second
// values, in double precision. Cell (b, a) of the layout of v is paired with cell
// (b + rows, a + columns), (rows, columns) being (dy, dx) east-west and (dx, dy)
// north-south, all four indices in 1..N; the pairs are taken in the order of b, then a,
// both ascending, and a pair's lane in every LaneSum is its first cell's column a.
//  - first pass: sx, the sum of x - x0, and sy, that of y - y0, x0 and y0 being the first
//    pair's values; the means are mx = x0 + sx / j and my = y0 + sy / j, j the pairs (so
//    that values that are all equal have exactly that value as their mean);
//  - second pass: sxx, syy and sxy, the sums of (x - mx)^2, (y - my)^2 and
//    (x - mx)(y - my);
//  - r = pearson(mx, my, sxx, syy, sxy).
// On the same values sxx, syy and sxy are the same number, and r is exactly 1. Below
// MinPairs nothing is computed.
// Gives r and the pairs, or neither below MinPairs or where one side's values are all
// equal (then equalValues is set); the distance is left 0. N is that of `first`, which
// `second` shares.
Shift vectorFigures(const Grid& first, const Grid& second, ShiftVector v);

// Shift k of the correlogram of correlate(): vectorFigures() of shiftVector(direction, k).
// Both directions' shift 0 is the origin, read in east-west's layout.
inline Shift shiftFigures(Direction direction, const Grid& first, const Grid& second, std::int32_t k)
{
    return vectorFigures(first, second, shiftVector(direction, k));
}

// r = sxy / sqrt(sxx syy), the product and the root in extended precision, r rounded to
// double; NaN where r does not exist, sxx or syy being 0 (one side's values all equal). A
// mean or a sum beyond the double range is an overflow. Both the plain and the fast path
// end here.
inline double pearson(double mx, double my, double sxx, double syy, double sxy)
{
    if (!std::isfinite(mx) || !std::isfinite(my) || !std::isfinite(sxx) || !std::isfinite(syy)
        || !std::isfinite(sxy))
        raiseFloat(FloatFailure::Kind::Overflow);
    if (sxx == 0 || syy == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return toDouble(divide(sxy, squareRoot(static_cast<Ext>(sxx) * syy)));
}

// The correlogram of correlate(), shift after shift, each as shiftFigures() gives it:
// `shifts` is set to shifts 0..N-1 without r, then filled up to lastShift(); a fault
// leaves the shifts before it written.
void correlogram(Direction direction, const Grid& first, const Grid& second, std::vector<Shift>& shifts,
                 std::int32_t maxShift = AllShifts);

}  // namespace geolago::plain
