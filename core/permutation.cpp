#include "permutation.h"

#include <algorithm>
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
void aggregate(std::span<const double> values, const std::vector<std::uint16_t>& pointSlot,
               const std::vector<std::uint32_t>& slotPoints, std::vector<double>& means)
{
    means.assign(slotPoints.size(), 0.0);
    for (std::size_t i = 0; i < pointSlot.size(); ++i)
        means[pointSlot[i]] = plain::addToCell(means[pointSlot[i]], values[i]);
    for (std::size_t s = 0; s < means.size(); ++s)
        means[s] = plain::cellMean(means[s], slotPoints[s]);
}

// The means in single precision, as the correlations read them; false when a cell that
// can be paired leaves the single-precision range.
bool toSingles(const std::vector<double>& means, const std::vector<std::uint16_t>& innerSlots,
               std::vector<float>& singles)
{
    singles.resize(means.size());
    for (std::size_t s = 0; s < means.size(); ++s)
        singles[s] = static_cast<float>(means[s]);
    bool finite = true;
    for (const std::uint16_t s : innerSlots)
        finite = finite && std::isfinite(singles[s]);
    return finite;
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

    // A slot for every filled cell, in the order their first points come.
    std::int32_t slotOf[MaxMailles + 1][MaxMailles + 1];
    for (auto& row : slotOf)
        std::fill(std::begin(row), std::end(row), -1);
    for (int i = 1; i <= store.NBPoints; ++i) {
        const TMaille cell = store.Maille_Point[i];
        assert(cell.IX >= 0 && cell.IX <= n && cell.IY >= 0 && cell.IY <= n);
        std::int32_t& slot = slotOf[cell.IX][cell.IY];
        if (slot < 0) {
            slot = static_cast<std::int32_t>(slotPoints_.size());
            slotPoints_.push_back(0);
            slotCell_.push_back(cell);
            if (cell.IX >= 1 && cell.IY >= 1)
                innerSlots_.push_back(static_cast<std::uint16_t>(slot));
        }
        ++slotPoints_[static_cast<std::size_t>(slot)];
        pointSlot_.push_back(static_cast<std::uint16_t>(slot));
        secondColumn_.push_back(store.Donnees[i][second]);
    }

    // The pairs of every shift, in the order of the plain definition: b = 1..N-k, then
    // a = 1..N.
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        Pairs& pairs = pairs_[indexOf(direction)];
        pairs.last = lastShift(direction, n);
        for (std::int32_t k = 0; k <= pairs.last; ++k) {
            pairs.start[k] = static_cast<int>(pairs.first.size());
            for (int b = 1; b <= n - k; ++b)
                for (int a = 1; a <= n; ++a) {
                    const bool eastWest = direction == Direction::EastWest;
                    const std::int32_t x = eastWest ? slotOf[a][b] : slotOf[b][a];
                    const std::int32_t y = eastWest ? slotOf[a][b + k] : slotOf[b + k][a];
                    if (x >= 0 && y >= 0) {
                        pairs.first.push_back(static_cast<std::uint16_t>(x));
                        pairs.second.push_back(static_cast<std::uint16_t>(y));
                    }
                }
        }
        pairs.start[pairs.last + 1] = static_cast<int>(pairs.first.size());
    }

    if (crossed_) {
        std::vector<double> firstColumn;
        for (int i = 1; i <= store.NBPoints; ++i)
            firstColumn.push_back(store.Donnees[i][first]);
        aggregate(firstColumn, pointSlot_, slotPoints_, firstMeans_);
        firstSinglesFinite_ = toSingles(firstMeans_, innerSlots_, firstSingles_);
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
    return pairs.start[k + 1] - pairs.start[k];
}

void Correlograms::figures(std::span<const double> values, Workspace& workspace, std::span<float> r) const
{
    std::fill(r.begin(), r.end(), NoR);
    try {
        aggregate(values, pointSlot_, slotPoints_, workspace.means);
    } catch (const FloatFailure&) {
        return;  // Remplit_Grille would fail: no grid, no r
    }
    bool done = toSingles(workspace.means, innerSlots_, workspace.singles) && firstSinglesFinite_;
    const float* second = workspace.singles.data();
    const float* first = crossed_ ? firstSingles_.data() : second;
    std::size_t offset = 0;
    for (const Pairs& pairs : pairs_) {
        if (!done)
            break;
        abreast::Figures out;
        done = abreast::figures([&](int i) { return first[pairs.first[static_cast<std::size_t>(i)]]; },
                                [&](int i) { return second[pairs.second[static_cast<std::size_t>(i)]]; },
                                pairs.start, pairs.last, out);
        for (std::int32_t k = 0; done && k <= pairs.last; ++k)
            r[offset + static_cast<std::size_t>(k)] = out.pairs[k] >= plain::MinPairs ? out.r[k] : NoR;
        offset += static_cast<std::size_t>(pairs.last + 1);
    }
    if (!done)
        shiftByShift(workspace, r);
}

void Correlograms::shiftByShift(Workspace& workspace, std::span<float> r) const
{
    if (!workspace.grid)
        workspace.grid = std::make_unique<Grid>();
    toGrid(workspace.means, *workspace.grid);
    const Grid& second = *workspace.grid;
    const Grid& first = crossed_ ? *firstGrid_ : second;
    std::size_t offset = 0;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        for (std::int32_t k = 0; k < shifts(direction); ++k) {
            float& rk = r[offset + static_cast<std::size_t>(k)];
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
