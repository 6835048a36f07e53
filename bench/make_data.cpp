// Writes the largest input into a folder and prints its path:
//   geolago-bench-data FOLDER
#include <cstdio>

#include "bench_data.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: geolago-bench-data FOLDER\n");
        return 2;
    }
    std::printf("%s\n", geolago::bench::writeLargestFile(argv[1]).c_str());
    return 0;
}
