// geolago-cli: the grid correlogram of a point file, computed without any window.

#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "failures.h"
#include "output.h"
#include "run.h"

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
        return geolago::cli::runCommand(geolago::sharedStore(), args, out, std::cerr);
    } catch (const std::exception& failure) {
        std::cerr << "geolago-cli: " << geolago::messageForDisplay(geolago::failureMessage(failure)) << '\n';
        return geolago::cli::ExitFailure;
    }
}
