// The core's own time for one correlogram of points already in memory, for comparison
// with a front end's call on the same points (bench/python_bench.py):
//   geolago-job-time FOLDER CELLS PERMUTATIONS THREADS REPEATS [map]
// FOLDER holds x.f64, y.f64 and v.f64, the points' doubles in native order, read into
// memory first. Each repeat times what the core's path takes from arrays of doubles in
// memory: the PointTable of their copies, storeReading into a new Store, Calcul_Mailles,
// runJob, the store freed. Writes
// the fastest repeat in ms, by the clock and in processor time (every thread's), the
// latter less sensitive to the other work of a busy machine.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "job.h"
#include "readers.h"
#include "store.h"

namespace {

std::vector<double> readDoubles(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<double> values(static_cast<std::size_t>(in.tellg()) / sizeof(double));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(double)));
    return values;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace geolago;
    if (argc < 6) {
        std::cerr << "usage: geolago-job-time FOLDER CELLS PERMUTATIONS THREADS REPEATS [map]\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::vector<double> xs = readDoubles(folder + "/x.f64"), ys = readDoubles(folder + "/y.f64"),
                              vs = readDoubles(folder + "/v.f64");
    JobRequest request;
    request.variable = {1, "v"};
    request.permutations = std::stoi(argv[3]);
    request.threads = static_cast<unsigned>(std::stoi(argv[4]));
    request.map = argc > 6 && std::string(argv[6]) == "map";
    std::vector<double> times, processor;
    for (int repeat = 0; repeat < std::stoi(argv[5]); ++repeat) {
        const std::clock_t processorStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        PointTable table;
        table.source = folder;  // a table without its source stores nothing
        table.named = true;
        table.columns = {{"X", xs}, {"Y", ys}, {"v", vs}};
        auto store = std::make_unique<Store>();
        storeReading(*store, TableReading{std::move(table), nullptr});
        store->NBMailles = std::stoi(argv[2]);
        Calcul_Mailles(*store);
        const JobResult result = runJob(*store, request);
        store.reset();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        processor.push_back(1000.0 * static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC);
        if (!result.correlogram.eastWest.at(1).r)
            return 1;
    }
    std::printf("%.3f %.3f\n", *std::min_element(times.begin(), times.end()),
                *std::min_element(processor.begin(), processor.end()));
    return 0;
}
