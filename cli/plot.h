#pragma once
// --plot: the chart window's drawing, written into files without any display.

#include <memory>

#include "run.h"

namespace geolago::cli {

// A plotter drawing with the windows' chart code on Qt's offscreen platform; the Qt
// application it needs is made at the first chart.
std::unique_ptr<ChartPlotter> makeChartPlotter();

}  // namespace geolago::cli
