#pragma once
// Internal to the core: the fast road of the correlations, shared by correlate() and the
// permutation test. A grid is laid out as a direction pairs it, an empty cell holding NaN,
// and the columns of a row are taken eight at a time in vector registers: column a feeds
// partial sum a % 8 of each sum, as plain::LaneSum defines them. The figures are those of
// plain::shiftFigures() bit for bit; on any fault the result is false and the caller
// computes the plain way, which raises the fault where the definition puts it.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis.h"
#include "store.h"

namespace geolago::fast {

// r of a shift that has none (fewer than plain::MinPairs pairs).
inline constexpr double NoR = std::numeric_limits<double>::quiet_NaN();

// A grid's cells as one direction pairs them: row b is the shifted index, column a the
// other one, both 0..N. Cells of index 0 and empty cells hold NaN; rows are padded with
// NaN to a multiple of eight columns.
class Rows {
public:
    // N = `cells`, every cell empty.
    explicit Rows(std::int32_t cells);
    // The cells of `grid` as `direction` pairs them.
    static Rows of(Direction direction, const Grid& grid, std::int32_t cells);

    // Where cell (b, a) is kept, 1 <= b, a <= N, and the cell itself.
    std::size_t index(int b, int a) const { return static_cast<std::size_t>(b) * stride_ + static_cast<std::size_t>(a); }
    double& at(std::size_t index) { return values_[index]; }
    double& at(int b, int a) { return values_[index(b, a)]; }
    const double* row(int b) const { return values_.data() + static_cast<std::size_t>(b) * stride_; }
    const double* data() const { return values_.data(); }
    std::size_t stride() const { return stride_; }
    std::int32_t cells() const { return cells_; }

private:
    std::int32_t cells_;
    std::size_t stride_;
    std::vector<double> values_;
};

// Where the first pair of each shift 0..last begins: the index of its first cell in
// `first`, NoPair for a shift without pairs. Fixed by the cells filled, so by the placement.
inline constexpr std::size_t NoPair = static_cast<std::size_t>(-1);
std::vector<std::size_t> firstPairs(const Rows& first, const Rows& second, std::int32_t last);

// Shifts 0..last of `first` paired with `second` (the same N): pairs[k], however few, and
// r[k], NoR below plain::MinPairs; `firstPair` holds firstPairs() of them. False on a
// fault, with every pairs[k] written.
bool correlations(const Rows& first, const Rows& second, std::int32_t last, const std::size_t* firstPair,
                  std::int32_t* pairs, double* r);

// correlations() on two grids: the correlogram of `direction`, shifts 0..lastShift().
bool correlogram(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                 std::vector<std::int32_t>& pairs, std::vector<double>& r, std::int32_t maxShift = AllShifts);

}  // namespace geolago::fast
