#pragma once
// One run of geolago-cli on a store (the process-wide one in the command): the steps of
// an analysis in the windows' order, the results written as each variable completes.

#include <ostream>
#include <string>
#include <vector>

#include "options.h"
#include "correlogram.h"
#include "correlogram_map.h"
#include "store.h"

namespace geolago::cli {

// Exit statuses.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;  // a refusal or a failure of the analysis
inline constexpr int ExitUsage = 2;    // a command line that cannot be run

// Draws the chart of a correlogram just computed into a file: --plot. The command has one
// only when it is built with the windows, whose drawing it uses.
class ChartPlotter {
public:
    virtual ~ChartPlotter() = default;
    // Writes the chart of `result` into `fileName` (PNG, or SVG for a name ending in
    // ".svg"); throws Failure when it cannot.
    virtual void plot(const Correlogram& result, const std::string& fileName) = 0;
    // Writes the heat map of `map` into `fileName` likewise.
    virtual void plotMap(const CorrelogramMap& map, const std::string& fileName) = 0;
};

// The file of --plot `fileName` for one chart: `fileName` itself when the run draws one
// chart, else `suffix` inserted before the extension ("graphique.png", "5" ->
// "graphique-5.png").
std::string plotFileFor(const std::string& fileName, const std::string& suffix, bool severalCharts);

// The processors this process may run on: its affinity (taskset, a cluster job's
// allocation), else every core of the machine. The threads of the permutation tests when
// --threads is left out.
unsigned usableCores();

// Runs the analysis `options` asks for, writing the results on `out` and a refusal's or
// a failure's message on `err`, and each variable's chart with `plotter` when --plot is
// given; returns the exit status (never ExitUsage).
int runAnalysis(Store& store, const Options& options, std::ostream& out, std::ostream& err,
                ChartPlotter* plotter = nullptr, bool errIsTerminal = false);

// The whole command: parses `args` (without the program name), shows the help or the
// usage line, or runs the analysis. Without a `plotter`, --plot is a usage error.
// Returns the exit status.
int runCommand(Store& store, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               ChartPlotter* plotter = nullptr, bool errIsTerminal = false);

}  // namespace geolago::cli
