// The time of the windows' steps on the largest input, on the offscreen platform: the
// real handlers of the main window, the results window and the chart window, each
// followed by the events it leaves pending (layout and painting), and the start-up of
// the program until its main window is on the screen. The message boxes are replaced by
// a recorder, so a step's time is its own work without the wait for "OK".
//   geolago-windows-bench [--benchmark_repetitions=10 --benchmark_report_aggregates_only=true]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "Graphique.h"
#include "Page_1.h"
#include "Resultats.h"
#include "Texte_Aide.h"
#include "bench_data.h"
#include "messages.h"
#include "regional.h"

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
    Form1->EdNom_Fich->setText(QString::fromStdString(geolago::bench::writeLargestFile(folder.string())));
    Form1->EdNBPoints->setText("1000");
    Form1->EdNBVar->setText("30");
    Form1->radioButton(0)->click();
    Form1->EdNBMailles->setText("30");
    const auto names = folder / "noms.txt";
    std::ofstream out(names);
    for (int v = 1; v <= geolago::bench::Variables; ++v)
        out << "Variable " << v << "\n";
    out.close();
    Form1->EdNomsVars->setText(QString::fromStdString(names.string()));
    Form1->ButtLit_DataClick();
    Form1->ButtNBMaillesClick();
    Form1->ButtLit_Noms_VarsClick();
    Form1->Combobox_Var->setCurrentIndex(0);
    Form1->ButtChoixVarClick();
    Form1->ButtCalculerClick();
    Form2->Button1Click();
    settle();
}

void LitData(benchmark::State& state)
{
    measure(state, [] { Form1->ButtLit_DataClick(); });
}
BENCHMARK(LitData)->Unit(benchmark::kMillisecond);

void Valider(benchmark::State& state)
{
    measure(state, [] { Form1->ButtNBMaillesClick(); });
}
BENCHMARK(Valider)->Unit(benchmark::kMillisecond);

void ValiderFichier(benchmark::State& state)
{
    measure(state, [] { Form1->ButtLit_Noms_VarsClick(); });
}
BENCHMARK(ValiderFichier)->Unit(benchmark::kMillisecond);

void ValiderLaVariable(benchmark::State& state)
{
    measure(state, [] { Form1->ButtChoixVarClick(); });
}
BENCHMARK(ValiderLaVariable)->Unit(benchmark::kMillisecond);

// "Calculer" with the results window hidden before, so that each time it is shown and
// filled as on the first press.
void Calculer(benchmark::State& state)
{
    measure(state, [] { Form1->ButtCalculerClick(); }, [] { Form2->hide(); });
}
BENCHMARK(Calculer)->Unit(benchmark::kMillisecond);

void AfficherCorrelogramme(benchmark::State& state)
{
    measure(state, [] { Form4->ButtAfficheClick(); });
}
BENCHMARK(AfficherCorrelogramme)->Unit(benchmark::kMillisecond);

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
    Form1 = new TForm1;
    Form1->showMaximized();
    Form2 = new TForm2;
    Form4 = new TForm4;
    Form_Aide = new TForm_Aide;
    if (!QTest::qWaitForWindowExposed(Form1))
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
    Form1 = new TForm1;
    Form1->showMaximized();
    Form2 = new TForm2;
    Form4 = new TForm4;
    Form_Aide = new TForm_Aide;
    if (!QTest::qWaitForWindowExposed(Form1))
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
