#include "permutation.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdlib>
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

std::vector<ShiftVector> correlogramVectors(std::int32_t cells, std::int32_t maxShift)
{
    std::vector<ShiftVector> vectors;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth})
        for (std::int32_t k = 0; k <= lastShift(direction, cells, maxShift); ++k)
            vectors.push_back(shiftVector(direction, k));
    return vectors;
}

Engine::Engine(const Store& store, VariablePosition first, VariablePosition second, std::vector<ShiftVector> vectors)
    : cells_(store.NBMailles), crossed_(first != second), vectors_(std::move(vectors))
{
    static std::atomic<std::uint64_t> made{0};
    id_ = ++made;
    const std::int32_t n = cells_;
    const auto side = static_cast<std::size_t>(n + 1);

    // A slot for every cell a value of `second` fills, in the order their first points
    // come; a point whose value is missing takes no part.
    cellSlot_.assign(side * side, Empty);
    const double* values = store.Donnees.column(second).data();
    const TMaille* cells = store.Maille_Point.data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(store.NBPoints); ++i) {
        const double value = values[i];
        if (!plain::entersCell(value))
            continue;
        const TMaille cell = cells[i];
        assert(cell.IX >= 1 && cell.IX <= n && cell.IY >= 1 && cell.IY <= n);
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

    // The vectors by the layout they read; a step across the columns needs a margin.
    for (const Direction layout : {Direction::EastWest, Direction::NorthSouth}) {
        Group group{layout, 0, {}, {}, {}};
        for (std::size_t i = 0; i < vectors_.size(); ++i)
            if (plain::layoutOf(vectors_[i]) == layout) {
                group.steps.push_back(fast::stepOf(vectors_[i]));
                group.at.push_back(i);
                group.margin = std::max(group.margin, std::abs(group.steps.back().columns));
            }
        if (!group.steps.empty())
            groups_.push_back(std::move(group));
    }

    // The fixed first variable of a crossed correlogram, its cells filled by its own values.
    if (crossed_) {
        firstGrid_ = std::make_unique<Grid>(n);
        fillGrid(store, first, *firstGrid_);
        for (const Group& group : groups_)
            firstRows_.push_back(fast::Rows::of(group.layout, *firstGrid_, group.margin));
    }
    // Where each step's first pair lies depends on the filled cells only, which a shuffle
    // keeps.
    Workspace filled;
    toRows(std::vector<double>(slotCell_.size(), 0.0), filled);
    for (std::size_t g = 0; g < groups_.size(); ++g)
        groups_[g].firstPairs =
            fast::firstPairs(crossed_ ? firstRows_[g] : filled.rows[g], filled.rows[g], groups_[g].steps);

    // The column as it stands must aggregate, as Remplit_Grille would have it.
    aggregate(secondColumn_, pointSlot_, slotPoints_, secondMeans_);
}

void Engine::prepare(Workspace& workspace) const
{
    if (workspace.preparedBy == id_)
        return;
    workspace.rows.clear();
    for (const Group& group : groups_)
        workspace.rows.emplace_back(cells_, group.margin);
    workspace.preparedBy = id_;
}

void Engine::toRows(const std::vector<double>& means, Workspace& workspace) const
{
    prepare(workspace);
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const bool eastWest = groups_[g].layout == Direction::EastWest;
        for (std::size_t s = 0; s < slotCell_.size(); ++s)
            workspace.rows[g].at(eastWest ? slotCell_[s].IY : slotCell_[s].IX,
                                 eastWest ? slotCell_[s].IX : slotCell_[s].IY) = means[s];
    }
}

bool Engine::fromRows(Workspace& workspace, std::span<double> r, bool findFirstPairs) const
{
    bool computed = true;
    for (std::size_t g = 0; g < groups_.size() && computed; ++g) {
        const Group& group = groups_[g];
        const fast::Rows& second = workspace.rows[g];
        const fast::Rows& first = crossed_ ? firstRows_[g] : second;
        const std::vector<std::size_t> found =
            findFirstPairs ? fast::firstPairs(first, second, group.steps) : std::vector<std::size_t>{};
        workspace.pairs.resize(group.steps.size());
        workspace.r.resize(group.steps.size());
        computed = fast::correlations(first, second, group.steps, findFirstPairs ? found.data() : group.firstPairs.data(),
                                      workspace.pairs.data(), workspace.r.data());
        for (std::size_t s = 0; s < group.steps.size(); ++s)
            r[group.at[s]] = workspace.r[s];
    }
    return computed;
}

void Engine::figures(std::span<const double> values, Workspace& workspace, std::span<double> r) const
{
    std::fill(r.begin(), r.end(), NoR);
    try {
        aggregate(values, pointSlot_, slotPoints_, workspace.means);
    } catch (const FloatFailure&) {
        return;  // Remplit_Grille would fail: no grid, no r
    }
    // Only the filled cells are written: rows laid out once for this placement need no
    // clearing, the empty cells staying NaN.
    toRows(workspace.means, workspace);
    if (fromRows(workspace, r, false))
        return;
    if (!workspace.grid)
        workspace.grid = std::make_unique<Grid>(cells_);
    Grid& grid = *workspace.grid;
    grid.setCellsPerAxis(cells_);
    for (int c = 0; c <= cells_; ++c)
        for (int row = 0; row <= cells_; ++row)
            grid[c][row] = TCellule{};
    for (std::size_t s = 0; s < workspace.means.size(); ++s)
        grid[slotCell_[s].IX][slotCell_[s].IY] = {workspace.means[s], slotPoints_[s], 1};
    byDefinition(workspace, r);
}

void Engine::translated(std::int32_t dx, std::int32_t dy, Workspace& workspace, std::span<double> r) const
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
    // Every cell that can be paired is written, empty ones too, so rows of this placement
    // are taken as they are, and are left as no arrangement of it.
    prepare(workspace);
    workspace.preparedBy = 0;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const bool eastWest = groups_[g].layout == Direction::EastWest;
        for (std::int32_t ix = 1; ix <= n; ++ix)
            for (std::int32_t iy = 1; iy <= n; ++iy) {
                const std::uint32_t slot = from(ix, iy);
                workspace.rows[g].at(eastWest ? iy : ix, eastWest ? ix : iy) =
                    slot != Empty ? secondMeans_[slot] : std::numeric_limits<double>::quiet_NaN();
            }
    }
    if (fromRows(workspace, r, true))
        return;
    if (!workspace.grid)
        workspace.grid = std::make_unique<Grid>(cells_);
    Grid& grid = *workspace.grid;
    grid.setCellsPerAxis(cells_);
    for (std::int32_t ix = 0; ix <= n; ++ix)
        for (std::int32_t iy = 0; iy <= n; ++iy) {
            const std::uint32_t slot = from(ix, iy);
            grid[ix][iy] = slot == Empty ? TCellule{} : TCellule{secondMeans_[slot], slotPoints_[slot], 1};
        }
    byDefinition(workspace, r);
}

void Engine::byDefinition(Workspace& workspace, std::span<double> r) const
{
    const Grid& second = *workspace.grid;
    const Grid& first = crossed_ ? *firstGrid_ : second;
    for (std::size_t i = 0; i < vectors_.size(); ++i) {
        try {
            r[i] = plain::vectorFigures(first, second, vectors_[i]).r.value_or(NoR);
        } catch (const FloatFailure&) {
            r[i] = NoR;
        }
    }
}

}  // namespace geolago::permutation
