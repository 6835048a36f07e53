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

Rows::Rows(std::int32_t cells)
    : cells_(cells), stride_((static_cast<std::size_t>(cells) + Width) / Width * Width),
      values_(static_cast<std::size_t>(cells + 1) * stride_, std::numeric_limits<double>::quiet_NaN())
{
}

Rows Rows::of(Direction direction, const Grid& grid, std::int32_t cells)
{
    Rows rows(cells);
    for (int b = 1; b <= cells; ++b)
        for (int a = 1; a <= cells; ++a) {
            const TCellule& cell = direction == Direction::EastWest ? grid[a][b] : grid[b][a];
            if (cell.Remplie != 0)
                rows.at(b, a) = cell.Somme;
        }
    return rows;
}

std::vector<std::size_t> firstPairs(const Rows& first, const Rows& second, std::int32_t last)
{
    const std::int32_t n = first.cells();
    std::vector<std::size_t> at(static_cast<std::size_t>(std::max(last + 1, 0)), NoPair);
    for (std::int32_t k = 0; k <= last; ++k)
        for (int b = 1; b <= n - k && at[static_cast<std::size_t>(k)] == NoPair; ++b)
            for (int a = 1; a <= n; ++a)
                if (!std::isnan(first.row(b)[a]) && !std::isnan(second.row(b + k)[a])) {
                    at[static_cast<std::size_t>(k)] = first.index(b, a);
                    break;
                }
    return at;
}

// The one hot loop of the analysis and of the permutation test: compiled again for AVX2,
// chosen at load time where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target_clones("avx2", "default")]]
#endif
bool correlations(const Rows& first, const Rows& second, std::int32_t last, const std::size_t* firstPair,
                  std::int32_t* pairs, double* r)
{
    const std::int32_t n = first.cells();
    const std::size_t stride = first.stride();
    try {
        for (std::int32_t k = 0; k <= last; ++k) {
            pairs[k] = 0;
            r[k] = NoR;
            if (firstPair[k] == NoPair)
                continue;
            const double x0 = first.data()[firstPair[k]];
            const double y0 = second.data()[firstPair[k] + static_cast<std::size_t>(k) * stride];

            // First pass: the pairs, and the sums of x - x0 and y - y0; partial sums 0..3 in
            // the Low registers, 4..7 in the High ones.
            const Four x0s = same(x0), y0s = same(y0);
            Four sxLow = {}, sxHigh = {}, syLow = {}, syHigh = {};
            Mask count = {};
            for (int b = 1; b <= n - k; ++b) {
                const double* xRow = first.row(b);
                const double* yRow = second.row(b + k);
                for (std::size_t c = 0; c < stride; c += Width) {
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
            pairs[k] = j;
            if (j < plain::MinPairs)
                continue;

            // Second pass: the sums of squares and products of the deviations.
            const double mx = x0 + total(sxLow, sxHigh) / j, my = y0 + total(syLow, syHigh) / j;
            const Four mxs = same(mx), mys = same(my);
            Four sxxLow = {}, sxxHigh = {}, syyLow = {}, syyHigh = {}, sxyLow = {}, sxyHigh = {};
            for (int b = 1; b <= n - k; ++b) {
                const double* xRow = first.row(b);
                const double* yRow = second.row(b + k);
                for (std::size_t c = 0; c < stride; c += Width) {
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
            r[k] = plain::pearson(mx, my, total(sxxLow, sxxHigh), total(syyLow, syyHigh), total(sxyLow, sxyHigh));
        }
    } catch (const FloatFailure&) {
        // The pairs of the shifts after the fault, for the caller's plain road.
        for (std::int32_t k = 0; k <= last; ++k) {
            std::int32_t j = 0;
            for (int b = 1; b <= n - k; ++b)
                for (int a = 1; a <= n; ++a)
                    j += !std::isnan(first.row(b)[a]) && !std::isnan(second.row(b + k)[a]);
            pairs[k] = j;
        }
        return false;
    }
    return true;
}

bool correlogram(Direction direction, const Grid& first, const Grid& second, std::int32_t cells,
                 std::vector<std::int32_t>& pairs, std::vector<double>& r, std::int32_t maxShift)
{
    const std::int32_t last = lastShift(direction, cells, maxShift);
    pairs.assign(static_cast<std::size_t>(std::max(last + 1, 0)), 0);
    r.assign(pairs.size(), NoR);
    const Rows x = Rows::of(direction, first, cells);
    const Rows y = &first == &second ? x : Rows::of(direction, second, cells);
    return correlations(x, y, last, firstPairs(x, y, last).data(), pairs.data(), r.data());
}

}  // namespace geolago::fast
