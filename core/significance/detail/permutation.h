#pragma once
// Internal to the core and its tests: what the permutation tests (significance.h,
// correlogram_map.h) repeat for every arrangement. The random draws, made the same on
// every platform and standard library, and the r of a list of shift vectors for one
// arrangement, computed from data prepared once per placement.

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

// r of one vector of a permutation, or NoR when it has fewer than 5 pairs, no spread on a
// side, or its computation faults, as the fast path writes it.
using fast::NoR;

// Per thread: the column and the cells of the arrangement being computed.
struct Workspace {
    std::vector<double> column;
    std::vector<double> means;
    std::vector<fast::Rows> rows;  // B's cells, in the layout of each group of vectors
    std::vector<std::int32_t> pairs;
    std::vector<double> r;
    std::uint64_t preparedBy = 0;  // the Engine the rows were laid out for
    std::unique_ptr<Grid> grid;    // made for the rare arrangement that faults
};

// The shift vectors of both correlograms, as testSignificance() lists their figures:
// east-west's shifts 0..lastShift() as (0, k), then north-south's as (k, 0).
std::vector<ShiftVector> correlogramVectors(std::int32_t cells, std::int32_t maxShift = AllShifts);

// The one path of every permutation test: r of a list of shift vectors of variable
// `first` paired with variable `second` (the same variable for the auto-correlogram), for
// any arrangement of `second`, as Remplit_Grille then plain::vectorFigures() give them on
// a store so arranged, bit for bit. What depends only on the placement, which no
// arrangement changes, is prepared once: the slot of each filled cell, where each cell
// lies in the rows of each layout, and for a variable with itself where each vector's
// pairs begin. Testing a correlogram and testing a map differ only in their vectors.
class Engine {
public:
    // Prepared from the placement of `store` (Calcul_Mailles done for N = NBMailles) and
    // columns `first` and `second`, 1-based. Throws FloatFailure when the cells of either
    // cannot be aggregated (a sum beyond the double range), as Remplit_Grille would.
    Engine(const Store& store, VariablePosition first, VariablePosition second, std::vector<ShiftVector> vectors);

    // The values of `second` of points 1..P in order, the missing ones left out: what a
    // shuffle rearranges among the points that have one.
    const std::vector<double>& secondColumn() const { return secondColumn_; }
    std::size_t size() const { return vectors_.size(); }
    bool crossed() const { return crossed_; }
    std::int32_t cellsPerAxis() const { return cells_; }

    // r of every vector, into `r`, with `values` as the column of `second` (as
    // secondColumn() lays it out); NoR where a vector has no r. A column whose aggregation
    // faults has no r at any vector; a fault of the fast path is computed again vector by
    // vector the plain way, which keeps the r of the vectors that have one.
    void figures(std::span<const double> values, Workspace& workspace, std::span<double> r) const;

    // r of every vector, as figures() writes them, with B's grid of cell means translated
    // by (dx, dy), 0 <= dx, dy < N, on the torus of cells 1..N: cell [ix][iy] takes the mean
    // of [(ix - 1 - dx) mod N + 1][(iy - 1 - dy) mod N + 1], or its emptiness; A's cells
    // stay. Crossed only.
    void translated(std::int32_t dx, std::int32_t dy, Workspace& workspace, std::span<double> r) const;

private:
    // The vectors that read one layout, as steps of its rows.
    struct Group {
        Direction layout;
        std::int32_t margin;
        std::vector<fast::Step> steps;
        std::vector<std::size_t> at;          // the vector of each step
        std::vector<std::size_t> firstPairs;  // fast::firstPairs(), for a variable with itself
    };
    // Rows of every group for B's cells, laid out once per workspace.
    void prepare(Workspace& workspace) const;
    // B's cell means by slot into the rows of every group: the filled cells only.
    void toRows(const std::vector<double>& means, Workspace& workspace) const;
    // The fast path over the rows of `workspace`; false on a fault.
    bool fromRows(Workspace& workspace, std::span<double> r, bool findFirstPairs) const;
    // The plain path, vector by vector, with workspace.grid as B's cells.
    void byDefinition(Workspace& workspace, std::span<double> r) const;

    std::uint64_t id_;
    std::int32_t cells_ = 0;
    bool crossed_ = false;
    std::vector<ShiftVector> vectors_;
    std::vector<Group> groups_;
    std::vector<std::uint32_t> pointSlot_;  // as secondColumn_
    std::vector<std::uint32_t> slotPoints_;
    std::vector<TMaille> slotCell_;
    // The slot of every cell, [IX * (N + 1) + IY], or Empty.
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    std::vector<std::uint32_t> cellSlot_;
    std::vector<double> secondColumn_;
    std::vector<double> secondMeans_;     // B's cell means by slot, as the data stand
    std::vector<fast::Rows> firstRows_;   // A's cells in each group's rows, crossed only
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
