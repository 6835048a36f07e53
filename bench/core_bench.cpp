// The analysis steps on the largest input (1000 points, 30 variables, N = 30), one
// benchmark per step, the choice of its reader, the whole pipeline, the correlogram map, and the wall time of
// geolago-cli --all and --map.
//   geolago-bench [--benchmark_repetitions=10 --benchmark_report_aggregates_only=true]

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <unistd.h>

#include "analysis.h"
#include "bench_data.h"
#include "correlogram_map.h"
#include "plain_definitions.h"
#include "reader.h"
#include "readers.h"
#include "significance.h"
#include "store.h"

extern char** environ;

using namespace geolago;

namespace {

const std::string& largestFile()
{
    static const std::string path = bench::writeLargestFile(
        (std::filesystem::temp_directory_path() / ("geolago-bench-" + std::to_string(::getpid()))).string());
    return path;
}

// The store the benchmarks work on, as the program's own.
Store& store = sharedStore();

// The store as the windows leave it after "Lit Data" on the largest file.
void readLargest()
{
    store.reset();
    store.NBPoints = bench::Points;
    store.NBVar = bench::Variables;
    Lit_Data(store, largestFile(), true);
}

// ... then "Valider" with N = 30 and "Valider la variable" on variable 1.
void prepareGrid()
{
    readLargest();
    store.NBMailles = bench::Cells;
    Calcul_Mailles(store);
    store.Num_Var = 1;
    Remplit_Grille(store);
}

void Read(benchmark::State& state)
{
    readLargest();
    for (auto _ : state) {
        Lit_Data(store, largestFile(), true);
        benchmark::DoNotOptimize(store.Donnees[bench::Points][bench::Variables]);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(largestFile())));
}
BENCHMARK(Read);

// The choice of the reader of the largest file, its counts known (readerFor), and with the
// proposal the windows' first look fills in (identifyInput): the point file's guess.
void ChooseReader(benchmark::State& state)
{
    for (auto _ : state) {
        if (state.range(0) == 0) {
            benchmark::DoNotOptimize(&readerFor(largestFile()));
        } else {
            const Identified identified = identifyInput(largestFile());
            benchmark::DoNotOptimize(identified.proposal);
        }
    }
}
BENCHMARK(ChooseReader)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void Place(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        Calcul_Mailles(store);
        benchmark::DoNotOptimize(store.Maille_Point[bench::Points].IY);
    }
}
BENCHMARK(Place);

void Aggregate(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        Remplit_Grille(store);
        benchmark::DoNotOptimize(store.PourCent);
    }
}
BENCHMARK(Aggregate);

void CorrelationEastWest(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        Correlation_EW(store);
        benchmark::DoNotOptimize(store.result.eastWest);
    }
}
BENCHMARK(CorrelationEastWest);

void CorrelationNorthSouth(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        Correlation_NS(store);
        benchmark::DoNotOptimize(store.result.northSouth);
    }
}
BENCHMARK(CorrelationNorthSouth);

// The plain definition of the east-west correlogram, which the fast path must beat twice
// over to be kept.
void PlainCorrelationEastWest(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        std::vector<Shift> shifts;
        plain::correlogram(Direction::EastWest, store.Grille, store.Grille, shifts);
        benchmark::DoNotOptimize(shifts[1].r);
    }
}
BENCHMARK(PlainCorrelationEastWest);

// Placement, aggregation and both correlations of one variable: what the windows run
// from "Valider" to "Calculer".
void OneVariable(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        Calcul_Mailles(store);
        Remplit_Grille(store);
        Correlation_EW(store);
        Correlation_NS(store);
        benchmark::DoNotOptimize(store.result.northSouth);
    }
}
BENCHMARK(OneVariable);

// Reading, placement, then aggregation and both correlations of every variable in
// turn: the work of geolago-cli --all, without its start and its writing.
void WholePipeline(benchmark::State& state)
{
    readLargest();
    for (auto _ : state) {
        Lit_Data(store, largestFile(), true);
        store.NBMailles = bench::Cells;
        Calcul_Mailles(store);
        for (int v = 1; v <= bench::Variables; ++v) {
            store.Num_Var = static_cast<std::uint8_t>(v);
            Remplit_Grille(store);
            Correlation_EW(store);
            Correlation_NS(store);
            benchmark::DoNotOptimize(store.result.northSouth);
        }
    }
}
BENCHMARK(WholePipeline);

// Both correlograms of variable 1 with 999 permutations on 1 then 2 threads: what the
// window runs for one variable.
void PermutationTestOneVariable(benchmark::State& state)
{
    prepareGrid();
    const SignificanceRequest request{.first = 1, .permutations = 999, .threads = static_cast<unsigned>(state.range(0))};
    for (auto _ : state) {
        Correlogram result = computeCorrelogram(store, 1);
        testSignificance(store, result, request);
        benchmark::DoNotOptimize(result.eastWest[1].p);
    }
}
BENCHMARK(PermutationTestOneVariable)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// Every variable with 999 permutations on 1 then 2 threads, after the placement: the
// permutation tests of geolago-cli --all.
void PermutationTestAllVariables(benchmark::State& state)
{
    prepareGrid();
    for (auto _ : state) {
        Calcul_Mailles(store);
        for (int v = 1; v <= bench::Variables; ++v) {
            const SignificanceRequest request{.first = static_cast<std::uint8_t>(v), .permutations = 999,
                                              .threads = static_cast<unsigned>(state.range(0))};
            Correlogram result = computeCorrelogram(store, request.first);
            testSignificance(store, result, request);
            benchmark::DoNotOptimize(result.eastWest[1].p);
        }
    }
}
BENCHMARK(PermutationTestAllVariables)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// The map of variable 1 with K = 10 and 999 permutations, on 1 then 2 threads: what
// geolago-cli --map adds for one variable.
void MapOneVariable(benchmark::State& state)
{
    prepareGrid();
    const SignificanceRequest request{.first = 1, .permutations = 999, .threads = static_cast<unsigned>(state.range(0))};
    for (auto _ : state) {
        CorrelogramMap map = computeCorrelogramMap(store, 1, 0, 10);
        testCorrelogramMap(store, map, request);
        benchmark::DoNotOptimize(map.vectors[0].p);
    }
}
BENCHMARK(MapOneVariable)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// geolago-cli on the largest file with `options` after the counts, start to exit, its
// output thrown away.
void runCli(benchmark::State& state, const std::vector<std::string>& options)
{
    const std::string cli = GEOLAGO_CLI_PATH;
    std::vector<std::string> args = {cli, largestFile(), "--points", "1000", "--vars", "30", "--numbered", "--cells", "30"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start geolago-cli");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("geolago-cli failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

// geolago-cli --all; with the argument, that many permutations of every variable.
void CliAll(benchmark::State& state)
{
    runCli(state, {"--all", "--permutations", std::to_string(state.range(0))});
}
BENCHMARK(CliAll)->Arg(0)->Arg(999)->UseRealTime()->Unit(benchmark::kMillisecond);

// geolago-cli --map --max-shift 10 --permutations 999 of variable 1 (argument 1), then of
// every variable (argument 30).
void CliMap(benchmark::State& state)
{
    runCli(state, {state.range(0) == 1 ? "--variable=1" : "--all", "--map", "--max-shift", "10", "--permutations", "999"});
}
BENCHMARK(CliMap)->Arg(1)->Arg(30)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(std::filesystem::path(largestFile()).parent_path());
    return 0;
}
