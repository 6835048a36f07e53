#pragma once
// Writing the results of geolago-cli in its three formats. A report is written as the
// run goes: begin() once the points are read, variable() for each correlogram completed
// and failed() for each that failed (the stream is flushed after each, so a later failure
// keeps it on the output), finish() at the end with the message of the failure that
// stopped the run, if any, whether begin() ran or not.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
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
    std::optional<std::vector<std::int32_t>> cells;
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
    // `map`, when given, is written with the correlogram it belongs to.
    virtual void variable(const Correlogram& result, const CorrelogramMap* map = nullptr) = 0;
    // The correlogram of `asked` (its variables and N) failed with `message`: JSON gives it
    // its object with the error; text and tsv write nothing, the message going to
    // standard error.
    virtual void failed(const Correlogram& asked, const std::string& message) = 0;
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

// jsonNumber() of a number that may not exist, "null" then.
std::string jsonNumber(const std::optional<double>& value);

// The JSON members of r, the pairs behind it and the test of a shift or a map's vector:
// ", \"r\": …, \"pairs\": …, \"p\": …, \"low\": …, \"high\": …, \"p_holm\": …,
// \"p_fwer\": …, \"permutations_used\": …", appended to `json`.
void appendTestedFigures(std::string& json, const std::optional<double>& r, std::int32_t pairs, const ShiftTest& test);

// The map in each format (map_report.cpp), `separator` the decimal separator of text and
// tsv: the tsv header line of the maps; the map's rows between `leading`, the tsv fields of
// its variable, and `tail`, those of its test; its table and anisotropy after the correlogram in the text format; its
// members "max_shift", "map" and "anisotropy" inside the correlogram's JSON object.
// The columns of the text format: the longest real text, "-0.000999999999999999", has 21
// characters.
inline constexpr std::size_t ShiftColumn = 8, RealColumn = 23, PairsColumn = 8;

// Appends `field` to `text` in a column of `width`, at least one blank after it.
void padded(std::string& text, std::string_view field, std::size_t width);

// r, the pairs behind it and the test of a shift or a map's vector, in the order of the
// rows: the text format's headers and fields ("R", "Paires", "p", "Bas", "Haut", "p Holm",
// "p maxT", a dash for a number that does not exist), and the tsv fields (NA for none) then
// `tail`, the fields that close every row of the correlogram; each ends the row with a line
// feed.
void appendTestedHeaderText(std::string& text);
void appendTestedText(std::string& text, const std::optional<double>& r, std::int32_t pairs, const ShiftTest& test,
                      const std::string& separator);
void appendTestedTsv(std::string& rows, const std::optional<double>& r, std::int32_t pairs, const ShiftTest& test,
                     const std::string& tail, const std::string& separator);

std::string mapTsvHeader();
void appendMapTsv(std::string& rows, const std::string& leading, const CorrelogramMap& map, const std::string& tail,
                  const std::string& separator);
void appendMapText(std::string& text, const CorrelogramMap& map, const std::string& separator);
void appendMapJson(std::string& json, const CorrelogramMap& map);

}  // namespace geolago::cli
