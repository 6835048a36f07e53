#pragma once
// Internal to the core and its tests: what the permutation test (significance.h) repeats
// for every permutation. The random draws, made the same on every platform and standard
// library, and the correlograms of one shuffled column, computed from data prepared once
// per analysis: which cell each point falls in and the pairs of every shift depend only
// on the placement, which a permutation keeps.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "analysis.h"
#include "fast_correlation.h"
#include "store.h"

namespace geolago::permutation {

// xoshiro256**, started from SplitMix64; the same sequence everywhere.
class Random {
public:
    // The generator of block `block` of the permutations of seed S: its four words are the
    // first four SplitMix64 outputs from the state mix(S xor mix(block)), mix being the
    // SplitMix64 output function.
    static Random forBlock(std::uint64_t seed, std::uint64_t block);

    std::uint64_t next();

    // A draw in 0..bound-1, bound >= 1, every value equally likely: the top 32 bits of a
    // draw, x, give the high word of x times bound, x being drawn again while the low word
    // falls among the first 2^32 mod bound values, which would bias the result.
    std::uint32_t below(std::uint32_t bound);

private:
    std::uint64_t s_[4] = {};
};

// Permutations are drawn in blocks of this many, block b (permutations b x BlockSize
// onwards) from Random::forBlock(S, b): the figures are the same however the blocks are
// spread over threads.
inline constexpr std::int32_t BlockSize = 16;

// Fisher-Yates: for i from size - 1 down to 1, values[i] swapped with values[below(i + 1)].
void shuffle(std::span<double> values, Random& random);

// r of one shift of a permutation, or NoR when the shift has fewer than 5 pairs or its
// computation faults. r itself is never NaN: a NaN is a fault.
inline constexpr double NoR = std::numeric_limits<double>::quiet_NaN();

// Per thread: the column and the cells of the permutation being computed.
struct Workspace {
    std::vector<double> column;
    std::vector<double> means;
    std::vector<fast::Rows> rows;        // east-west, north-south
    std::vector<std::int32_t> pairs;
    std::uint64_t preparedBy = 0;         // the Correlograms the rows were laid out for
    std::unique_ptr<Grid> grid;           // made for the rare permutation that faults
};

// The two correlograms of variable `first` against variable `second` (the same variable
// for the auto-correlogram) for any column of values of `second`, as Remplit_Grille then
// correlate() give them on a store whose column was replaced, bit for bit.
class Correlograms {
public:
    // Prepared from the placement of `store` (Calcul_Mailles done for N = NBMailles) and
    // columns `first` and `second`, 1-based. Throws FloatFailure when the cells of either
    // cannot be aggregated (a sum beyond the double range), as Remplit_Grille would.
    // Only the shifts up to `maxShift` are computed.
    Correlograms(const Store& store, VariablePosition first, VariablePosition second,
                 std::int32_t maxShift = AllShifts);

    // The values of `second` of points 1..P in order, the missing ones left out: what a
    // permutation shuffles among the points that have one.
    const std::vector<double>& secondColumn() const { return secondColumn_; }

    // The number of shifts of `direction`, lastShift() + 1 (0 when there is none).
    std::int32_t shifts(Direction direction) const;

    // r of every shift with `values` as the column of `second` (as secondColumn() lays it out):
    // the east-west shifts then the north-south ones into `r`, which holds
    // shifts(EastWest) + shifts(NorthSouth) values; NoR where a shift has no r. With
    // `second` the same as `first`, the column is that of both cells of every pair. A
    // permutation whose aggregation faults has no r at any shift; one whose correlation
    // faults at some shifts is computed again shift by shift, the plain way, and keeps the
    // r of the others.
    void figures(std::span<const double> values, Workspace& workspace, std::span<double> r) const;

    // r of every shift, as figures() writes them, with B's grid of cell means translated by
    // (dx, dy), 0 <= dx, dy < N, on the torus of cells 1..N: cell [ix][iy] takes the mean of
    // [(ix - 1 - dx) mod N + 1][(iy - 1 - dy) mod N + 1], or its emptiness; A's cells stay. As
    // correlate() gives them for those two grids, bit for bit; a shift that faults has no
    // r. Crossed correlograms only.
    void translated(std::int32_t dx, std::int32_t dy, Workspace& workspace, std::span<double> r) const;

private:
    // The plain road, shift by shift, with workspace.grid as B's cells, for cells whose
    // fast figures met a fault.
    void shiftByShift(Workspace& workspace, std::span<double> r) const;
    // The grid Remplit_Grille leaves for these cell means, cells [0..N][0..N].
    void toGrid(const std::vector<double>& means, Grid& grid) const;
    // Each cell that can be paired: its slot and where each direction's rows keep it.
    struct Inner {
        std::uint32_t slot;
        std::size_t eastWest, northSouth;
    };
    // The rows of both directions for these cell means; only the cells that can be paired
    // are written, so rows laid out once for this placement need no clearing.
    void toRows(const std::vector<double>& means, std::vector<fast::Rows>& rows) const;

    std::uint64_t id_;  // tells a workspace whether its rows were laid out for this placement
    std::int32_t cells_ = 0;
    std::int32_t maxShift_ = AllShifts;
    bool crossed_ = false;
    std::vector<std::uint32_t> pointSlot_;  // as secondColumn_
    std::vector<std::uint32_t> slotPoints_;
    std::vector<TMaille> slotCell_;
    std::vector<Inner> inner_;
    std::vector<std::size_t> firstPairs_[2];  // fast::firstPairs() of each direction
    std::vector<double> secondColumn_;
    // The slot of every cell, [IX * (N + 1) + IY], or Empty.
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    std::vector<std::uint32_t> cellSlot_;
    // B's cell means, by slot, as the data stand (crossed correlograms).
    std::vector<double> secondMeans_;
    // The fixed first variable of a crossed correlogram.
    std::vector<fast::Rows> firstRows_;
    std::unique_ptr<Grid> firstGrid_;
};

// Permutations 0..count-1, `columns` figures each, row p of the result for permutation p:
// blocks of BlockSize permutations, block b drawn from Random::forBlock(seed, b), are spread
// over `threads` standard threads (0: std::thread::hardware_concurrency()), and within a
// block `permute(random, row)` computes each permutation in turn with the block's
// generator, or `permute(p, random, row)` when it takes the permutation's number too. Each
// thread calls a copy of `permute` of its own, which may keep a workspace.
// The first exception stops the blocks not yet begun and is thrown again. `progress`, when
// given, is told on the calling thread how many permutations have been started.
template <typename Permute>
std::vector<double> permutedRows(std::int32_t count, std::uint64_t seed, unsigned threads, std::size_t columns,
                                 const Permute& permute,
                                 const std::function<void(std::int32_t)>& progress = nullptr)
{
    std::vector<double> rows(static_cast<std::size_t>(std::max(count, 0)) * columns);
    const std::int32_t blocks = (count + BlockSize - 1) / BlockSize;
    std::atomic<std::int32_t> nextBlock{0};
    std::exception_ptr failure;
    std::mutex failureLock;

    // Each thread takes the next block not yet taken until none is left.
    const std::thread::id caller = std::this_thread::get_id();
    auto work = [&] {
        try {
            Permute own = permute;
            for (std::int32_t block; (block = nextBlock.fetch_add(1)) < blocks;) {
                if (progress && std::this_thread::get_id() == caller)
                    progress(std::min(count, block * BlockSize));
                Random random = Random::forBlock(seed, static_cast<std::uint64_t>(block));
                const std::int32_t end = std::min(count, (block + 1) * BlockSize);
                for (std::int32_t p = block * BlockSize; p < end; ++p) {
                    const std::span<double> row =
                        std::span<double>(rows).subspan(static_cast<std::size_t>(p) * columns, columns);
                    if constexpr (std::is_invocable_v<Permute&, std::int32_t, Random&, std::span<double>>)
                        own(p, random, row);
                    else
                        own(random, row);
                }
            }
        } catch (...) {
            const std::lock_guard<std::mutex> hold(failureLock);
            if (!failure)
                failure = std::current_exception();
            nextBlock = blocks;
        }
    };

    if (threads == 0)
        threads = std::thread::hardware_concurrency();
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

}  // namespace geolago::permutation
