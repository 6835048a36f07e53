#pragma once
// Writing the results of geolago-cli in its three formats. A report is written as the
// run goes: begin() once the points are read, correlogram() for each correlogram completed
// and failed() for each that failed (the stream is flushed after each, so a later failure
// keeps it on the output), finish() at the end with the message of the failure that
// stopped the run, if any, whether begin() ran or not.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "options.h"
#include "correlogram.h"
#include "correlogram_map.h"

namespace geolago::cli {

// What the run works on, for the formats that repeat it; a count is empty until it has
// been read and accepted.
struct RunContext {
    std::string pointsFile;
    bool rowsAreNumbered = false;
    std::optional<std::int32_t> points;
    std::optional<std::int32_t> vars;
    std::optional<std::vector<std::int32_t>> cellsPerAxis;
    std::optional<std::string> namesFile;
    std::optional<std::int32_t> permutations;
    std::optional<std::uint64_t> seed;
    // --map: each correlogram comes with its map, and the tsv format writes the maps' rows;
    // K of --max-shift, empty for the default of each N.
    bool map = false;
    std::optional<std::int32_t> maxShift;
    Null crossNull = Null::Toroidal;  // the null of the crossed correlograms' tests
    std::optional<std::string> format{};  // of the points read: "points", "delimited"... (readers.h)
};

class ReportWriter {
public:
    virtual ~ReportWriter() = default;
    virtual void begin(const RunContext& context) = 0;
    // A correlogram computed; `map`, when given, is its map, written with it under the
    // correlogram's heading.
    virtual void correlogram(const Correlogram& result, const CorrelogramMap* map = nullptr) = 0;
    // The correlogram `asked` (its variables, position 0 for a request that names none,
    // and N) failed with `message`: JSON gives it its object with the error; text and tsv
    // write nothing, the message going to standard error.
    virtual void failed(const Heading& asked, const std::string& message) = 0;
    virtual void finish(const RunContext& context, const std::optional<std::string>& failure) = 0;
};

// The writer of `format`; `decimalComma` chooses "," for the real texts of text and tsv.
std::unique_ptr<ReportWriter> makeWriter(Format format, bool decimalComma, std::ostream& out);

// `bytes` as one field of a tsv line: tab, line feed, carriage return and backslash
// written \t, \n, \r and \\.
std::string tsvField(const std::string& bytes);

// `bytes` for a terminal, on one line: as tsvField(), and every other control character
// written \xHH.
std::string escapeControls(const std::string& bytes);

// `bytes` as a JSON string, quotes included. Valid UTF-8 sequences are kept; any other
// byte is taken as Latin-1 and written \u00XX; controls, '"' and '\' are escaped.
std::string jsonString(const std::string& bytes);

// The shortest decimal text that reads back as exactly `value` (finite).
std::string jsonNumber(double value);

}  // namespace geolago::cli
