#include "permutation.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <utility>

#include "abreast.h"
#include "extended.h"
#include "plain.h"

namespace geolago::permutation {

namespace {

// The SplitMix64 output function.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

std::uint64_t splitMix(std::uint64_t& state)
{
    state += 0x9E3779B97F4A7C15u;
    return mix(state);
}

std::uint64_t rotateLeft(std::uint64_t v, int bits)
{
    return (v << bits) | (v >> (64 - bits));
}

int indexOf(Direction direction)
{
    return direction == Direction::EastWest ? 0 : 1;
}

// The sums of the filled cells, then their means, with `values` as the column (point i at
// index i - 1): the steps of Remplit_Grille, point after point. Throws FloatFailure as it
// does.
void aggregate(std::span<const double> values, const std::vector<std::uint32_t>& pointSlot,
               const std::vector<std::uint32_t>& slotPoints, std::vector<double>& means)
{
    means.assign(slotPoints.size(), 0.0);
    for (std::size_t i = 0; i < pointSlot.size(); ++i)
        means[pointSlot[i]] = plain::addToCell(means[pointSlot[i]], values[i]);
    for (std::size_t s = 0; s < means.size(); ++s)
        means[s] = plain::cellMean(means[s], slotPoints[s]);
}

}  // namespace

Random Random::forBlock(std::uint64_t seed, std::uint64_t block)
{
    Random random;
    std::uint64_t state = mix(seed ^ mix(block));
    for (std::uint64_t& word : random.s_)
        word = splitMix(state);
    return random;
}

std::uint64_t Random::next()
{
    const std::uint64_t result = rotateLeft(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotateLeft(s_[3], 45);
    return result;
}

std::uint32_t Random::below(std::uint32_t bound)
{
    std::uint64_t product = (next() >> 32) * bound;
    if (static_cast<std::uint32_t>(product) < bound) {
        const std::uint32_t biased = static_cast<std::uint32_t>(-bound) % bound;
        while (static_cast<std::uint32_t>(product) < biased)
            product = (next() >> 32) * bound;
    }
    return static_cast<std::uint32_t>(product >> 32);
}

void shuffle(std::span<double> values, Random& random)
{
    for (std::size_t i = values.size(); i > 1; --i)
        std::swap(values[i - 1], values[random.below(static_cast<std::uint32_t>(i))]);
}

Correlograms::Correlograms(const Store& store, std::uint8_t first, std::uint8_t second)
    : cells_(store.NBMailles), crossed_(first != second)
{
    const std::int32_t n = cells_;
    const auto side = static_cast<std::size_t>(n + 1);

    // A slot for every filled cell, in the order their first points come.
    constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    std::vector<std::uint32_t> slotOf(side * side, Empty);  // [IX * (N + 1) + IY]
    for (int i = 1; i <= store.NBPoints; ++i) {
        const TMaille cell = store.Maille_Point[i];
        assert(cell.IX >= 0 && cell.IX <= n && cell.IY >= 0 && cell.IY <= n);
        std::uint32_t& slot = slotOf[static_cast<std::size_t>(cell.IX) * side + static_cast<std::size_t>(cell.IY)];
        if (slot == Empty) {
            slot = static_cast<std::uint32_t>(slotPoints_.size());
            slotPoints_.push_back(0);
            slotCell_.push_back(cell);
        }
        ++slotPoints_[slot];
        pointSlot_.push_back(slot);
        secondColumn_.push_back(store.Donnees[i][second]);
    }

    // The pairs of every shift, in the order of the plain definition: b = 1..N-k, then
    // a = 1..N. Row b of a direction holds the cells whose shifted index is b, one bit per
    // filled cell a = 1..N; the pairs of row b at shift k are the bits rows b and b + k
    // share, lowest first.
    const std::size_t words = side / 64 + 1;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        const bool eastWest = direction == Direction::EastWest;
        auto slotAt = [&](int b, int a) {
            return eastWest ? slotOf[static_cast<std::size_t>(a) * side + static_cast<std::size_t>(b)]
                            : slotOf[static_cast<std::size_t>(b) * side + static_cast<std::size_t>(a)];
        };
        std::vector<std::uint64_t> filled(side * words);
        for (int b = 1; b <= n; ++b)
            for (int a = 1; a <= n; ++a)
                if (slotAt(b, a) != Empty)
                    filled[static_cast<std::size_t>(b) * words + static_cast<std::size_t>(a / 64)] |= std::uint64_t{1} << (a % 64);

        Pairs& pairs = pairs_[indexOf(direction)];
        pairs.last = lastShift(direction, n);
        pairs.start.assign(static_cast<std::size_t>(std::max(pairs.last, -1) + 2), 0);
        for (std::int32_t k = 0; k <= pairs.last; ++k) {
            pairs.start[static_cast<std::size_t>(k)] = static_cast<int>(pairs.first.size());
            for (int b = 1; b <= n - k; ++b)
                for (std::size_t w = 0; w < words; ++w)
                    for (std::uint64_t both = filled[static_cast<std::size_t>(b) * words + w]
                                              & filled[static_cast<std::size_t>(b + k) * words + w];
                         both != 0; both &= both - 1) {
                        const int a = static_cast<int>(64 * w) + std::countr_zero(both);
                        pairs.first.push_back(slotAt(b, a));
                        pairs.second.push_back(slotAt(b + k, a));
                    }
        }
        pairs.start[static_cast<std::size_t>(pairs.last + 1)] = static_cast<int>(pairs.first.size());
    }

    if (crossed_) {
        std::vector<double> firstColumn;
        for (int i = 1; i <= store.NBPoints; ++i)
            firstColumn.push_back(store.Donnees[i][first]);
        aggregate(firstColumn, pointSlot_, slotPoints_, firstMeans_);
        firstGrid_ = std::make_unique<Grid>();
        toGrid(firstMeans_, *firstGrid_);
    }
}

std::int32_t Correlograms::shifts(Direction direction) const
{
    return pairs_[indexOf(direction)].last + 1;
}

std::int32_t Correlograms::pairs(Direction direction, std::int32_t k) const
{
    const Pairs& pairs = pairs_[indexOf(direction)];
    return pairs.start[static_cast<std::size_t>(k) + 1] - pairs.start[static_cast<std::size_t>(k)];
}

void Correlograms::figures(std::span<const double> values, Workspace& workspace, std::span<double> r) const
{
    std::fill(r.begin(), r.end(), NoR);
    try {
        aggregate(values, pointSlot_, slotPoints_, workspace.means);
    } catch (const FloatFailure&) {
        return;  // Remplit_Grille would fail: no grid, no r
    }
    const double* second = workspace.means.data();
    const double* first = crossed_ ? firstMeans_.data() : second;
    std::size_t offset = 0;
    for (const Pairs& pairs : pairs_) {
        const bool done = abreast::correlations([&](int i) { return first[pairs.first[static_cast<std::size_t>(i)]]; },
                                                [&](int i) { return second[pairs.second[static_cast<std::size_t>(i)]]; },
                                                pairs.start.data(), pairs.last, r.data() + offset);
        if (!done) {
            shiftByShift(workspace, r);
            return;
        }
        offset += static_cast<std::size_t>(pairs.last + 1);
    }
}

void Correlograms::shiftByShift(Workspace& workspace, std::span<double> r) const
{
    if (!workspace.grid)
        workspace.grid = std::make_unique<Grid>();
    toGrid(workspace.means, *workspace.grid);
    const Grid& second = *workspace.grid;
    const Grid& first = crossed_ ? *firstGrid_ : second;
    std::size_t offset = 0;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        for (std::int32_t k = 0; k < shifts(direction); ++k) {
            double& rk = r[offset + static_cast<std::size_t>(k)];
            try {
                const plain::ShiftFigures figures = plain::shiftFigures(direction, first, second, cells_, k);
                rk = figures.pairs >= plain::MinPairs ? figures.r : NoR;
            } catch (const FloatFailure&) {
                rk = NoR;
            }
        }
        offset += static_cast<std::size_t>(shifts(direction));
    }
}

void Correlograms::toGrid(const std::vector<double>& means, Grid& grid) const
{
    for (int c = 0; c <= cells_; ++c)
        for (int r = 0; r <= cells_; ++r)
            grid[c][r] = TCellule{};
    for (std::size_t s = 0; s < means.size(); ++s)
        grid[slotCell_[s].IX][slotCell_[s].IY] = {means[s], slotPoints_[s], 1};
}

}  // namespace geolago::permutation
