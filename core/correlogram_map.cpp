#include "correlogram_map.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <span>
#include <string>

#include "analysis.h"
#include "extended.h"
#include "fast_correlation.h"
#include "permutation.h"
#include "plain_definitions.h"

namespace geolago {

namespace {

using fast::NoR;

// The vectors a map computes: an auto-correlogram's half, where dy > 0, or dy = 0 and
// dx >= 0, or every vector of a crossed one.
std::vector<ShiftVector> computedVectors(std::int32_t k, bool crossed)
{
    std::vector<ShiftVector> vectors;
    for (std::int32_t dx = -k; dx <= k; ++dx)
        for (std::int32_t dy = -k; dy <= k; ++dy)
            if (crossed || dy > 0 || (dy == 0 && dx >= 0))
                vectors.push_back({dx, dy});
    return vectors;
}

// The figures of a list of vectors for any column of the second variable, as
// Remplit_Grille then plain::vectorFigures() give them on a store whose column was
// replaced, bit for bit: the vectors grouped by the layout they read, each group on the
// fast road, the plain one vector by vector where that meets a fault.
class MapRoad {
public:
    // Per thread: the cells of the column being computed.
    struct Workspace {
        std::unique_ptr<Grid> grid = std::make_unique<Grid>();
        std::vector<fast::Rows> rows;  // of each group
        std::vector<std::int32_t> pairs;
        std::vector<double> r;
    };

    MapRoad(const Store& store, VariablePosition first, VariablePosition second, std::vector<ShiftVector> vectors)
        : store_(store), cells_(store.NBMailles), crossed_(first != second), vectors_(std::move(vectors))
    {
        for (int i = 1; i <= store.NBPoints; ++i) {
            secondColumn_.push_back(store.Donnees[i][second]);
            if (plain::entersCell(secondColumn_.back())) {
                present_.push_back(static_cast<std::size_t>(i - 1));
                presentValues_.push_back(secondColumn_.back());
            }
        }
        // B's own grid, which a toroidal test translates.
        if (crossed_) {
            secondGrid_ = std::make_unique<Grid>(cells_);
            fillGrid(store, second, *secondGrid_);
        }
        // The filled cells, which every column shares, and the first variable's when it stays.
        firstGrid_ = std::make_unique<Grid>();
        fillGrid(store, first, *firstGrid_);
        for (const Direction layout : {Direction::EastWest, Direction::NorthSouth}) {
            Group group{layout, 0, {}, {}, {}};
            for (std::size_t i = 0; i < vectors_.size(); ++i)
                if (plain::layoutOf(vectors_[i]) == layout) {
                    group.steps.push_back(fast::stepOf(vectors_[i]));
                    group.at.push_back(i);
                    group.margin = std::max(group.margin, std::abs(group.steps.back().columns));
                }
            if (group.steps.empty())
                continue;
            firstRows_.push_back(fast::Rows::of(layout, *firstGrid_, cells_, group.margin));
            group.firstPairs = fast::firstPairs(firstRows_.back(), firstRows_.back(), group.steps);
            groups_.push_back(std::move(group));
        }
    }

    const std::vector<double>& secondColumn() const { return secondColumn_; }

    // The column of the second variable with its values shuffled among the points that
    // have one, as the correlograms' test shuffles them; `random` draws the shuffle.
    void shuffled(std::vector<double>& column, std::vector<double>& values, permutation::Random& random) const
    {
        column = secondColumn_;
        values = presentValues_;
        permutation::shuffle(values, random);
        for (std::size_t j = 0; j < present_.size(); ++j)
            column[present_[j]] = values[j];
    }
    std::size_t size() const { return vectors_.size(); }

    Workspace workspace() const
    {
        Workspace workspace;
        for (const Group& group : groups_)
            workspace.rows.emplace_back(cells_, group.margin);
        return workspace;
    }

    // r of every vector with `values` as the column of the second variable (point i at
    // index i - 1), NoR where it has none, and the pairs behind each r (0 without one).
    // Throws FloatFailure where the aggregation faults.
    void figures(std::span<const double> values, Workspace& workspace, std::span<double> r,
                 std::span<std::int32_t> pairs) const
    {
        fillGrid(store_, values, *workspace.grid);
        fromGrid(workspace, r, pairs);
    }

    // r of every vector with B's grid of cell means translated by (dx, dy) on the torus of
    // cells 1..N, both indices modulo N, its filled cells moving with it.
    void translated(std::int32_t dx, std::int32_t dy, Workspace& workspace, std::span<double> r,
                    std::span<std::int32_t> pairs) const
    {
        Grid& grid = *workspace.grid;
        grid.reserve(cells_);
        const std::int32_t n = cells_;
        for (int ix = 1; ix <= n; ++ix)
            for (int iy = 1; iy <= n; ++iy)
                grid[(ix - 1 + dx) % n + 1][(iy - 1 + dy) % n + 1] = (*secondGrid_)[ix][iy];
        fromGrid(workspace, r, pairs);
    }

private:
    // r of every vector with workspace.grid as B's cells.
    void fromGrid(Workspace& workspace, std::span<double> r, std::span<std::int32_t> pairs) const
    {
        const Grid& second = *workspace.grid;
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            const Group& group = groups_[g];
            fast::Rows& rows = workspace.rows[g];
            for (int b = 1; b <= cells_; ++b)
                for (int a = 1; a <= cells_; ++a) {
                    const TCellule& cell = group.layout == Direction::EastWest ? second[a][b] : second[b][a];
                    rows.at(b, a) = cell.Remplie != 0 ? cell.Somme : NoR;
                }
            workspace.pairs.resize(group.steps.size());
            workspace.r.resize(group.steps.size());
            // A's cells and B's may be filled otherwise (a translation, missing values):
            // where each step's pairs begin is then looked for again.
            const std::vector<std::size_t> firstPairs =
                crossed_ ? fast::firstPairs(firstRows_[g], rows, group.steps) : std::vector<std::size_t>{};
            if (!fast::correlations(crossed_ ? firstRows_[g] : rows, rows, group.steps,
                                    crossed_ ? firstPairs.data() : group.firstPairs.data(), workspace.pairs.data(),
                                    workspace.r.data())) {
                vectorByVector(second, r, pairs);
                return;
            }
            for (std::size_t s = 0; s < group.steps.size(); ++s) {
                r[group.at[s]] = workspace.r[s];
                pairs[group.at[s]] = std::isnan(workspace.r[s]) ? 0 : workspace.pairs[s];
            }
        }
    }

    struct Group {
        Direction layout;
        std::int32_t margin;
        std::vector<fast::Step> steps;
        std::vector<std::size_t> at;  // the vector of each step
        std::vector<std::size_t> firstPairs;
    };

    // The plain road, for cells whose fast figures met a fault: a vector that faults has no r.
    void vectorByVector(const Grid& second, std::span<double> r, std::span<std::int32_t> pairs) const
    {
        const Grid& first = crossed_ ? *firstGrid_ : second;
        for (std::size_t i = 0; i < vectors_.size(); ++i) {
            Shift figures;
            try {
                figures = plain::vectorFigures(first, second, cells_, vectors_[i]);
            } catch (const FloatFailure&) {
                figures = {};
            }
            r[i] = figures.r.value_or(NoR);
            pairs[i] = figures.r ? figures.pairs : 0;
        }
    }

    const Store& store_;
    std::int32_t cells_;
    bool crossed_;
    std::vector<ShiftVector> vectors_;
    std::vector<double> secondColumn_;
    std::vector<std::size_t> present_;   // the points with a value of the second variable
    std::vector<double> presentValues_;  // their values
    std::unique_ptr<Grid> secondGrid_;   // B's cell means, for a crossed map
    std::unique_ptr<Grid> firstGrid_;
    std::vector<fast::Rows> firstRows_;  // of each group
    std::vector<Group> groups_;
};

// The second variable of a request: B, or A for the auto-correlogram.
VariablePosition secondOf(VariablePosition first, VariablePosition second)
{
    return second != 0 ? second : first;
}

// Figures of `from` given to vector (dx, dy) and, on an auto-correlogram's map, to its mirror.
template <typename Give>
void giveWithMirror(CorrelogramMap& map, ShiftVector v, Give give)
{
    give(map.at(v.dx, v.dy));
    if (!map.with && (v.dx != 0 || v.dy != 0))
        give(map.at(-v.dx, -v.dy));
}

}  // namespace

bool CorrelogramMap::tested() const
{
    return std::any_of(vectors.begin(), vectors.end(), [](const MapVector& v) { return v.used > 0; });
}

CorrelogramMap computeCorrelogramMap(const Store& store, VariablePosition first, VariablePosition second,
                                     std::int32_t maxShift)
{
    requireCellsPlaced(store);
    second = secondOf(first, second);
    CorrelogramMap map;
    map.variable = {first, std::to_string(first)};
    if (second != first)
        map.with = Named{second, std::to_string(second)};
    map.cells = store.NBMailles;
    map.maxShift = std::clamp(maxShift, 0, std::max(store.NBMailles - 1, 0));
    const std::int32_t k = map.maxShift;
    {
        const auto grid = std::make_unique<Grid>();
        map.fill = fillGrid(store, first, *grid);
    }
    map.vectors.resize(static_cast<std::size_t>((2 * k + 1) * (2 * k + 1)));
    for (std::int32_t dx = -k; dx <= k; ++dx)
        for (std::int32_t dy = -k; dy <= k; ++dy) {
            MapVector& v = map.at(dx, dy);
            v.shift = {dx, dy};
            v.distanceX = shiftDistance(store, Direction::NorthSouth, dx);
            v.distanceY = shiftDistance(store, Direction::EastWest, dy);
        }

    const std::vector<ShiftVector> vectors = computedVectors(k, second != first);
    const MapRoad road(store, first, second, vectors);
    MapRoad::Workspace workspace = road.workspace();
    std::vector<double> r(road.size());
    std::vector<std::int32_t> pairs(road.size());
    road.figures(road.secondColumn(), workspace, r, pairs);
    for (std::size_t i = 0; i < vectors.size(); ++i)
        giveWithMirror(map, vectors[i], [&](MapVector& v) {
            if (!std::isnan(r[i]))
                v.r = r[i];
            v.pairs = pairs[i];
        });
    map.anisotropy = anisotropyOf(map);
    return map;
}

void testCorrelogramMap(const Store& store, CorrelogramMap& map, const SignificanceRequest& request,
                        std::size_t keptAtOnce)
{
    if (request.permutations <= 0)
        return;
    const VariablePosition second = secondOf(request.first, request.second);
    const bool crossed = second != request.first;
    // The vectors tested: every one with an r, but an auto-correlogram's origin.
    std::vector<ShiftVector> tested;
    for (const ShiftVector v : computedVectors(map.maxShift, crossed))
        if (map.at(v.dx, v.dy).r && (crossed || v.dx != 0 || v.dy != 0))
            tested.push_back(v);

    // A crossed map under the toroidal null translates B's grid, as the correlograms' test
    // does, with the same translations; otherwise the values are shuffled.
    const bool toroidal = crossed && request.crossNull == Null::Toroidal;
    const auto moves = toroidal ? translationsOf(map.cells, request.permutations, request.seed)
                                : std::vector<std::pair<std::int32_t, std::int32_t>>{};
    const std::int32_t count = toroidal ? static_cast<std::int32_t>(moves.size()) : request.permutations;
    // The permuted r of a part of the vectors, a row of part.size() per permutation.
    auto permuted = [&](const std::vector<ShiftVector>& part) {
        const MapRoad road(store, request.first, second, part);
        // Each thread's copy makes a workspace of its own at its first permutation.
        auto permute = [&road, &moves, toroidal, workspace = std::shared_ptr<MapRoad::Workspace>(),
                        column = std::vector<double>(), values = std::vector<double>(),
                        pairs = std::vector<std::int32_t>(part.size())](std::int32_t p, permutation::Random& random,
                                                                        std::span<double> row) mutable {
            if (!workspace)
                workspace = std::make_shared<MapRoad::Workspace>(road.workspace());
            try {
                if (toroidal) {
                    const auto [dx, dy] = moves[static_cast<std::size_t>(p)];
                    road.translated(dx, dy, *workspace, row, pairs);
                } else {
                    road.shuffled(column, values, random);
                    road.figures(column, *workspace, row, pairs);
                }
            } catch (const FloatFailure&) {
                std::fill(row.begin(), row.end(), NoR);  // Remplit_Grille would fail: no r
            }
        };
        return permutation::permutedRows(count, request.seed, request.threads, part.size(), permute);
    };

    // Each vector's test, and its place in the family of the step-down maxT, part by part:
    // a map of many vectors tested with many permutations is tested a part at a time.
    const std::size_t atOnce = std::max<std::size_t>(1, keptAtOnce / static_cast<std::size_t>(count));
    MaxTStepDown family;
    std::vector<ShiftVector> inFamily;
    std::vector<std::size_t> testedAt;  // the place among `tested` of each member of the family
    std::vector<double> rows, values;
    for (std::size_t from = 0; from < tested.size(); from += atOnce) {
        const std::vector<ShiftVector> part(tested.begin() + static_cast<std::ptrdiff_t>(from),
                                            tested.begin() + static_cast<std::ptrdiff_t>(std::min(tested.size(), from + atOnce)));
        rows = permuted(part);
        const std::size_t columns = part.size();
        for (std::size_t i = 0; i < columns; ++i) {
            values.clear();
            for (std::size_t at = i; at < rows.size(); at += columns)
                if (!std::isnan(rows[at]))
                    values.push_back(rows[at]);
            const double r = *map.at(part[i].dx, part[i].dy).r;
            const ShiftTest test = equalTailedTest(r, values);
            giveWithMirror(map, part[i], [&](MapVector& v) { static_cast<ShiftTest&>(v) = test; });
            if (family.add(r, rows, columns, i)) {
                inFamily.push_back(part[i]);
                testedAt.push_back(from + i);
            }
        }
    }
    // Counted from the rows at hand when the map was one part, else from the same
    // permutations run again, a part at a time in the order they are counted.
    const std::vector<std::size_t> order = family.order();
    if (tested.size() <= atOnce) {
        for (const std::size_t test : order)
            family.take(test, rows, tested.size(), testedAt[test]);
    } else {
        rows.clear();
        for (std::size_t from = 0; from < order.size(); from += atOnce) {
            const std::size_t to = std::min(order.size(), from + atOnce);
            std::vector<ShiftVector> part;
            for (std::size_t i = from; i < to; ++i)
                part.push_back(inFamily[order[i]]);
            rows = permuted(part);
            for (std::size_t i = from; i < to; ++i)
                family.take(order[i], rows, part.size(), i - from);
        }
    }
    const std::vector<double> fwer = family.adjusted();
    for (std::size_t test = 0; test < inFamily.size(); ++test)
        giveWithMirror(map, inFamily[test], [&](MapVector& v) { v.pFwer = fwer[test]; });

    std::vector<double> p;
    std::vector<ShiftVector> withP;
    for (const ShiftVector v : tested)
        if (const std::optional<double>& vp = map.at(v.dx, v.dy).p) {
            p.push_back(*vp);
            withP.push_back(v);
        }
    const std::vector<double> holm = holmAdjusted(p);
    for (std::size_t i = 0; i < withP.size(); ++i)
        giveWithMirror(map, withP[i], [&](MapVector& v) { v.pHolm = holm[i]; });
}

Anisotropy anisotropyOf(const CorrelogramMap& map)
{
    Anisotropy anisotropy;
    const std::int32_t k = map.maxShift;
    if (k < 1)
        return anisotropy;
    // Samples at the centres of S x S sub-cells of each square between four vectors, over
    // the map's square: sample (i, j) lies at (i + 0.5) / S - K cells along X, likewise j
    // along Y.
    constexpr int S = 8;
    const int side = 2 * k * S;
    const auto sampleIndex = [&](int i, int j) { return static_cast<std::size_t>(i) * static_cast<std::size_t>(side) + static_cast<std::size_t>(j); };
    const auto rAt = [&](std::int32_t dx, std::int32_t dy) { return map.at(dx, dy).r.value_or(NoR); };
    std::vector<char> inside(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0);
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const int cx = i / S, cy = j / S;  // the square's lower corner, from -K
            const double fx = (i % S + 0.5) / S, fy = (j % S + 0.5) / S;
            const double r = rAt(cx - k, cy - k) * (1 - fx) * (1 - fy) + rAt(cx - k + 1, cy - k) * fx * (1 - fy)
                + rAt(cx - k, cy - k + 1) * (1 - fx) * fy + rAt(cx - k + 1, cy - k + 1) * fx * fy;
            inside[sampleIndex(i, j)] = r >= 0.5;  // false where a corner has no r (NaN)
        }

    // The samples connected to the origin through their sides, from the four around it.
    std::vector<char> region(inside.size(), 0);
    std::vector<std::pair<int, int>> next;
    for (const int i : {k * S - 1, k * S})
        for (const int j : {k * S - 1, k * S})
            if (inside[sampleIndex(i, j)]) {
                region[sampleIndex(i, j)] = 1;
                next.emplace_back(i, j);
            }
    while (!next.empty()) {
        const auto [i, j] = next.back();
        next.pop_back();
        for (const auto& [di, dj] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
            const int ni = i + di, nj = j + dj;
            if (ni >= 0 && ni < side && nj >= 0 && nj < side && inside[sampleIndex(ni, nj)]
                && !region[sampleIndex(ni, nj)]) {
                region[sampleIndex(ni, nj)] = 1;
                next.emplace_back(ni, nj);
            }
        }
    }

    // Second moments about the centroid, in the coordinates' units: sample (i, j) lies at
    // (u, v) / 2S cells from the origin, u = 2i + 1 - 2KS and v likewise, and the sums of
    // these integers are exact, so that a region symmetric about an axis has no product
    // moment at all. n^2 (2S)^2 times the moments, which changes neither axis nor ratio.
    std::int64_t n = 0, su = 0, sv = 0, suu = 0, svv = 0, suv = 0;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j)
            if (region[sampleIndex(i, j)]) {
                const std::int64_t u = 2 * i + 1 - 2 * k * S, v = 2 * j + 1 - 2 * k * S;
                ++n;
                su += u;
                sv += v;
                suu += u * u;
                svv += v * v;
                suv += u * v;
            }
    if (n == 0)
        return anisotropy;
    const double widthX = map.at(1, 0).distanceX, widthY = map.at(0, 1).distanceY;
    const double sxx = static_cast<double>(n * suu - su * su) * widthX * widthX;
    const double syy = static_cast<double>(n * svv - sv * sv) * widthY * widthY;
    const double sxy = static_cast<double>(n * suv - su * sv) * widthX * widthY;
    const double half = (sxx + syy) / 2, spread = std::hypot((sxx - syy) / 2, sxy);
    if (half - spread > 0)
        anisotropy.ratio = std::sqrt((half + spread) / (half - spread));
    if (spread > 0) {
        double degrees = std::atan2(2 * sxy, sxx - syy) / 2 * 180 / std::numbers::pi;
        if (degrees < 0)
            degrees += 180;
        anisotropy.direction = degrees >= 180 ? 0.0 : degrees + 0.0;
    }
    return anisotropy;
}

}  // namespace geolago
