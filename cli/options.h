#pragma once
// The command line of geolago-cli: what the user asked, as typed. The counts stay texts
// here; they are converted and checked when the run starts, like the fields of a window.

#include <stdexcept>
#include <optional>
#include <string>
#include <vector>

namespace geolago::cli {

enum class Format { Text, Tsv, Json };

// One --variable (a position or a name, as typed), one --all, or one --cross A:B.
struct VariableRequest {
    enum class Kind { One, All, Cross };
    Kind kind = Kind::One;
    std::string text;  // the position or name; for a cross-correlogram "A:B" as typed
};

struct Options {
    bool help = false;
    std::string pointsFile;
    std::optional<std::string> points;  // P, as typed; left out: the file's own count, or guessed
    std::optional<std::string> vars;    // V, likewise
    std::string cellsPerAxis = "10";    // N, a list "5,10,20" or a range "5..30", as typed
    bool rowsAreNumbered = false;  // --numbered
    std::optional<std::string> namesFile;
    std::vector<VariableRequest> variables;  // in command-line order
    std::string permutations = "0";          // K, as typed
    std::string seed = "1";                  // S, as typed
    std::optional<std::string> threads;      // --threads T, as typed; left out: usableCores()
    bool crossShuffle = false;               // --cross-null shuffle: crossed tests shuffle B
    std::optional<std::string> maxShift;     // --max-shift K, as typed: the last shift computed
    bool quiet = false;                      // --quiet: no progress on a terminal
    Format format = Format::Text;
    bool decimalComma = false;
    std::optional<std::string> plotFile;  // --plot, a name ending in .png or .svg
    bool map = false;                     // --map
    std::string xColumn, yColumn;  // --x, --y: the coordinates' columns of a delimited text
    std::string layer;             // --layer: the layer of a GIS file
};

// A command line that cannot be run: unknown or repeated option, missing value, no
// variable asked... The message says which, in a few words.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments that follow the program name. Options take their value as the next
// argument or after "=" (--points=80); "--" ends the options. Throws UsageError. The
// parser, usageLine() and helpText() are all made from one table of the options, in
// options.cpp: adding an option is adding its row.
Options parseCommandLine(const std::vector<std::string>& args);

// The one-line synopsis shown after a usage error.
std::string usageLine();

// The full text of --help.
std::string helpText();

}  // namespace geolago::cli
