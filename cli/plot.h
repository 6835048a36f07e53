#pragma once
// --plot: the chart window's drawing, written into files without any display. The drawing
// needs Qt, whose libraries take longer to load than a whole analysis: it lives in a
// module of its own, geolago-plot.so, which geolago-cli loads at its first chart only.

#include <memory>
#include <optional>
#include <string>

#include "failures.h"
#include "run.h"

namespace geolago::cli {

// The plotter of the module beside the command (the build tree) or installed with it.
// The module is loaded at the first chart; one that cannot be found or loaded fails that
// chart with a Failure naming it.
std::unique_ptr<ChartPlotter> findChartPlotter();

// Why the module could not draw a chart: the failure's message, and its place if it had one.
struct ChartFailure {
    std::string message;
    std::optional<Place> place;
};

// The module's plotter. No exception leaves its calls: geolago-cli carries a C++ runtime
// of its own, linked in for a faster start, which cannot catch what the module's runtime
// throws; a failure comes back as a value and the command throws it again.
class ModuleChartPlotter {
public:
    virtual ~ModuleChartPlotter() = default;
    // Draws as ChartPlotter::plot does; instead of a Failure, or any other exception
    // (memory running out), gives back what it said.
    virtual std::optional<ChartFailure> plot(const Correlogram& result, const std::string& fileName) noexcept = 0;
    // Draws as ChartPlotter::plotMap does, likewise.
    virtual std::optional<ChartFailure> plotMap(const CorrelogramMap& map, const std::string& fileName) noexcept = 0;
};

}  // namespace geolago::cli

// The module's one entry: a plotter drawing with the windows' chart code on Qt's
// offscreen platform, the Qt application it needs made at the first chart; null when
// memory runs out.
extern "C" geolago::cli::ModuleChartPlotter* geolagoMakeChartPlotter() noexcept;
