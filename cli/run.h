#pragma once
// One run of geolago-cli on a store (the process-wide one in the command): the steps of
// an analysis in the windows' order, the results written as each variable completes.

#include <ostream>
#include <string>
#include <vector>

#include "options.h"
#include "store.h"

namespace geolago::cli {

// Exit statuses.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;  // a refusal or a failure of the analysis
inline constexpr int ExitUsage = 2;    // a command line that cannot be run

// Runs the analysis `options` asks for, writing the results on `out` and a refusal's or
// a failure's message on `err`; returns the exit status (never ExitUsage).
int runAnalysis(Store& store, const Options& options, std::ostream& out, std::ostream& err);

// The whole command: parses `args` (without the program name), shows the help or the
// usage line, or runs the analysis. Returns the exit status.
int runCommand(Store& store, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace geolago::cli
