#pragma once
// Internal to the core: the fast path of the correlations, shared by correlate() and the
// permutation test. A grid is laid out as a shift vector reads it, an empty cell holding
// NaN, and the columns of a row are taken eight at a time in vector registers: column a
// feeds partial sum a % 8 of each sum, as plain::LaneSum defines them. The figures are those
// of plain::vectorFigures() bit for bit; on any fault the result is false and the caller
// computes the plain way, which raises the fault where the definition puts it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "analysis.h"
#include "store.h"

namespace geolago::fast {

// r of a shift that has none (fewer than plain::MinPairs pairs).
inline constexpr double NoR = std::numeric_limits<double>::quiet_NaN();

// A grid's cells as one layout reads them (plain::layoutOf()): row b and column a, both
// 0..N. Cells of index 0 and empty cells hold NaN; rows are padded with NaN to a multiple
// of eight columns, and beyond that with `margin` more columns of NaN at each end, so that
// a step of up to `margin` columns reads NaN past the grid.
class Rows {
public:
    // N = `cells`, every cell empty.
    explicit Rows(std::int32_t cells, std::int32_t margin = 0);
    // The cells of `grid` in `layout`, N that of the grid.
    static Rows of(Direction layout, const Grid& grid, std::int32_t margin = 0);

    // Where cell (b, a) is kept, 0 <= b, a <= N, and the cell itself.
    std::size_t index(int b, int a) const
    {
        return margin_ + static_cast<std::size_t>(b) * stride_ + static_cast<std::size_t>(a);
    }
    double& at(std::size_t index) { return values_[index]; }
    double& at(int b, int a) { return values_[index(b, a)]; }
    const double* row(int b) const { return values_.data() + index(b, 0); }
    const double* data() const { return values_.data(); }
    // Columns 0..width() - 1 of a row are read eight at a time; stride() leads from a row to the next.
    std::size_t width() const { return width_; }
    std::size_t stride() const { return stride_; }
    std::int32_t cellsPerAxis() const { return cells_; }
    std::int32_t margin() const { return static_cast<std::int32_t>(margin_); }

private:
    std::int32_t cells_;
    std::size_t margin_, width_, stride_;
    std::vector<double> values_;
};

// A shift vector in a layout's terms: cell (b, a) of the first rows paired with cell
// (b + rows, a + columns) of the second.
struct Step {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
};

// The layout's step of vector v.
Step stepOf(ShiftVector v);

// The shifts of one direction in its own layout, steps (k, 0) for k = 0..last.
inline std::vector<Step> alongRows(std::int32_t last)
{
    std::vector<Step> steps;
    for (std::int32_t k = 0; k <= last; ++k)
        steps.push_back({k, 0});
    return steps;
}

// Where the first pair of each step begins: the index of its first cell in `first`, NoPair
// for a step without pairs. Fixed by the cells filled, so by the placement.
inline constexpr std::size_t NoPair = static_cast<std::size_t>(-1);
std::vector<std::size_t> firstPairs(const Rows& first, const Rows& second, std::span<const Step> steps);
inline std::vector<std::size_t> firstPairs(const Rows& first, const Rows& second, std::int32_t last)
{
    return firstPairs(first, second, alongRows(last));
}

// Each step of `first` paired with `second` (the same N and margin, at least the largest
// step in columns): pairs[i], however few, and r[i], NoR below plain::MinPairs;
// `firstPair` holds firstPairs() of them. False on a fault, with every pairs[i] written.
bool correlations(const Rows& first, const Rows& second, std::span<const Step> steps, const std::size_t* firstPair,
                  std::int32_t* pairs, double* r);

// Shifts 0..last along the rows.
inline bool correlations(const Rows& first, const Rows& second, std::int32_t last, const std::size_t* firstPair,
                         std::int32_t* pairs, double* r)
{
    return correlations(first, second, alongRows(last), firstPair, pairs, r);
}

// correlations() of every vector of `vectors` on two grids of the same N, each in its
// layout: pairs[i] and r[i] for vectors[i].
bool correlations(const Grid& first, const Grid& second, std::span<const ShiftVector> vectors, std::int32_t* pairs,
                  double* r);

// The whole correlogram of `direction` on two grids, shifts 0..lastShift().
bool correlogram(Direction direction, const Grid& first, const Grid& second, std::vector<std::int32_t>& pairs,
                 std::vector<double>& r, std::int32_t maxShift = AllShifts);

}  // namespace geolago::fast
