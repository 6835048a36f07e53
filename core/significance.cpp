#include "significance.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "extended.h"
#include "permutation.h"

namespace geolago {

namespace {

// r of every shift of permutations 0..count-1, row p for permutation p, NoR where it has
// none; `permute(p, random, workspace, row)` computes permutation p, `random` being the
// generator of its block.
template <typename Permute>
std::vector<double> permutedFigures(std::int32_t count, const SignificanceRequest& request, std::size_t columns,
                                    const Permute& permute)
{
    // Each thread's copy makes a workspace of its own at its first permutation.
    auto own = [&permute, workspace = std::shared_ptr<permutation::Workspace>()](
                   std::int32_t p, permutation::Random& random, std::span<double> row) mutable {
        if (!workspace)
            workspace = std::make_shared<permutation::Workspace>();
        permute(p, random, *workspace, row);
    };
    return permutation::permutedRows(count, request.seed, request.threads, columns, own, request.progress);
}

// The value at fortieths `q` (1 for 2.5 %, 39 for 97.5 %) of `values` by linear
// interpolation between order statistics; reorders `values`.
double quantile(std::vector<double>& values, std::int64_t q)
{
    const std::int64_t h = static_cast<std::int64_t>(values.size() - 1) * q;  // (n - 1) q, in fortieths
    const auto below = values.begin() + h / 40;
    std::nth_element(values.begin(), below, values.end());
    const Ext x = *below;
    if (h % 40 == 0)
        return toDouble(x);
    const Ext next = *std::min_element(below + 1, values.end());
    return toDouble(x + divide(h % 40, 40) * (next - x));
}

// The test of shifts `from` to `tested` - 1 that have an observed r, from column `column`
// onwards of `rows`.
void test(std::vector<Shift>& shifts, std::size_t from, std::size_t tested, const std::vector<double>& rows,
          std::size_t columns, std::size_t column)
{
    std::vector<double> values;
    for (std::size_t k = from; k < tested; ++k) {
        Shift& shift = shifts[k];
        if (!shift.r)
            continue;
        values.clear();
        for (std::size_t row = column + k; row < rows.size(); row += columns)
            if (!std::isnan(rows[row]))
                values.push_back(rows[row]);
        static_cast<ShiftTest&>(shift) = equalTailedTest(*shift.r, values);
    }
}

}  // namespace

std::vector<std::pair<std::int32_t, std::int32_t>> translationsOf(std::int32_t cells, std::int32_t translations,
                                                                  std::int32_t count, std::uint64_t seed)
{
    std::vector<std::int32_t> order(static_cast<std::size_t>(translations));
    for (std::int32_t t = 0; t < translations; ++t)
        order[static_cast<std::size_t>(t)] = t + 1;
    if (count < translations) {
        permutation::Random random =
            permutation::Random::forBlock(seed, std::numeric_limits<std::uint64_t>::max());
        for (std::int32_t i = 0; i < count; ++i) {
            const auto pick = static_cast<std::size_t>(i) + random.below(static_cast<std::uint32_t>(translations - i));
            std::swap(order[static_cast<std::size_t>(i)], order[pick]);
        }
        order.resize(static_cast<std::size_t>(count));
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> moves;
    for (const std::int32_t t : order)
        moves.emplace_back(t / cells, t % cells);
    return moves;
}

void testSignificance(const Store& store, Correlogram& correlogram, const SignificanceRequest& request)
{
    assert(request.permutations <= MaxPermutations);
    if (request.permutations <= 0)
        return;
    const VariablePosition second = request.second != 0 ? request.second : request.first;
    const bool crossed = second != request.first;
    const permutation::Correlograms prepared(store, request.first, second, request.maxShift);
    const auto eastWest = static_cast<std::size_t>(prepared.shifts(Direction::EastWest));
    const auto northSouth = static_cast<std::size_t>(std::max(prepared.shifts(Direction::NorthSouth), 0));
    const std::size_t columns = eastWest + northSouth;

    std::vector<double> rows;
    if (crossed && request.crossNull == Null::Toroidal) {
        const auto moves = translationsOf(store.NBMailles, prepared.translations(),
                                          std::min(request.permutations, prepared.translations()), request.seed);
        rows = permutedFigures(static_cast<std::int32_t>(moves.size()), request, columns,
                               [&](std::int32_t p, permutation::Random&, permutation::Workspace& workspace,
                                   std::span<double> row) {
                                   const auto [dx, dy] = moves[static_cast<std::size_t>(p)];
                                   prepared.translated(dx, dy, workspace, row);
                               });
        correlogram.testNull = Null::Toroidal;
        correlogram.permutationsMade = static_cast<std::int32_t>(moves.size());
    } else {
        rows = permutedFigures(request.permutations, request, columns,
                               [&](std::int32_t, permutation::Random& random, permutation::Workspace& workspace,
                                   std::span<double> row) {
                                   workspace.column = prepared.secondColumn();
                                   permutation::shuffle(workspace.column, random);
                                   prepared.figures(workspace.column, workspace, row);
                               });
        correlogram.testNull = Null::Shuffle;
        correlogram.permutationsMade = request.permutations;
    }
    // Shift 0 of an auto-correlogram pairs every cell with itself: r is 1 whatever the
    // arrangement, and a p would only measure the rounding.
    const std::size_t from = crossed ? 0 : 1;
    test(correlogram.eastWest, from, std::min(eastWest, correlogram.eastWest.size()), rows, columns, 0);
    test(correlogram.northSouth, from, std::min(northSouth, correlogram.northSouth.size()), rows, columns, eastWest);
    adjustHolm(correlogram);
}

void adjustHolm(Correlogram& correlogram)
{
    std::vector<Shift*> tested;
    std::vector<double> p;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth})
        for (Shift& shift : correlogram.of(direction)) {
            shift.pHolm.reset();
            // North-south's shift 0 is east-west's, the same pairs and the same test: one
            // member of the family.
            if (shift.p && !(direction == Direction::NorthSouth && &shift == correlogram.northSouth.data())) {
                tested.push_back(&shift);
                p.push_back(*shift.p);
            }
        }
    const std::vector<double> adjusted = holmAdjusted(p);
    for (std::size_t i = 0; i < tested.size(); ++i)
        tested[i]->pHolm = adjusted[i];
    if (!correlogram.northSouth.empty() && !correlogram.eastWest.empty() && correlogram.northSouth[0].p)
        correlogram.northSouth[0].pHolm = correlogram.eastWest[0].pHolm;
}

ShiftTest equalTailedTest(double observed, std::vector<double>& permuted)
{
    ShiftTest test;
    test.used = static_cast<std::int32_t>(permuted.size());
    if (permuted.empty())
        return test;
    std::int64_t below = 0, above = 0;
    for (const double r : permuted) {
        below += r <= observed;
        above += r >= observed;
    }
    const Ext p = divide(static_cast<Ext>(2 * (1 + std::min(below, above))), static_cast<Ext>(1 + permuted.size()));
    test.p = std::min(1.0, toDouble(p));
    test.low = quantile(permuted, 1);
    test.high = quantile(permuted, 39);
    return test;
}

std::vector<double> holmAdjusted(const std::vector<double>& p)
{
    std::vector<std::size_t> order(p.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(p.size());
    double largest = 0;
    for (std::size_t j = 0; j < order.size(); ++j) {
        largest = std::max(largest, std::min(1.0, static_cast<double>(p.size() - j) * p[order[j]]));
        adjusted[order[j]] = largest;
    }
    return adjusted;
}

}  // namespace geolago
