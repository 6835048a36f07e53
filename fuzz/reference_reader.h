#pragma once
// A second reading of a point file, kept as plain as possible: the whole text in memory,
// tokens cut one byte at a time, each read by the core's number syntax. The point reader
// target compares the buffered reader with it, table entry by table entry: the refills,
// the tokens cut by them, the line skips and the end of the file.

#include <cstdint>
#include <string_view>

namespace geolago::fuzz {

struct ReferenceTables {
    double coord[1000][2] = {};
    double data[1000][30] = {};
};

struct ReferenceOutcome {
    enum class Kind { Read, IoFailure, Overflow, TooLong };
    Kind kind = Kind::Read;
    int code = 0;  // the input/output code of an IoFailure
};

// Reads `points` rows of `bytes` into `tables` (zero on entry), as the reader would
// read the same bytes from a file.
ReferenceOutcome referenceRead(std::string_view bytes, int points, int vars, bool numbered,
                               ReferenceTables& tables);

}  // namespace geolago::fuzz
