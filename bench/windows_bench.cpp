// The time of the windows' steps on the largest input, on the offscreen platform: the
// buttons of the main window, the results window and the chart window (its test of 999
// permutations included) pressed, each press followed by the events it leaves pending
// (layout and painting), and the start-up of the program until its main window is on
// the screen. The windows are created and wired as the program does it, on the shared
// store. The message boxes are replaced by a recorder, so a step's time is its own work
// without the wait for "OK".
//   geolago-windows-bench [--benchmark_repetitions=10 --benchmark_report_aggregates_only=true]

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_data.h"
#include "messages.h"
#include "regional.h"
#include "store.h"
#include "windows.h"

extern char** environ;

namespace {

class Recorder : public geolago::ui::MessageSink {
public:
    void information(const QString&) override {}
    void error(const QString& text) override { errors.push_back(text.toStdString()); }
    std::vector<std::string> errors;
};

Recorder recorder;
std::filesystem::path folder;
geolago::app::Windows* windows = nullptr;

// Control `name` of `window`, found by its object name.
template <typename Control>
Control* control(QWidget& window, const char* name)
{
    return window.findChild<Control*>(QString::fromLatin1(name));
}

void setText(const char* field, const std::string& text)
{
    control<QLineEdit>(windows->mainWindow(), field)->setText(QString::fromStdString(text));
}

// Presses button `name` of `window`; the handler runs in its guard, as on a mouse click.
void press(QWidget& window, const char* name)
{
    control<QAbstractButton>(window, name)->click();
}
void press(const char* name)
{
    press(windows->mainWindow(), name);
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Runs `step` once per iteration; `before` runs outside the timing.
template <typename Step, typename Before>
void measure(benchmark::State& state, Step step, Before before)
{
    for (auto _ : state) {
        state.PauseTiming();
        before();
        settle();
        recorder.errors.clear();
        state.ResumeTiming();
        step();
        settle();
    }
    if (!recorder.errors.empty())
        state.SkipWithError(recorder.errors.front().c_str());
}

template <typename Step>
void measure(benchmark::State& state, Step step)
{
    measure(state, step, [] {});
}

// The store as each step finds it after the steps before it, on the largest file.
void fillInputs()
{
    setText("EdNom_Fich", geolago::bench::writeLargestFile(folder.string()));
    setText("EdNBPoints", "1000");
    setText("EdNBVar", "30");
    press("yesButton");
    setText("EdNBMailles", "30");
    const auto names = folder / "noms.txt";
    std::ofstream out(names);
    for (int v = 1; v <= geolago::bench::Variables; ++v)
        out << "Variable " << v << "\n";
    out.close();
    setText("EdNomsVars", names.string());
    press("ButtLit_Data");
    press("ButtNBMailles");
    press("ButtLit_Noms_Vars");
    control<QComboBox>(windows->mainWindow(), "Combobox_Var")->setCurrentIndex(0);
    press("ButtChoixVar");
    press("ButtCalculer");
    press(windows->results(), "Button1");
    settle();
}

void LitData(benchmark::State& state)
{
    measure(state, [] { press("ButtLit_Data"); });
}
BENCHMARK(LitData)->Unit(benchmark::kMillisecond);

void Valider(benchmark::State& state)
{
    measure(state, [] { press("ButtNBMailles"); });
}
BENCHMARK(Valider)->Unit(benchmark::kMillisecond);

void ValiderFichier(benchmark::State& state)
{
    measure(state, [] { press("ButtLit_Noms_Vars"); });
}
BENCHMARK(ValiderFichier)->Unit(benchmark::kMillisecond);

void ValiderLaVariable(benchmark::State& state)
{
    measure(state, [] { press("ButtChoixVar"); });
}
BENCHMARK(ValiderLaVariable)->Unit(benchmark::kMillisecond);

// "Calculer" with the results window hidden before, so that each time it is shown and
// filled as on the first press.
void Calculer(benchmark::State& state)
{
    measure(state, [] { press("ButtCalculer"); }, [] { windows->results().hide(); });
}
BENCHMARK(Calculer)->Unit(benchmark::kMillisecond);

void AfficherCorrelogramme(benchmark::State& state)
{
    measure(state, [] { press(windows->chart(), "ButtAffiche"); });
}
BENCHMARK(AfficherCorrelogramme)->Unit(benchmark::kMillisecond);

// "Tester (999 permutations)" of the chart window: the permutation test of the chosen
// variable on all cores, then the chart drawn with its envelopes and marks.
void Tester(benchmark::State& state)
{
    if (!control<QAbstractButton>(windows->chart(), "significanceButton")->isEnabled()) {
        state.SkipWithError("the test button waits for a calculation");
        return;
    }
    measure(state, [] { press(windows->chart(), "significanceButton"); });
}
BENCHMARK(Tester)->Unit(benchmark::kMillisecond);

// A fresh process of this program in its start-up mode: from its start until it reports
// its main window exposed.
void StartUp(benchmark::State& state)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> args = {self, "--start-up"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0) {
            state.SkipWithError("pipe");
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        pid_t pid = 0;
        const auto start = std::chrono::steady_clock::now();
        const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        char shown = 0;
        const bool reported = spawned == 0 && ::read(fds[0], &shown, 1) == 1;
        const auto end = std::chrono::steady_clock::now();
        ::close(fds[0]);
        int status = 0;
        if (spawned == 0)
            ::waitpid(pid, &status, 0);
        if (!reported) {
            state.SkipWithError("the start-up process did not report its main window");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The program's start-up, as app/main.cpp makes it, up to the main window exposed.
int startUpMode(int argc, char** argv)
{
    QApplication application(argc, argv);
    geolago::ui::setApplicationTitle(geolago::ui::titleFromProgramPath(QCoreApplication::applicationFilePath()));
    geolago::ui::readDecimalSeparator();
    geolago::app::Windows startedWindows(geolago::sharedStore());
    if (!QTest::qWaitForWindowExposed(&startedWindows.mainWindow()))
        return 1;
    std::fputc('!', stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && std::string(argv[1]) == "--start-up")
        return startUpMode(argc, argv);

    QApplication application(argc, argv);
    geolago::ui::setMessageSink(&recorder);
    geolago::ui::readDecimalSeparator();
    folder = std::filesystem::temp_directory_path() / ("geolago-windows-bench-" + std::to_string(::getpid()));
    geolago::app::Windows benchWindows(geolago::sharedStore());
    windows = &benchWindows;
    if (!QTest::qWaitForWindowExposed(&benchWindows.mainWindow()))
        return 1;
    fillInputs();
    if (!recorder.errors.empty()) {
        std::fprintf(stderr, "the windows refused the largest input: %s\n", recorder.errors.front().c_str());
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
