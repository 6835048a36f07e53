// geolago-cli: the grid correlogram of a point file, computed without any window. Built
// with the windows, it also draws their chart (--plot).

#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "failures.h"
#include "output.h"
#include "run.h"
#ifdef GEOLAGO_PLOT
#include "plot.h"
#endif

int main(int argc, char** argv)
{
    // The system's texts (the reason a file cannot be opened) in the user's language;
    // numbers keep the C conventions, which the reading and the writing rely on.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    try {
        geolago::cli::DescriptorBuffer output(STDOUT_FILENO);
        std::ostream out(&output);
        std::vector<std::string> args(argv + 1, argv + argc);
#ifdef GEOLAGO_PLOT
        const auto plotter = geolago::cli::findChartPlotter();
        return geolago::cli::runCommand(geolago::sharedStore(), args, out, std::cerr, plotter.get(), isatty(STDERR_FILENO));
#else
        return geolago::cli::runCommand(geolago::sharedStore(), args, out, std::cerr, nullptr, isatty(STDERR_FILENO));
#endif
    } catch (const std::exception& failure) {
        std::cerr << "geolago-cli: " << geolago::messageForDisplay(geolago::failureMessage(failure)) << '\n';
        return geolago::cli::ExitFailure;
    }
}
