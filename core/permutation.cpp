#include "permutation.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <limits>
#include <utility>

#include "extended.h"
#include "plain_definitions.h"

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

// The sums of the filled cells, then their means, with `values` as the column (the points
// with a value, as `pointSlot` lists them): the steps of Remplit_Grille, point after point. Throws FloatFailure as it
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

Correlograms::Correlograms(const Store& store, VariablePosition first, VariablePosition second,
                           std::int32_t maxShift)
    : cells_(store.NBMailles), maxShift_(maxShift), crossed_(first != second)
{
    static std::atomic<std::uint64_t> made{0};
    id_ = ++made;
    const std::int32_t n = cells_;
    const auto side = static_cast<std::size_t>(n + 1);

    // A slot for every cell a value of `second` fills, in the order their first points
    // come; a point whose value is missing takes no part.
    cellSlot_.assign(side * side, Empty);
    for (int i = 1; i <= store.NBPoints; ++i) {
        const double value = store.Donnees[i][second];
        if (!plain::entersCell(value))
            continue;
        const TMaille cell = store.Maille_Point[i];
        assert(cell.IX >= 0 && cell.IX <= n && cell.IY >= 0 && cell.IY <= n);
        std::uint32_t& slot = cellSlot_[static_cast<std::size_t>(cell.IX) * side + static_cast<std::size_t>(cell.IY)];
        if (slot == Empty) {
            slot = static_cast<std::uint32_t>(slotPoints_.size());
            slotPoints_.push_back(0);
            slotCell_.push_back(cell);
        }
        ++slotPoints_[slot];
        pointSlot_.push_back(slot);
        secondColumn_.push_back(value);
    }
    const fast::Rows layout(n);
    for (std::uint32_t s = 0; s < slotCell_.size(); ++s) {
        const TMaille cell = slotCell_[s];
        if (cell.IX >= 1 && cell.IY >= 1)
            inner_.push_back({s, layout.index(cell.IY, cell.IX), layout.index(cell.IX, cell.IY)});
    }

    // The fixed first variable of a crossed correlogram, its cells filled by its own values.
    if (crossed_) {
        firstGrid_ = std::make_unique<Grid>(n);
        fillGrid(store, first, *firstGrid_);
        firstRows_ = {fast::Rows::of(Direction::EastWest, *firstGrid_, n),
                      fast::Rows::of(Direction::NorthSouth, *firstGrid_, n)};
    }

    // Where each shift's first pair lies depends on the filled cells only.
    std::vector<fast::Rows> filled(2, layout);
    toRows(std::vector<double>(slotCell_.size(), 0.0), filled);
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        const auto d = static_cast<std::size_t>(indexOf(direction));
        firstPairs_[d] = fast::firstPairs(crossed_ ? firstRows_[d] : filled[d], filled[d],
                                          lastShift(direction, n, maxShift));
    }

    // The column as it stands must aggregate, as Remplit_Grille would have it.
    aggregate(secondColumn_, pointSlot_, slotPoints_, secondMeans_);
}

std::int32_t Correlograms::shifts(Direction direction) const
{
    return lastShift(direction, cells_, maxShift_) + 1;
}

void Correlograms::toRows(const std::vector<double>& means, std::vector<fast::Rows>& rows) const
{
    for (const Inner& cell : inner_) {
        rows[0].at(cell.eastWest) = means[cell.slot];
        rows[1].at(cell.northSouth) = means[cell.slot];
    }
}

void Correlograms::figures(std::span<const double> values, Workspace& workspace, std::span<double> r) const
{
    std::fill(r.begin(), r.end(), NoR);
    try {
        aggregate(values, pointSlot_, slotPoints_, workspace.means);
    } catch (const FloatFailure&) {
        return;  // Remplit_Grille would fail: no grid, no r
    }
    if (workspace.preparedBy != id_) {
        workspace.rows.assign(2, fast::Rows(cells_));
        workspace.pairs.resize(static_cast<std::size_t>(cells_) + 1);
        workspace.preparedBy = id_;
    }
    toRows(workspace.means, workspace.rows);
    const std::vector<fast::Rows>& first = crossed_ ? firstRows_ : workspace.rows;
    std::size_t offset = 0;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        const int d = indexOf(direction);
        const auto at = static_cast<std::size_t>(d);
        if (!fast::correlations(first[at], workspace.rows[at], lastShift(direction, cells_, maxShift_), firstPairs_[at].data(),
                                 workspace.pairs.data(), r.data() + offset)) {
            if (!workspace.grid)
                workspace.grid = std::make_unique<Grid>(cells_);
            workspace.grid->reserve(cells_);
            toGrid(workspace.means, *workspace.grid);
            shiftByShift(workspace, r);
            return;
        }
        offset += static_cast<std::size_t>(shifts(direction));
    }
    // North-south's shift 0 is the origin, which east-west's layout reads.
    if (shifts(Direction::NorthSouth) > 0)
        r[static_cast<std::size_t>(shifts(Direction::EastWest))] = r[0];
}

void Correlograms::translated(std::int32_t dx, std::int32_t dy, Workspace& workspace, std::span<double> r) const
{
    assert(crossed_ && dx >= 0 && dx < cells_ && dy >= 0 && dy < cells_);
    std::fill(r.begin(), r.end(), NoR);
    const std::int32_t n = cells_;
    const auto side = static_cast<std::size_t>(n + 1);
    // The slot whose mean cell [ix][iy], 1..N, takes, or Empty; cells of index 0 stay empty.
    auto from = [&](std::int32_t ix, std::int32_t iy) {
        if (ix == 0 || iy == 0)
            return Empty;
        return cellSlot_[static_cast<std::size_t>((ix - 1 - dx + n) % n + 1) * side
                         + static_cast<std::size_t>((iy - 1 - dy + n) % n + 1)];
    };
    // Every cell that can be paired is written, empty ones too, so rows of this N are
    // taken as they are; they hold no placement's layout afterwards.
    if (workspace.rows.size() != 2 || workspace.rows[0].cells() != cells_)
        workspace.rows.assign(2, fast::Rows(cells_));
    workspace.pairs.resize(static_cast<std::size_t>(cells_) + 1);
    workspace.preparedBy = 0;
    for (std::int32_t ix = 1; ix <= cells_; ++ix)
        for (std::int32_t iy = 1; iy <= cells_; ++iy) {
            const std::uint32_t slot = from(ix, iy);
            const double mean = slot != Empty ? secondMeans_[slot] : std::numeric_limits<double>::quiet_NaN();
            workspace.rows[0].at(iy, ix) = mean;
            workspace.rows[1].at(ix, iy) = mean;
        }
    std::size_t offset = 0;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        const auto at = static_cast<std::size_t>(indexOf(direction));
        const std::int32_t last = lastShift(direction, cells_, maxShift_);
        const std::vector<std::size_t> firstPairs = fast::firstPairs(firstRows_[at], workspace.rows[at], last);
        if (!fast::correlations(firstRows_[at], workspace.rows[at], last, firstPairs.data(), workspace.pairs.data(),
                                 r.data() + offset)) {
            if (!workspace.grid)
                workspace.grid = std::make_unique<Grid>(cells_);
            workspace.grid->reserve(cells_);
            Grid& grid = *workspace.grid;
            for (std::int32_t ix = 0; ix <= cells_; ++ix)
                for (std::int32_t iy = 0; iy <= cells_; ++iy) {
                    const std::uint32_t slot = from(ix, iy);
                    grid[ix][iy] = slot == Empty ? TCellule{} : TCellule{secondMeans_[slot], slotPoints_[slot], 1};
                }
            shiftByShift(workspace, r);
            return;
        }
        offset += static_cast<std::size_t>(shifts(direction));
    }
    // North-south's shift 0 is the origin, which east-west's layout reads.
    if (shifts(Direction::NorthSouth) > 0)
        r[static_cast<std::size_t>(shifts(Direction::EastWest))] = r[0];
}

void Correlograms::shiftByShift(Workspace& workspace, std::span<double> r) const
{
    const Grid& second = *workspace.grid;
    const Grid& first = crossed_ ? *firstGrid_ : second;
    std::size_t offset = 0;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        for (std::int32_t k = 0; k < shifts(direction); ++k) {
            double& rk = r[offset + static_cast<std::size_t>(k)];
            try {
                rk = plain::shiftFigures(direction, first, second, cells_, k).r.value_or(NoR);
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
