// geolago-cli: the grid correlogram of a point file, computed without any window.

#include <iostream>
#include <string>
#include <vector>

#include "run.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return geolago::cli::runCommand(geolago::sharedStore(), args, std::cout, std::cerr);
}
