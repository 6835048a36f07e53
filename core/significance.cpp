#include "significance.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
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
                                    Permute permute)
{
    std::vector<double> rows(static_cast<std::size_t>(count) * columns);
    const std::int32_t blocks = (count + permutation::BlockSize - 1) / permutation::BlockSize;
    std::atomic<std::int32_t> nextBlock{0};
    std::exception_ptr failure;
    std::mutex failureLock;

    // Each thread takes the next block not yet taken until none is left; the calling thread
    // also says how far the permutations are.
    const std::thread::id caller = std::this_thread::get_id();
    auto work = [&] {
        try {
            permutation::Workspace workspace;
            for (std::int32_t block; (block = nextBlock.fetch_add(1)) < blocks;) {
                if (request.progress && std::this_thread::get_id() == caller)
                    request.progress(std::min(count, block * permutation::BlockSize));
                permutation::Random random = permutation::Random::forBlock(request.seed, static_cast<std::uint64_t>(block));
                const std::int32_t end = std::min(count, (block + 1) * permutation::BlockSize);
                for (std::int32_t p = block * permutation::BlockSize; p < end; ++p)
                    permute(p, random, workspace,
                            std::span<double>(rows).subspan(static_cast<std::size_t>(p) * columns, columns));
            }
        } catch (...) {
            const std::lock_guard<std::mutex> hold(failureLock);
            if (!failure)
                failure = std::current_exception();
            nextBlock = blocks;
        }
    };

    unsigned threads = request.threads != 0 ? request.threads : std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, static_cast<unsigned>(std::max(blocks, 1)));
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads: the blocks are shared among those that started
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    return rows;
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
        const double observed = *shift.r;
        values.clear();
        std::int64_t atMost = 0, atLeast = 0;
        for (std::size_t row = column + k; row < rows.size(); row += columns) {
            const double r = rows[row];
            if (std::isnan(r))
                continue;
            values.push_back(r);
            atMost += r <= observed;
            atLeast += r >= observed;
        }
        shift.used = static_cast<std::int32_t>(values.size());
        if (values.empty())
            continue;
        const std::int64_t tail = 1 + std::min(atMost, atLeast);
        shift.p = std::min(1.0, toDouble(divide(static_cast<Ext>(2 * tail), static_cast<Ext>(1 + values.size()))));
        shift.low = quantile(values, 1);
        shift.high = quantile(values, 39);
    }
}

// The translations (dx, dy) a toroidal test of `count` permutations makes, as
// testSignificance() lists them.
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
        moves.emplace_back(t / (cells + 1), t % (cells + 1));
    return moves;
}

}  // namespace

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
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth})
        for (Shift& shift : correlogram.of(direction)) {
            shift.pHolm.reset();
            if (shift.p)
                tested.push_back(&shift);
        }
    std::stable_sort(tested.begin(), tested.end(), [](const Shift* a, const Shift* b) { return *a->p < *b->p; });
    const auto m = static_cast<double>(tested.size());
    double largest = 0.0;
    for (std::size_t i = 0; i < tested.size(); ++i) {
        largest = std::max(largest, (m - static_cast<double>(i)) * *tested[i]->p);
        tested[i]->pHolm = std::min(1.0, largest);
    }
}

}  // namespace geolago
