#pragma once
// The figures of one correlogram as the front ends show and save them, and the table file
// the results window saves them in.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "significance.h"
#include "store.h"

namespace geolago {

// One row of a correlogram: shift k, the distance it spans in the coordinates' unit,
// the correlation and the pairs behind it (0 when r has fewer than 5 pairs, as the
// result tables hold it), and the permutation test (nothing without permutations).
struct Lag : ShiftTest {
    double distance = 0.0;
    std::optional<double> r;
    std::int32_t pairs = 0;
};

// A variable as a front end names it: its position and its name (bytes from the names
// file, or the position in decimal).
struct Named {
    int position = 0;
    std::string name;
};

// One correlogram: a variable, or a variable crossed with another (`with`), for one N,
// with the fill percentage and both directions, shifts 0..N-1.
struct VariableResult {
    Named variable;
    std::optional<Named> with;
    std::int32_t cells = 0;
    double fill = 0.0;
    std::vector<Lag> eastWest;
    std::vector<Lag> northSouth;
};

// The store's current variable and result tables, for N = NBMailles kept within the
// tables (0..30): every shift's r as the table holds it, 0 included.
VariableResult resultOf(const Store& store);

// How the fields of a table file are separated and how its reals are written.
struct TableConvention {
    char fieldSeparator = ',';
    std::string decimalSeparator = ".";
};

// The spreadsheet convention of a decimal separator: ";" between fields where the
// separator is "," (French settings), "," otherwise.
TableConvention csvConvention(std::string_view decimalSeparator);

// Tab between fields, reals with `decimalSeparator`.
TableConvention tsvConvention(std::string_view decimalSeparator);

// Writes `result` as a table file: a header of the variable, the points file, N and the
// fill percentage, one per line, then an empty line, then a row of column names and one
// row per shift with both correlograms side by side, with p and the envelope of each
// direction when any was computed ("NA" where a shift has none). Reals are written as the windows
// write them (15 significant digits); a field holding the separator, a quote or a line
// break is quoted, its quotes doubled.
void writeResultsTable(std::ostream& out, const VariableResult& result, const std::string& pointsFile,
                       const TableConvention& convention);

}  // namespace geolago
