#pragma once
// The permutation test of every shift of a correlogram. Each permutation rearranges the
// data under the test's null (Null in correlogram.h) and computes the correlogram again with
// the same arithmetic.

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "analysis.h"
#include "correlogram.h"
#include "store.h"

namespace geolago {

// The most permutations a test takes.
inline constexpr std::int32_t MaxPermutations = 100000;

struct SignificanceRequest {
    VariablePosition first = 0;     // variable A, 1..NBVar
    VariablePosition second = 0;    // variable B, 1..NBVar; 0 or A: the auto-correlogram of A
    std::int32_t permutations = 0;  // K, 0..MaxPermutations
    std::uint64_t seed = 1;         // S: the same seed gives the same figures on any number of threads
    unsigned threads = 0;           // 0: std::thread::hardware_concurrency()
    Null crossNull = Null::Toroidal;  // the null of a crossed correlogram; auto-correlograms shuffle
    std::int32_t maxShift = AllShifts;  // the last shift computed, as for computeCorrelogram()
    // Told, on the calling thread, how many permutations have been started, now and then.
    std::function<void(std::int32_t)> progress = nullptr;
};

// Adds the test of request.permutations permutations to `correlogram`, which
// computeCorrelogram() gave for request.first and request.second on `store` (points read
// and placed for N = NBMailles, as when it was computed): every shift with an r gets its
// ShiftTest, but shift 0 of the auto-correlogram, which pairs every cell with itself; then
// adjustHolm(). The correlogram records the null and the permutations made.
//  - Auto-correlogram, or crossed with request.crossNull Shuffle: each permutation is a
//    Fisher-Yates shuffle of the original column of A (both cells of a pair taking the
//    shuffled values), or of B (A's cells staying). Permutations come in blocks of 16,
//    block b drawn from a generator seeded from (S, b) (permutation.h).
//  - Crossed, Toroidal: each permutation is a translation of B's grid of cell means
//    (permutation::Engine::translated()). With K at least the N^2 - 1
//    translations, all of them once, (dx, dy) in the order dx N + dy; else K of them,
//    distinct, the first K of a Fisher-Yates shuffle of that list drawn from the generator
//    of (S, 2^64 - 1), in the order drawn.
// The blocks of 16 are spread over request.threads standard threads; the figures do not
// depend on how many. The store is not changed. Throws FloatFailure when the cells of A or
// B cannot be aggregated, as Remplit_Grille would.
void testSignificance(const Store& store, Correlogram& correlogram, const SignificanceRequest& request);

namespace permutation {
class Engine;
}

// The arrangements of a test, for the r of every vector of `engine`: shuffles of B's values
// among the points that have one, or, for a crossed engine under request.crossNull
// Toroidal, translations of B's grid of cell means (translationsOf()). Row p holds the r
// of arrangement p, NoR where a vector has none; the blocks of 16 arrangements are drawn
// from the seed and spread over request.threads, so the rows do not depend on how many.
struct Arrangements {
    std::vector<double> rows;
    Null null = Null::Shuffle;
    std::int32_t made = 0;
};
Arrangements arrange(const permutation::Engine& engine, const SignificanceRequest& request);

// The translations (dx, dy) of a toroidal test of `count` permutations of a grid of N =
// `cells`, out of its N^2 - 1 other than the identity: all of them in order when count
// reaches that number, else `count` of them drawn from `seed`.
std::vector<std::pair<std::int32_t, std::int32_t>> translationsOf(std::int32_t cells, std::int32_t count,
                                                                  std::uint64_t seed);

// The test of one observed r from the r of its permutations, those that gave one
// (`permutationsUsed`), the equal-tailed p = min(1, 2 min(1 + #{r* <= r}, 1 + #{r* >= r}) / (1 + used)) in
// extended precision rounded to double, and the envelope as ShiftTest defines it; nothing
// but permutationsUsed = 0 without permutations. Reorders `permuted`.
ShiftTest equalTailedTest(double observed, std::vector<double>& permuted);

// Holm's step-down adjustment of a family of p values: with the p sorted, p(1) <= ... <=
// p(m), the i-th becomes the largest of min(1, (m - j + 1) p(j)) for j <= i, each product
// rounded to double; the result in the order of `p`.
std::vector<double> holmAdjusted(const std::vector<double>& p);

// Sets the pHolm of every shift of `correlogram` that has a p: holmAdjusted() of the p of
// both directions together, as R's p.adjust(p, "holm") gives them. North-south's shift 0 of
// a crossed correlogram pairs the same cells as east-west's, so it is one test: it counts
// once and takes east-west's figure.
void adjustHolm(Correlogram& correlogram);

// The step-down maxT adjustment of Westfall and Young (1993) of a family of tests from
// their joint permutations, row b of every test from the same permutation b.
//  - Each test is made comparable by its own arrangements, the observed r and the permuted
//    r that are not NaN: mean* (the first permuted r plus the mean of the differences from
//    it, so that equal values have no spread) and sd* (divided by their number), in extended
//    precision rounded to double; z(x) = |x - mean*| / sd*, 0 with sd* = 0 (every
//    arrangement alike); t = z(r) of the observed r, and z of each permuted r. The observed
//    arrangement is standardised with the permuted ones, as one of them: under the null its
//    t is exchangeable with theirs.
//  - The tests ordered by t, largest first (ties in the order they were added): u_bj is the
//    largest z of permutation b over test j and every test after it, a NaN counting for
//    nothing; n_j the permutations with at least one r among those tests.
//  - p~_j = (1 + #{b : u_bj >= t_j}) / (1 + n_j), then along the order the largest of p~
//    and of the tests' own equal-tailed p (equalTailedTest()) so far, at most 1: never
//    below the test's own p, and non-decreasing as t falls.
// The permuted r may be given part by part, which lets a family whose permutations do not
// fit in memory at once be counted from a second run of them.
class MaxTStepDown {
public:
    // Adds a test: `observed`, and its permuted r at `column` of `rows`, `columns` values a
    // row. False, and nothing added, when no permutation gave an r there. Every test is
    // added before the first take().
    bool add(double observed, std::span<const double> rows, std::size_t columns, std::size_t column);
    // The tests, by the order they were added in, as take() is to be given them: the
    // smallest t first.
    std::vector<std::size_t> order() const;
    // Counts test `test` (the next of order()) with its permuted r, as add() reads them;
    // the rows are the same permutations as add()'s, in the same order.
    void take(std::size_t test, std::span<const double> rows, std::size_t columns, std::size_t column);
    // The adjusted p of the tests in the order they were added, once every one was taken.
    std::vector<double> adjusted() const;

private:
    struct Test {
        double mean, sd, t, p;
        std::int64_t exceeding = 0, counted = 0;
    };
    double z(const Test& test, double x) const;
    std::vector<Test> tests_;
    std::vector<double> largest_;  // u of each permutation so far; -infinity before any r
    std::size_t taken_ = 0;
};

// MaxTStepDown's adjusted p of the columns of `rows` (a row of `columns` permuted r per
// permutation, NaN where it gave none): the family is every column whose `observed` r is
// not NaN and at which some permutation gave an r. NaN for a column outside the family.
std::vector<double> maxTAdjusted(std::span<const double> observed, std::span<const double> rows, std::size_t columns);

}  // namespace geolago
