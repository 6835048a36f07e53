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

// r and the pairs of every vector of `vectors`, `first` paired with `second`: the fast path
// on both grids, or, where it meets a fault, each vector as plain::vectorFigures() defines
// it, a vector that faults having no r. NaN and 0 pairs where a vector has no r.
void vectorFigures(const Grid& first, const Grid& second, const std::vector<ShiftVector>& vectors,
                   std::vector<double>& r, std::vector<std::int32_t>& pairs)
{
    r.assign(vectors.size(), NoR);
    pairs.assign(vectors.size(), 0);
    if (fast::correlations(first, second, vectors, pairs.data(), r.data())) {
        for (std::size_t i = 0; i < vectors.size(); ++i)
            if (std::isnan(r[i]))
                pairs[i] = 0;
        return;
    }
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        Shift figures;
        try {
            figures = plain::vectorFigures(first, second, vectors[i]);
        } catch (const FloatFailure&) {
            figures = {};
        }
        r[i] = figures.r.value_or(NoR);
        pairs[i] = figures.r ? figures.pairs : 0;
    }
}

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
    return std::any_of(vectors.begin(), vectors.end(), [](const Shift& v) { return v.permutationsUsed > 0; });
}

CorrelogramMap computeCorrelogramMap(const Store& store, VariablePosition first, VariablePosition second,
                                     std::int32_t maxShift)
{
    second = secondOf(first, second);
    return computeCorrelogramMap(store, byPosition(first),
                                 second != first ? std::optional(byPosition(second)) : std::nullopt, maxShift);
}

CorrelogramMap computeCorrelogramMap(const Store& store, const VariableRef& firstVariable,
                                     const std::optional<VariableRef>& secondVariable, std::int32_t maxShift)
{
    requireCellsPlaced(store);
    const VariablePosition first = firstVariable.position;
    const VariablePosition second = secondOf(first, secondVariable ? secondVariable->position : 0);
    CorrelogramMap map;
    map.variable = firstVariable;
    map.with = secondVariable;
    map.cellsPerAxis = store.NBMailles;
    map.maxShift = std::clamp(maxShift, 0, std::max(store.NBMailles - 1, 0));
    const std::int32_t k = map.maxShift;
    map.vectors.resize(static_cast<std::size_t>((2 * k + 1) * (2 * k + 1)));
    for (std::int32_t dx = -k; dx <= k; ++dx)
        for (std::int32_t dy = -k; dy <= k; ++dy)
            setLag(store, map.at(dx, dy), {dx, dy});

    const std::vector<ShiftVector> vectors = computedVectors(k, second != first);
    const auto firstGrid = std::make_unique<Grid>(store.NBMailles);
    fillGrid(store, first, *firstGrid);
    map.fill = firstGrid->fill();
    std::unique_ptr<Grid> secondGrid;
    if (second != first) {
        secondGrid = std::make_unique<Grid>(store.NBMailles);
        fillGrid(store, second, *secondGrid);
    }
    std::vector<double> r;
    std::vector<std::int32_t> pairs;
    vectorFigures(*firstGrid, secondGrid ? *secondGrid : *firstGrid, vectors, r, pairs);
    for (std::size_t i = 0; i < vectors.size(); ++i)
        giveWithMirror(map, vectors[i], [&](Shift& v) {
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

    // The permuted r of a part of the vectors, a row of part.size() per arrangement: the
    // correlograms' own arrangements, under the same null, so that the axes get their r.
    auto permuted = [&](const std::vector<ShiftVector>& part) {
        Arrangements arranged = arrange(permutation::Engine(store, request.first, second, part), request);
        map.testNull = arranged.null;
        map.permutationsMade = arranged.made;
        return std::move(arranged.rows);
    };

    // Each vector's test, and its place in the family of the step-down maxT, part by part:
    // a map of many vectors tested with many permutations is tested a part at a time.
    const std::size_t atOnce = std::max<std::size_t>(1, keptAtOnce / static_cast<std::size_t>(request.permutations));
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
            giveWithMirror(map, part[i], [&](Shift& v) { static_cast<ShiftTest&>(v) = test; });
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
        giveWithMirror(map, inFamily[test], [&](Shift& v) { v.pFwer = fwer[test]; });

    std::vector<double> p;
    std::vector<ShiftVector> withP;
    for (const ShiftVector v : tested)
        if (const std::optional<double>& vp = map.at(v.dx, v.dy).p) {
            p.push_back(*vp);
            withP.push_back(v);
        }
    const std::vector<double> holm = holmAdjusted(p);
    for (std::size_t i = 0; i < withP.size(); ++i)
        giveWithMirror(map, withP[i], [&](Shift& v) { v.pHolm = holm[i]; });
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
