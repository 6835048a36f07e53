#pragma once
// The figures of one analysed variable taken out of a store, and the table file the
// results window saves them in.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "store.h"

namespace geolago {

// One line of a correlogram: the correlation and the pairs behind it at one shift.
struct Lag {
    double r = 0.0;
    std::int32_t pairs = 0;
};

// What one variable gave: its position, its name (bytes as the store keeps them), the
// fill percentage and both correlograms, shifts 0..N-1.
struct VariableResult {
    int position = 0;
    std::string name;
    double fill = 0.0;
    std::vector<Lag> eastWest;
    std::vector<Lag> northSouth;
};

// The store's current variable and correlograms, for N = NBMailles kept within the
// tables (0..30).
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
// row per shift with both correlograms side by side. Reals are written as the windows
// write them (15 significant digits); a field holding the separator, a quote or a line
// break is quoted, its quotes doubled.
void writeResultsTable(std::ostream& out, const VariableResult& result, const std::string& pointsFile,
                       const TableConvention& convention);

}  // namespace geolago
