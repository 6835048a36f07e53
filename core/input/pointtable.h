#pragma once
// Points as a reader gives them: one column of values per coordinate and per variable,
// each under its name, as many points and columns as the input holds. A variable's value
// that the input does not give is missing: NaN.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "columnarray.h"

namespace geolago {

// The values of one column: the store takes them over as they are (store.h).
using Values = ColumnArray<double>;

struct NamedColumn {
    std::string name;
    Values values;  // one per point, in the input's order
};

// A variable's value the input does not give.
inline bool isMissing(double value)
{
    return std::isnan(value);
}

struct PointTable {
    std::string source;           // the input read, set once it is open
    std::vector<NamedColumn> columns;  // X, then Y, then variable p at index p + 1
    std::string format;           // what was read: "points", "delimited", "vector:GPKG", "raster:GTiff"...
    bool named = false;           // the variables' names come from the input itself
    std::vector<std::string> notes;  // what the user should know of the reading, in French

    // The number of variables.
    std::size_t variables() const { return columns.size() < 2 ? 0 : columns.size() - 2; }

    // The points read whole: after a failed read the first columns may hold one value
    // more, the values read of the point that failed.
    std::size_t points() const
    {
        std::size_t fewest = columns.empty() ? 0 : columns.front().values.size();
        for (const NamedColumn& column : columns)
            fewest = std::min(fewest, column.values.size());
        return fewest;
    }
};

}  // namespace geolago
