#include "fast_correlation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "extended.h"
#include "plain_definitions.h"

// The helpers below pass vectors by value inside this file only, where no ABI matters.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace geolago::fast {

namespace {

// Four doubles, and four masks of 64 bits, in vector registers (two SSE2 registers, or one
// AVX2 register where the processor has it). Every operation is the IEEE operation on each
// element, so the sums are those of plain::LaneSum whatever the registers.
using Four [[gnu::vector_size(32)]] = double;
using Mask [[gnu::vector_size(32)]] = std::int64_t;

// Columns taken at a time: two Four, partial sums 0..3 and 4..7 of plain::LaneSum.
constexpr std::size_t Width = plain::LaneSum::Lanes;
static_assert(Width == 8);

[[gnu::always_inline]] inline Four load(const double* p)
{
    Four v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// v where the mask is set, +0 elsewhere: adding +0 leaves a sum as it is.
[[gnu::always_inline]] inline Four masked(Four v, Mask m)
{
    return reinterpret_cast<Four>(reinterpret_cast<Mask>(v) & m);
}

// The cells of both rows that are filled: every bit set there, none elsewhere.
[[gnu::always_inline]] inline Mask bothFilled(Four x, Four y)
{
    return reinterpret_cast<Mask>(x == x) & reinterpret_cast<Mask>(y == y);
}

[[gnu::always_inline]] inline Four same(double v)
{
    return Four{v, v, v, v};
}

// plain::LaneSum::total() of partial sums 0..3 in `low` and 4..7 in `high`.
[[gnu::always_inline]] inline double total(Four low, Four high)
{
    return ((low[0] + low[1]) + (low[2] + low[3])) + ((high[0] + high[1]) + (high[2] + high[3]));
}

}  // namespace

Rows::Rows(std::int32_t cells, std::int32_t margin)
    : cells_(cells), margin_(static_cast<std::size_t>(margin)),
      width_((static_cast<std::size_t>(cells) + Width) / Width * Width), stride_(width_ + margin_),
      values_(margin_ + static_cast<std::size_t>(cells + 1) * stride_, std::numeric_limits<double>::quiet_NaN())
{
}

Rows Rows::of(Direction layout, const Grid& grid, std::int32_t margin)
{
    const std::int32_t cells = grid.cellsPerAxis();
    Rows rows(cells, margin);
    for (int b = 1; b <= cells; ++b)
        for (int a = 1; a <= cells; ++a) {
            const TCellule& cell = layout == Direction::EastWest ? grid[a][b] : grid[b][a];
            if (cell.Remplie != 0)
                rows.at(b, a) = cell.Somme;
        }
    return rows;
}

Step stepOf(ShiftVector v)
{
    return plain::layoutOf(v) == Direction::EastWest ? Step{v.dy, v.dx} : Step{v.dx, v.dy};
}

namespace {

// The rows b of `first` that a step pairs with rows of `second`: b and b + rows in 1..N.
int firstRow(Step step)
{
    return std::max(1, 1 - step.rows);
}
int lastRow(Step step, std::int32_t n)
{
    return std::min(n, n - step.rows);
}

// From a cell of `first` to its partner in `second`, which has the same geometry.
std::ptrdiff_t partnerOffset(const Rows& rows, Step step)
{
    return static_cast<std::ptrdiff_t>(step.rows) * static_cast<std::ptrdiff_t>(rows.stride()) + step.columns;
}

}  // namespace

std::vector<std::size_t> firstPairs(const Rows& first, const Rows& second, std::span<const Step> steps)
{
    const std::int32_t n = first.cellsPerAxis();
    std::vector<std::size_t> at(steps.size(), NoPair);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step step = steps[i];
        for (int b = firstRow(step); b <= lastRow(step, n) && at[i] == NoPair; ++b)
            for (int a = std::max(1, 1 - step.columns); a <= std::min(n, n - step.columns); ++a)
                if (!std::isnan(first.row(b)[a]) && !std::isnan(second.row(b + step.rows)[a + step.columns])) {
                    at[i] = first.index(b, a);
                    break;
                }
    }
    return at;
}

// The one hot loop of the analysis and of the permutation test: compiled again for AVX2,
// chosen at load time where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target_clones("avx2", "default")]]
#endif
bool correlations(const Rows& first, const Rows& second, std::span<const Step> steps, const std::size_t* firstPair,
                  std::int32_t* pairs, double* r)
{
    const std::int32_t n = first.cellsPerAxis();
    const std::size_t width = first.width();
    try {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step step = steps[i];
            pairs[i] = 0;
            r[i] = NoR;
            if (firstPair[i] == NoPair)
                continue;
            const double x0 = first.data()[firstPair[i]];
            const double y0 = second.data()[firstPair[i] + static_cast<std::size_t>(partnerOffset(second, step))];
            const int from = firstRow(step), to = lastRow(step, n);

            // First pass: the pairs, and the sums of x - x0 and y - y0; partial sums 0..3 in
            // the Low registers, 4..7 in the High ones.
            const Four x0s = same(x0), y0s = same(y0);
            Four sxLow = {}, sxHigh = {}, syLow = {}, syHigh = {};
            Mask count = {};
            for (int b = from; b <= to; ++b) {
                const double* xRow = first.row(b);
                const double* yRow = second.row(b + step.rows) + step.columns;
                for (std::size_t c = 0; c < width; c += Width) {
                    const Four xLow = load(xRow + c), yLow = load(yRow + c);
                    const Four xHigh = load(xRow + c + 4), yHigh = load(yRow + c + 4);
                    const Mask low = bothFilled(xLow, yLow), high = bothFilled(xHigh, yHigh);
                    sxLow += masked(xLow - x0s, low);
                    sxHigh += masked(xHigh - x0s, high);
                    syLow += masked(yLow - y0s, low);
                    syHigh += masked(yHigh - y0s, high);
                    count -= low + high;
                }
            }
            const std::int32_t j = static_cast<std::int32_t>(count[0] + count[1] + count[2] + count[3]);
            pairs[i] = j;
            if (j < plain::MinPairs)
                continue;

            // Second pass: the sums of squares and products of the deviations.
            const double mx = x0 + total(sxLow, sxHigh) / j, my = y0 + total(syLow, syHigh) / j;
            const Four mxs = same(mx), mys = same(my);
            Four sxxLow = {}, sxxHigh = {}, syyLow = {}, syyHigh = {}, sxyLow = {}, sxyHigh = {};
            for (int b = from; b <= to; ++b) {
                const double* xRow = first.row(b);
                const double* yRow = second.row(b + step.rows) + step.columns;
                for (std::size_t c = 0; c < width; c += Width) {
                    const Four xLow = load(xRow + c), yLow = load(yRow + c);
                    const Four xHigh = load(xRow + c + 4), yHigh = load(yRow + c + 4);
                    const Mask low = bothFilled(xLow, yLow), high = bothFilled(xHigh, yHigh);
                    const Four dxLow = masked(xLow - mxs, low), dyLow = masked(yLow - mys, low);
                    const Four dxHigh = masked(xHigh - mxs, high), dyHigh = masked(yHigh - mys, high);
                    sxxLow += dxLow * dxLow;
                    sxxHigh += dxHigh * dxHigh;
                    syyLow += dyLow * dyLow;
                    syyHigh += dyHigh * dyHigh;
                    sxyLow += dxLow * dyLow;
                    sxyHigh += dxHigh * dyHigh;
                }
            }
            r[i] = plain::pearson(mx, my, total(sxxLow, sxxHigh), total(syyLow, syyHigh), total(sxyLow, sxyHigh));
        }
    } catch (const FloatFailure&) {
        // The pairs of the steps after the fault, for the caller's plain path.
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step step = steps[i];
            std::int32_t j = 0;
            for (int b = firstRow(step); b <= lastRow(step, n); ++b)
                for (int a = std::max(1, 1 - step.columns); a <= std::min(n, n - step.columns); ++a)
                    j += !std::isnan(first.row(b)[a]) && !std::isnan(second.row(b + step.rows)[a + step.columns]);
            pairs[i] = j;
        }
        return false;
    }
    return true;
}

bool correlations(const Grid& first, const Grid& second, std::span<const ShiftVector> vectors, std::int32_t* pairs,
                  double* r)
{
    bool computed = true;
    for (const Direction layout : {Direction::EastWest, Direction::NorthSouth}) {
        std::vector<std::size_t> at;
        std::vector<Step> steps;
        std::int32_t margin = 0;
        for (std::size_t i = 0; i < vectors.size(); ++i)
            if (plain::layoutOf(vectors[i]) == layout) {
                at.push_back(i);
                steps.push_back(stepOf(vectors[i]));
                margin = std::max(margin, std::abs(steps.back().columns));
            }
        if (steps.empty())
            continue;
        const Rows x = Rows::of(layout, first, margin);
        const Rows y = &first == &second ? x : Rows::of(layout, second, margin);
        std::vector<std::int32_t> stepPairs(steps.size());
        std::vector<double> stepR(steps.size());
        computed = correlations(x, y, steps, firstPairs(x, y, steps).data(), stepPairs.data(), stepR.data())
            && computed;
        for (std::size_t s = 0; s < steps.size(); ++s) {
            pairs[at[s]] = stepPairs[s];
            r[at[s]] = stepR[s];
        }
    }
    return computed;
}

bool correlogram(Direction direction, const Grid& first, const Grid& second, std::vector<std::int32_t>& pairs,
                 std::vector<double>& r, std::int32_t maxShift)
{
    const std::int32_t last = lastShift(direction, first.cellsPerAxis(), maxShift);
    std::vector<ShiftVector> vectors;
    for (std::int32_t k = 0; k <= last; ++k)
        vectors.push_back(shiftVector(direction, k));
    pairs.assign(vectors.size(), 0);
    r.assign(vectors.size(), NoR);
    return correlations(first, second, vectors, pairs.data(), r.data());
}

}  // namespace geolago::fast
