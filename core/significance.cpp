#include "significance.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <memory>

#include "extended.h"
#include "permutation.h"

namespace geolago {

namespace {

// r of every shift of permutations 0..K-1, row p for permutation p, NoR where it has none.
std::vector<double> permutedFigures(const permutation::Correlograms& prepared, const SignificanceRequest& request,
                                    std::size_t columns)
{
    // Each thread's copy makes a workspace of its own at its first permutation.
    auto permute = [&prepared, workspace = std::shared_ptr<permutation::Workspace>(), column = std::vector<double>()](
                       permutation::Random& random, std::span<double> row) mutable {
        if (!workspace)
            workspace = std::make_shared<permutation::Workspace>();
        column = prepared.secondColumn();
        permutation::shuffle(column, random);
        prepared.figures(column, *workspace, row);
    };
    return permutation::permutedRows(request.permutations, request.seed, request.threads, columns, permute,
                                     request.progress);
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

// The test of every shift that has an observed r, from column `column` onwards of `rows`.
void test(std::vector<Shift>& shifts, std::size_t tested, const std::vector<double>& rows, std::size_t columns,
          std::size_t column)
{
    std::vector<double> values;
    for (std::size_t k = 0; k < tested; ++k) {
        Shift& shift = shifts[k];
        if (!shift.r)
            continue;
        const double observedSize = std::fabs(*shift.r);
        values.clear();
        std::int64_t asExtreme = 0;
        for (std::size_t row = column + k; row < rows.size(); row += columns) {
            const double r = rows[row];
            if (std::isnan(r))
                continue;
            values.push_back(r);
            if (std::fabs(r) >= observedSize)
                ++asExtreme;
        }
        shift.used = static_cast<std::int32_t>(values.size());
        if (values.empty())
            continue;
        shift.p = toDouble(divide(static_cast<Ext>(1 + asExtreme), static_cast<Ext>(1 + values.size())));
        shift.low = quantile(values, 1);
        shift.high = quantile(values, 39);
    }
}

}  // namespace

void testSignificance(const Store& store, Correlogram& correlogram, const SignificanceRequest& request)
{
    assert(request.permutations <= MaxPermutations);
    if (request.permutations <= 0)
        return;
    const VariablePosition second = request.second != 0 ? request.second : request.first;
    const permutation::Correlograms prepared(store, request.first, second, request.maxShift);
    const auto eastWest = static_cast<std::size_t>(prepared.shifts(Direction::EastWest));
    const auto northSouth = static_cast<std::size_t>(std::max(prepared.shifts(Direction::NorthSouth), 0));
    const std::size_t columns = eastWest + northSouth;
    const std::vector<double> rows = permutedFigures(prepared, request, columns);
    test(correlogram.eastWest, std::min(eastWest, correlogram.eastWest.size()), rows, columns, 0);
    test(correlogram.northSouth, std::min(northSouth, correlogram.northSouth.size()), rows, columns, eastWest);
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
