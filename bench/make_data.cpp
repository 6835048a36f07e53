// Writes a benchmark input into a folder and prints its path:
//   geolago-bench-data FOLDER            the largest input the windows take
//   geolago-bench-data FOLDER POINTS     POINTS points with one variable (scale_POINTS.txt)
#include <cstdio>
#include <cstdlib>

#include "bench_data.h"

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: geolago-bench-data FOLDER [POINTS]\n");
        return 2;
    }
    const std::string path = argc == 2 ? geolago::bench::writeLargestFile(argv[1])
                                       : geolago::bench::writeScaleFile(argv[1], std::atoll(argv[2]));
    std::printf("%s\n", path.c_str());
    return 0;
}
