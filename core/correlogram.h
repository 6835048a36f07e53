#pragma once
// One correlogram, from its computation to every output: the analysis fills it, the
// permutation test adds to it, and the results window, the table file, the batch
// command's three formats and the chart all read it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace geolago {

// A variable's position among the values of a row after the coordinates, from 1; 0 names
// none. (The store keeps the windows' choice, Num_Var, in its own 8 bits.)
using VariablePosition = std::int32_t;

// East-west pairs a cell with the one k cells further along its second index (IY, the
// Y-cell index); north-south with the one k cells further along its first index (IX).
enum class Direction { EastWest, NorthSouth };

// A shift in cells along both axes: cell (IX, IY) paired with cell (IX + dx, IY + dy).
// East-west shift k is (0, k), north-south shift k is (k, 0).
struct ShiftVector {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};

inline ShiftVector shiftVector(Direction direction, std::int32_t k)
{
    return direction == Direction::EastWest ? ShiftVector{0, k} : ShiftVector{k, 0};
}

// The arrangements a permutation test sets the observed r against.
enum class Null {
    // The values of the permuted variable shuffled among the points, every point keeping its
    // cell: "the variable has no spatial structure".
    Shuffle,
    // B's grid of cell means translated on the torus of cells 1..N, both indices shifted
    // modulo N, its empty cells moving with it, A staying: "A and B are independent", B keeping its
    // structure. Crossed correlograms only.
    Toroidal,
};

// The permutation test of one shift.
struct ShiftTest {
    // Permutations that gave an r at this shift: one with a fault here is left out of this
    // shift only, one whose cells cannot be aggregated out of every shift. 0 when there was
    // no test, the shift has no r, or it is shift 0 of an auto-correlogram (r is 1 under any
    // arrangement).
    std::int32_t permutationsUsed = 0;
    // Equal-tailed two-sided p = min(1, 2 min(1 + #{r* <= r}, 1 + #{r* >= r}) / (1 + permutationsUsed)),
    // r* the permuted r, ties counting on both sides, in extended precision rounded to
    // double: r outside [low, high] has p <= 0.05 up to ties. None when permutationsUsed = 0.
    std::optional<double> p;
    // The 2.5 % and 97.5 % quantiles of the permuted r (the envelope), each the linear
    // interpolation between order statistics: of n sorted values x0..x(n-1) at h = (n - 1) q,
    // x(floor h) + (h - floor h) (x(floor h + 1) - x(floor h)), h exact, the arithmetic in
    // extended precision rounded to double; none when permutationsUsed = 0.
    std::optional<double> low, high;
    // Holm's adjustment of p among every tested shift of the correlogram, both directions
    // together (adjustHolm()); none when p is none.
    std::optional<double> pHolm;
    // The step-down maxT adjustment of the same family from the same permutations
    // (maxTAdjusted()): the family-wise p that uses the dependence between shifts; none when
    // p is none.
    std::optional<double> pFwer;
};

// The figures of one lag, a shift of a correlogram or a vector of a map: the cells it
// pairs, the distances it spans, r, the pairs behind r, and its test when one was made.
struct Shift : ShiftTest {
    // Cell (IX, IY) paired with (IX + dx, IY + dy): east-west shift k is (0, k), north-south
    // shift k is (k, 0).
    ShiftVector vector;
    // The distances it spans in the coordinates' units: dx (XMax - XMin) / N along X and
    // dy (YMax - YMin) / N along Y, as shiftDistance() gives them.
    double distanceX = 0.0, distanceY = 0.0;
    // Pearson's r of the pairs; none with fewer than 5 pairs, where the values of one side
    // are all equal or a sum leaves the double range, and for the shifts a direction does
    // not compute (north-south N - 1).
    std::optional<double> r;
    // The pairs of filled cells behind r; 0 when r is none, as the result tables hold it.
    std::int32_t pairs = 0;
    // At least 5 pairs, but the values of one side are all equal: no r.
    bool equalValues = false;

    // The distance a correlogram's shift spans, along its direction.
    double distance() const { return vector.dy != 0 ? distanceY : distanceX; }
};

// A variable as the front ends name it: its position, 1-based, and its name (bytes from the
// names file, or the position in decimal).
struct VariableRef {
    VariablePosition position = 0;
    std::string name;
};

// The former name of VariableRef, kept for the code written against it.
using Named = VariableRef;

// What a correlogram and its map both say before their figures: the variable, or the
// variable crossed with another (`with`), N, the fill percentage of the variable's cells,
// and the permutation test made.
struct Heading {
    VariableRef variable;
    std::optional<VariableRef> with;
    std::int32_t cellsPerAxis = 0;
    double fill = 0.0;
    // The permutation test made, if any: its null and the permutations made (for the
    // toroidal null, at most the N^2 - 1 translations).
    std::optional<Null> testNull;
    std::int32_t permutationsMade = 0;
};

// The correlogram of a variable, or of a variable crossed with another, for one N: both
// directions, shifts 0..N-1 each.
struct Correlogram : Heading {
    std::vector<Shift> eastWest, northSouth;
    // Per direction, the distance where r first falls from positive to negative
    // (firstZeroCrossing()); none when it never does.
    std::optional<double> zeroCrossingEastWest, zeroCrossingNorthSouth;

    std::vector<Shift>& of(Direction direction) { return direction == Direction::EastWest ? eastWest : northSouth; }
    const std::vector<Shift>& of(Direction direction) const
    {
        return direction == Direction::EastWest ? eastWest : northSouth;
    }
    std::optional<double>& zeroCrossing(Direction direction)
    {
        return direction == Direction::EastWest ? zeroCrossingEastWest : zeroCrossingNorthSouth;
    }
    const std::optional<double>& zeroCrossing(Direction direction) const
    {
        return direction == Direction::EastWest ? zeroCrossingEastWest : zeroCrossingNorthSouth;
    }
    // Whether a permutation test was made of any shift.
    bool tested() const;
    // Takes the permutation test off every shift and off the correlogram.
    void dropTest();
};

}  // namespace geolago
