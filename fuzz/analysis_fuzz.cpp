// The whole analysis over arbitrary bytes: read a point file, place the points in an
// N x N grid, aggregate one variable and compute both correlograms. The first bytes give
// the point count (two bytes), the variable count, the flags (bit 0: point numbers),
// N (1..30) and the variable (1..NBVar); the rest is the file. Every step must end or
// fail with one of the analysis's own failures, what it writes must stay within the
// bounds the next step relies on, and both correlograms and the map (K = 6) must be those
// of their plain definition, figure for figure.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "analysis.h"
#include "correlogram_map.h"
#include "failures.h"
#include "fuzz_support.h"
#include "plain_definitions.h"
#include "reader.h"

using namespace geolago;
using namespace geolago::fuzz;

namespace {

void analyse(Store& store, const std::string& path, bool numbered, int cells, int variable)
{
    Lit_Data(store, path, numbered);

    store.NBMailles = cells;
    Calcul_Mailles(store);
    // Each index is the one of its plain definition, within 1..N: every point is paired.
    const double cellWidthX = plain::cellWidth(store.XMin, store.XMax, cells);
    const double cellWidthY = plain::cellWidth(store.YMin, store.YMax, cells);
    for (int i = 1; i <= store.NBPoints; ++i) {
        const TMaille& cell = store.Maille_Point[i];
        check(cell.IX == plain::cellIndex(static_cast<Ext>(store.Coord[i][1]) - store.XMin, cellWidthX, cells),
              "IX is not the truncated quotient");
        check(cell.IY == plain::cellIndex(static_cast<Ext>(store.Coord[i][2]) - store.YMin, cellWidthY, cells),
              "IY is not the truncated quotient");
        check(cell.IX >= 1 && cell.IX <= cells, "IX outside 1..N");
        check(cell.IY >= 1 && cell.IY <= cells, "IY outside 1..N");
    }
    if (store.NBVar == 0)
        return;

    store.Num_Var = static_cast<std::uint8_t>(variable);
    Remplit_Grille(store);
    std::uint32_t counted = 0;
    for (int c = 0; c <= cells; ++c)
        for (int r = 0; r <= cells; ++r) {
            const TCellule& cell = store.Grille[c][r];
            counted += cell.Nb;
            check((cell.Nb > 0) == (cell.Remplie != 0), "a cell is filled exactly when it has points");
            check(std::isfinite(cell.Somme), "a cell mean is finite");
        }
    check(counted == static_cast<std::uint32_t>(store.NBPoints), "every point is counted in one cell");
    check(store.PourCent >= 0 && store.PourCent <= 100, "the fill rate is a share");

    // Both correlograms, each against its plain shift-by-shift definition.
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        std::vector<Shift> shifts, expected;
        std::optional<FloatFailure::Kind> failure, expectedFailure;
        try {
            correlate(direction, store.Grille, store.Grille, shifts);
        } catch (const FloatFailure& f) {
            failure = f.kind();
        }
        try {
            plain::correlogram(direction, store.Grille, store.Grille, expected);
        } catch (const FloatFailure& f) {
            expectedFailure = f.kind();
        }
        // Shifts whose paired values are all equal have no r; with none left, it fails.
        const auto any = [&](auto what) { return std::any_of(expected.begin(), expected.end(), what); };
        if (!expectedFailure && any([](const Shift& s) { return s.equalValues; })
            && !any([](const Shift& s) { return s.r.has_value(); }))
            expectedFailure = FloatFailure::Kind::Invalid;
        check(failure == expectedFailure, "a correlation fails otherwise than its definition");
        check(shifts.size() == expected.size(), "a correlation has other shifts than its definition");
        for (std::size_t k = 0; k < shifts.size() && k < expected.size(); ++k) {
            const double r = shifts[k].r.value_or(0.0), expectedR = expected[k].r.value_or(0.0);
            const std::int32_t pairs = shifts[k].pairs;
            const auto shift = static_cast<std::int32_t>(k);
            check(std::memcmp(&r, &expectedR, sizeof(double)) == 0 && pairs == expected[k].pairs,
                  "a correlation differs from its definition");
            check(std::isfinite(r) && r >= -1.0000000001 && r <= 1.0000000001, "a correlation is a correlation");
            check(pairs >= 0 && pairs <= cells * (cells - shift > 0 ? cells - shift : 0), "pairs beyond the cells");
            check(shift <= lastShift(direction, cells) || !shifts[k].r, "a shift beyond the grid");
        }
        if (failure)
            return;
    }

    // The map, each vector against its definition (the half computed, which the other
    // mirrors): a vector that faults has no r.
    const CorrelogramMap map = computeCorrelogramMap(store, static_cast<std::uint8_t>(variable), 0, 6);
    for (const Shift& v : map.vectors) {
        const bool computed = v.vector.dy > 0 || (v.vector.dy == 0 && v.vector.dx >= 0);
        const ShiftVector source = computed ? v.vector : ShiftVector{-v.vector.dx, -v.vector.dy};
        std::optional<double> expected;
        std::int32_t pairs = 0;
        try {
            const Shift figures = plain::vectorFigures(store.Grille, store.Grille, source);
            expected = figures.r;
            pairs = figures.pairs;
        } catch (const FloatFailure&) {
        }
        const double r = v.r.value_or(0.0), expectedR = expected.value_or(0.0);
        check(v.r.has_value() == expected.has_value() && std::memcmp(&r, &expectedR, sizeof(double)) == 0
                  && v.pairs == (expected ? pairs : 0),
              "a vector of the map differs from its definition");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int low = takeByte(data, size);
    const int high = takeByte(data, size);
    const int points = (low | high << 8) % (MaxPoints + 1);
    const int vars = takeByte(data, size) % (MaxVar + 1);
    const bool numbered = (takeByte(data, size) & 1) != 0;
    const int cells = 1 + takeByte(data, size) % MaxMailles;
    const int variable = vars == 0 ? 0 : 1 + takeByte(data, size) % vars;

    static Store store;
    store.reset();
    store.NBPoints = points;
    store.NBVar = vars;
    try {
        analyse(store, writeScratch({reinterpret_cast<const char*>(data), size}), numbered, cells, variable);
    } catch (const Failure&) {
        // One of the analysis's own failures: a normal end.
    }
    return 0;
}
