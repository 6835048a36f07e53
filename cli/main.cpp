// geolago-cli: the grid correlogram of a point file, computed without any window. Built
// with the windows, it also draws their chart (--plot).

#include <iostream>
#include <string>
#include <vector>

#include "run.h"
#ifdef GEOLAGO_PLOT
#include "plot.h"
#endif

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef GEOLAGO_PLOT
    const auto plotter = geolago::cli::makeChartPlotter();
    return geolago::cli::runCommand(geolago::sharedStore(), args, std::cout, std::cerr, plotter.get());
#else
    return geolago::cli::runCommand(geolago::sharedStore(), args, std::cout, std::cerr);
#endif
}
