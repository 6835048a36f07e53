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

// Whether `shift` is north-south's shift 0 of a crossed correlogram with a test: the
// origin, the same pairs and the same test as east-west's shift 0.
bool sameTestAsEastWest(const Correlogram& correlogram, const Shift& shift)
{
    return !correlogram.northSouth.empty() && &shift == &correlogram.northSouth[0] && !correlogram.eastWest.empty()
        && correlogram.eastWest[0].p && shift.p;
}

// The equal-tailed p of an r with `below` permuted r at most it and `above` at least it,
// out of `used`.
double equalTailedP(std::int64_t below, std::int64_t above, std::int64_t used)
{
    const Ext p = divide(static_cast<Ext>(2 * (1 + std::min(below, above))), static_cast<Ext>(1 + used));
    return std::min(1.0, toDouble(p));
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

std::vector<std::pair<std::int32_t, std::int32_t>> translationsOf(std::int32_t cells, std::int32_t count,
                                                                  std::uint64_t seed)
{
    const std::int32_t translations = cells * cells - 1;
    count = std::min(count, translations);
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

Arrangements arrange(const permutation::Engine& engine, const SignificanceRequest& request)
{
    Arrangements arranged;
    auto run = [&](std::int32_t count, const auto& permute) {
        // Each thread's copy makes a workspace of its own at its first arrangement.
        auto own = [&permute, workspace = std::shared_ptr<permutation::Workspace>()](
                       std::int32_t p, permutation::Random& random, std::span<double> row) mutable {
            if (!workspace)
                workspace = std::make_shared<permutation::Workspace>();
            permute(p, random, *workspace, row);
        };
        arranged.made = count;
        arranged.rows = permutation::permutedRows(count, request.seed, request.threads, engine.size(), own,
                                                  request.progress);
    };
    if (engine.crossed() && request.crossNull == Null::Toroidal) {
        arranged.null = Null::Toroidal;
        const auto moves = translationsOf(engine.cellsPerAxis(), request.permutations, request.seed);
        run(static_cast<std::int32_t>(moves.size()),
            [&](std::int32_t p, permutation::Random&, permutation::Workspace& workspace, std::span<double> row) {
                const auto [dx, dy] = moves[static_cast<std::size_t>(p)];
                engine.translated(dx, dy, workspace, row);
            });
    } else {
        arranged.null = Null::Shuffle;
        run(request.permutations,
            [&](std::int32_t, permutation::Random& random, permutation::Workspace& workspace, std::span<double> row) {
                workspace.column = engine.secondColumn();
                permutation::shuffle(workspace.column, random);
                engine.figures(workspace.column, workspace, row);
            });
    }
    return arranged;
}

void testSignificance(const Store& store, Correlogram& correlogram, const SignificanceRequest& request)
{
    assert(request.permutations <= MaxPermutations);
    if (request.permutations <= 0)
        return;
    const VariablePosition second = request.second != 0 ? request.second : request.first;
    const bool crossed = second != request.first;
    const std::int32_t n = store.NBMailles;
    const permutation::Engine engine(store, request.first, second,
                                     permutation::correlogramVectors(n, request.maxShift));
    const auto eastWest = static_cast<std::size_t>(lastShift(Direction::EastWest, n, request.maxShift) + 1);
    const auto northSouth = static_cast<std::size_t>(std::max(lastShift(Direction::NorthSouth, n, request.maxShift) + 1, 0));
    const std::size_t columns = eastWest + northSouth;

    const Arrangements arranged = arrange(engine, request);
    const std::vector<double>& rows = arranged.rows;
    correlogram.testNull = arranged.null;
    correlogram.permutationsMade = arranged.made;
    // Shift 0 of an auto-correlogram pairs every cell with itself: r is 1 whatever the
    // arrangement, and a p would only measure the rounding.
    const std::size_t from = crossed ? 0 : 1;
    test(correlogram.eastWest, from, std::min(eastWest, correlogram.eastWest.size()), rows, columns, 0);
    test(correlogram.northSouth, from, std::min(northSouth, correlogram.northSouth.size()), rows, columns, eastWest);
    adjustHolm(correlogram);

    // The family-wise p of Holm's family, from the same rows.
    std::vector<double> observed(columns, std::numeric_limits<double>::quiet_NaN());
    const auto testedShifts = [&](auto give) {
        for (std::size_t k = 0; k < std::min(eastWest, correlogram.eastWest.size()); ++k)
            give(correlogram.eastWest[k], k);
        for (std::size_t k = 0; k < std::min(northSouth, correlogram.northSouth.size()); ++k)
            if (!sameTestAsEastWest(correlogram, correlogram.northSouth[k]))
                give(correlogram.northSouth[k], eastWest + k);
    };
    testedShifts([&](const Shift& shift, std::size_t column) {
        if (shift.p)
            observed[column] = *shift.r;
    });
    const std::vector<double> adjusted = maxTAdjusted(observed, rows, columns);
    testedShifts([&](Shift& shift, std::size_t column) {
        if (shift.p)
            shift.pFwer = adjusted[column];
    });
    if (!correlogram.northSouth.empty() && sameTestAsEastWest(correlogram, correlogram.northSouth[0]))
        correlogram.northSouth[0].pFwer = correlogram.eastWest[0].pFwer;
}

void adjustHolm(Correlogram& correlogram)
{
    std::vector<Shift*> tested;
    std::vector<double> p;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth})
        for (Shift& shift : correlogram.of(direction)) {
            shift.pHolm.reset();
            if (shift.p && !sameTestAsEastWest(correlogram, shift)) {
                tested.push_back(&shift);
                p.push_back(*shift.p);
            }
        }
    const std::vector<double> adjusted = holmAdjusted(p);
    for (std::size_t i = 0; i < tested.size(); ++i)
        tested[i]->pHolm = adjusted[i];
    if (!correlogram.northSouth.empty() && sameTestAsEastWest(correlogram, correlogram.northSouth[0]))
        correlogram.northSouth[0].pHolm = correlogram.eastWest[0].pHolm;
}

ShiftTest equalTailedTest(double observed, std::vector<double>& permuted)
{
    ShiftTest test;
    test.permutationsUsed = static_cast<std::int32_t>(permuted.size());
    if (permuted.empty())
        return test;
    std::int64_t below = 0, above = 0;
    for (const double r : permuted) {
        below += r <= observed;
        above += r >= observed;
    }
    test.p = equalTailedP(below, above, test.permutationsUsed);
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

bool MaxTStepDown::add(double observed, std::span<const double> rows, std::size_t columns, std::size_t column)
{
    assert(taken_ == 0);
    std::int64_t used = 0, below = 0, above = 0;
    Ext first = 0, sum = 0;
    for (std::size_t at = column; at < rows.size(); at += columns)
        if (const double r = rows[at]; !std::isnan(r)) {
            if (used++ == 0)
                first = r;
            sum += r - first;
            below += r <= observed;
            above += r >= observed;
        }
    if (used == 0)
        return false;
    // The observed arrangement is one of the used + 1 the test weighs, so it is standardised
    // with them and like them: under the null its t is then exchangeable with the permuted
    // ones and the family-wise rate is exactly the level (without it, 6 % at 199
    // permutations).
    sum += observed - first;
    const Ext arrangements = static_cast<Ext>(used + 1);
    const Ext mean = first + divide(sum, arrangements);
    Ext squares = (observed - mean) * (observed - mean);
    for (std::size_t at = column; at < rows.size(); at += columns)
        if (const double r = rows[at]; !std::isnan(r))
            squares += (r - mean) * (r - mean);
    Test test{toDouble(mean), toDouble(squareRoot(divide(squares, arrangements))), 0.0,
              equalTailedP(below, above, used)};
    test.t = z(test, observed);
    tests_.push_back(test);
    largest_.assign(rows.size() / columns, -std::numeric_limits<double>::infinity());
    return true;
}

double MaxTStepDown::z(const Test& test, double x) const
{
    // Without spread every arrangement lies at the mean: all are alike.
    return test.sd > 0 ? std::fabs(x - test.mean) / test.sd : 0.0;
}

std::vector<std::size_t> MaxTStepDown::order() const
{
    // The largest t first, ties in the order added; take() goes from the end.
    std::vector<std::size_t> order(tests_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return tests_[a].t > tests_[b].t; });
    std::reverse(order.begin(), order.end());
    return order;
}

void MaxTStepDown::take(std::size_t test, std::span<const double> rows, std::size_t columns, std::size_t column)
{
    assert(taken_ < tests_.size() && rows.size() / columns == largest_.size());
    ++taken_;
    Test& taken = tests_[test];
    for (std::size_t b = 0; b < largest_.size(); ++b) {
        const double r = rows[b * columns + column];
        if (!std::isnan(r))
            largest_[b] = std::max(largest_[b], z(taken, r));
        taken.exceeding += largest_[b] >= taken.t;
        taken.counted += largest_[b] > -std::numeric_limits<double>::infinity();
    }
}

std::vector<double> MaxTStepDown::adjusted() const
{
    assert(taken_ == tests_.size());
    std::vector<std::size_t> order = this->order();
    std::reverse(order.begin(), order.end());
    std::vector<double> adjusted(tests_.size());
    double largest = 0;
    for (const std::size_t j : order) {
        const Test& test = tests_[j];
        const double stepDown = std::min(
            1.0, toDouble(divide(static_cast<Ext>(1 + test.exceeding), static_cast<Ext>(1 + test.counted))));
        largest = std::max({largest, stepDown, test.p});
        adjusted[j] = largest;
    }
    return adjusted;
}

std::vector<double> maxTAdjusted(std::span<const double> observed, std::span<const double> rows, std::size_t columns)
{
    MaxTStepDown family;
    std::vector<std::size_t> columnOf;
    for (std::size_t c = 0; c < columns; ++c)
        if (!std::isnan(observed[c]) && family.add(observed[c], rows, columns, c))
            columnOf.push_back(c);
    for (const std::size_t test : family.order())
        family.take(test, rows, columns, columnOf[test]);
    std::vector<double> adjusted(columns, std::numeric_limits<double>::quiet_NaN());
    const std::vector<double> p = family.adjusted();
    for (std::size_t test = 0; test < p.size(); ++test)
        adjusted[columnOf[test]] = p[test];
    return adjusted;
}

}  // namespace geolago
