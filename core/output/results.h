#pragma once
// The correlogram the windows show, and the table file the results window saves it in.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "correlogram.h"
#include "store.h"

namespace geolago {

// The last calculation's correlogram as the windows read it when they show it: with the
// current N, variable and fill percentage, and shifts 0..N-1 (at most the 31 the result
// tables hold), those beyond the ones computed without r, as the tables and the store's
// items are read.
Correlogram windowFigures(const Store& store);

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

// Writes `result` as a table file: a header of the variable, the points file, N, the fill
// percentage and where each direction's r first crosses zero, one per line, then an empty
// line, then a row of column names and one row per shift with both correlograms side by
// side, with p, the envelope and Holm's p of each direction when any was computed ("NA"
// where a number does not exist). Reals are written as the windows
// write them (15 significant digits); a field holding the separator, a quote or a line
// break is quoted, its quotes doubled.
void writeResultsTable(std::ostream& out, const Correlogram& result, const std::string& pointsFile,
                       const TableConvention& convention);

}  // namespace geolago
