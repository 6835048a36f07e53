#pragma once
// --plot: the chart window's drawing, written into files without any display. The drawing
// needs Qt, whose libraries take longer to load than a whole analysis: it lives in a
// module of its own, geolago-plot.so, which geolago-cli loads at its first chart only.

#include <memory>

#include "run.h"

namespace geolago::cli {

// The plotter of the module beside the command (the build tree) or installed with it.
// The module is loaded at the first chart; one that cannot be found or loaded fails that
// chart with a Failure naming it.
std::unique_ptr<ChartPlotter> findChartPlotter();

}  // namespace geolago::cli

// The module's one entry: a plotter drawing with the windows' chart code on Qt's
// offscreen platform, the Qt application it needs made at the first chart.
extern "C" geolago::cli::ChartPlotter* geolagoMakeChartPlotter();
