// geolago-cli as a user starts it, with no display: the real executable, its output
// streams, its exit status and the files it writes. The other tests run the same
// command in process.

#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef GEOLAGO_PLOT
#include <QXmlStreamReader>
#endif

#include "cli_fixture.h"

extern char** environ;

namespace geolago::testing {
namespace {

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// How the command is started, beyond its arguments.
struct Launch {
    enum class Output { File, Full, Closed } output = Output::File;  // standard output
    // Added to the environment, whose language settings are otherwise LC_ALL=C.
    std::vector<std::string> environment;
    // When not empty, standard input is a pipe fed with this text over and over, up to
    // 200 MB or until the command stops reading.
    std::string endlessInput;
    // When not 0, the command runs with at most this many kilobytes of address space.
    long memoryLimit = 0;
};

class CliProcess : public CliFolder {
protected:
    void SetUp() override
    {
        CliFolder::SetUp();
        // A command that stops reading its endless input must not end the tests.
        std::signal(SIGPIPE, SIG_IGN);
    }

    Outcome run(const std::vector<std::string>& args, const Launch& launch = {})
    {
        std::vector<std::string> all{GEOLAGO_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        if (launch.memoryLimit > 0)
            all.insert(all.begin(), {"/bin/sh", "-c", "ulimit -v " + std::to_string(launch.memoryLimit)
                                                          + " && exec \"$0\" \"$@\""});
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        // The first of two equal names is the one a program sees.
        std::vector<std::string> environment = launch.environment;
        environment.push_back("LC_ALL=C");
        // No display either: the command needs none, --plot included.
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("LC_", 0) != 0 && entry.rfind("LANG", 0) != 0 && entry.rfind("DISPLAY=", 0) != 0
                && entry.rfind("WAYLAND_DISPLAY=", 0) != 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0)
                environment.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        const std::string outFile = path(".stdout"), errFile = path(".stderr");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        switch (launch.output) {
        case Launch::Output::File:
            posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            break;
        case Launch::Output::Full:
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
            break;
        case Launch::Output::Closed:
            posix_spawn_file_actions_addclose(&actions, 1);
            break;
        }
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int input[2] = {-1, -1};
        if (!launch.endlessInput.empty()) {
            EXPECT_EQ(pipe2(input, O_CLOEXEC), 0);
            posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        }
        pid_t pid = 0;
        Outcome outcome;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "cannot start " << argv[0];
        std::thread feeder;
        if (input[0] >= 0) {
            close(input[0]);
            feeder = std::thread([fd = input[1], text = launch.endlessInput] {
                for (std::size_t sent = 0; sent < 200'000'000;) {
                    const ssize_t written = ::write(fd, text.data(), text.size());
                    if (written <= 0)
                        break;  // the command stopped reading
                    sent += static_cast<std::size_t>(written);
                }
                close(fd);
            });
        }
        if (spawned == 0) {
            int status = 0;
            rusage usage{};
            wait4(pid, &status, 0, &usage);
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            outcome.peakKilobytes = usage.ru_maxrss;
            outcome.out = slurp(outFile);
            outcome.err = slurp(errFile);
        }
        if (feeder.joinable())
            feeder.join();
        return outcome;
    }

    const std::string examples = GEOLAGO_EXAMPLES_DIR;
    const std::vector<std::string> example{examples + "/quartiers.txt", "--points", "80", "--vars", "12",
                                           "--numbered"};
};

TEST_F(CliProcess, TheShippedExampleRunsEveryVariable)
{
    const std::string examples = GEOLAGO_EXAMPLES_DIR;
    const Outcome o = run({examples + "/quartiers.txt", "--points", "80", "--vars", "12", "--numbered",
                           "--names", examples + "/quartiers_noms.txt", "--all", "--format", "tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const std::vector<std::string> l = lines(o.out);
    ASSERT_EQ(l.size(), 1u + 12 * 20);
    EXPECT_EQ(l[2], "Revenu médian\t\t10\t71\tE_W\t1\t332.28\t0.964950911071692\t45\tNA\tNA\tNA\tNA\tNA\tNA\t0");

    // The same districts as a French spreadsheet exports them read with no option.
    const Outcome csv = run({examples + "/quartiers.csv", "--all", "--format", "tsv"});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.err, "geolago-cli: " + examples + "/quartiers.csv: La colonne \"Secteur\" contient du texte"
                       " (\"Sud-Ouest\" à la ligne 2) : ce n'est pas une variable.\n");
    EXPECT_EQ(csv.out, o.out);
}

TEST_F(CliProcess, FailuresAndUsageErrorsGiveTheirExitStatus)
{
    const Outcome missing = run({path("absent.txt"), "--points", "4", "--vars", "1", "--all"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "geolago-cli: " + path("absent.txt") + ": Fichier introuvable.\n");
    // Without the counts too: a file that does not open is not one whose counts cannot be guessed.
    EXPECT_EQ(run({path("absent.txt"), "--all"}).err, "geolago-cli: " + path("absent.txt") + ": Fichier introuvable.\n");

    const Outcome usage = run({"--points", "4"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_NE(usage.err.find("Usage : geolago-cli "), std::string::npos);
}

TEST_F(CliProcess, EndlessInputsStayWithinBoundedMemory)
{
    Launch endless;
    endless.endlessInput = std::string(64 * 1024, 'n');
    const Outcome names = run({example[0], "--points", "80", "--vars", "12", "--numbered", "--names", "/dev/stdin",
                               "--all"},
                              endless);
    EXPECT_EQ(names.status, 1);
    EXPECT_EQ(names.err, "geolago-cli: /dev/stdin: Fichier des noms trop long : plus de 1048576 octets.\n");
    EXPECT_LT(names.peakKilobytes, 100 * 1024);

    endless.endlessInput = std::string(64 * 1024, '7');
    const Outcome token = run({"/dev/stdin", "--points", "1", "--vars", "0", "--all"}, endless);
    EXPECT_EQ(token.status, 1);
    EXPECT_EQ(token.err, "geolago-cli: /dev/stdin:1 (X): Nombre trop long : plus de 4194304 caractères.\n");
    EXPECT_LT(token.peakKilobytes, 100 * 1024);

    // Memory that runs out all the same (a million empty names, some 50 MB, in 20 MB more
    // address space than the command needs to start, which depends on the libraries it is
    // linked with) is a failure; the address sanitizer alone needs far more than that.
#if !defined(__SANITIZE_ADDRESS__)
    Launch scarceMemory;
    for (scarceMemory.memoryLimit = 10'000; scarceMemory.memoryLimit < 1'000'000; scarceMemory.memoryLimit += 10'000)
        if (run({"--help"}, scarceMemory).status == 0)
            break;
    scarceMemory.memoryLimit += 20'000;
    const Outcome scarce = run({example[0], "--points", "80", "--vars", "12", "--numbered", "--names",
                                write("lines.txt", std::string(1 << 20, '\n')), "--variable", "1"},
                               scarceMemory);
    EXPECT_EQ(scarce.status, 1);
    EXPECT_EQ(scarce.err, "geolago-cli: Mémoire insuffisante.\n");

    // --points bounds the rows read: room is made for those the file holds.
    const Outcome bound = run({example[0], "--points", "2000000000", "--vars", "12", "--numbered", "--variable", "1",
                               "--format", "tsv"},
                              scarceMemory);
    EXPECT_EQ(bound.status, 0);
    EXPECT_EQ(bound.err, "geolago-cli: " + example[0] + ": Le fichier ne contient que 80 lignes de données, moins que"
                         " les 2000000000 demandées : toutes ont été lues.\n");
    EXPECT_EQ(lines(bound.out).size(), 21u);
#endif
}

TEST_F(CliProcess, OutputThatCannotBeWrittenIsAFailure)
{
    const std::vector<std::vector<std::string>> commands = {
        {"--all", "--format", "text"}, {"--all", "--format", "tsv"}, {"--all", "--format", "json"}, {"--help"}};
    const std::pair<Launch::Output, int> outputs[] = {{Launch::Output::Full, ENOSPC}, {Launch::Output::Closed, EBADF}};
    for (const auto& [output, reason] : outputs)
        for (const auto& command : commands) {
            std::vector<std::string> args = command[0] == "--help" ? std::vector<std::string>{} : example;
            args.insert(args.end(), command.begin(), command.end());
            Launch launch;
            launch.output = output;
            const Outcome o = run(args, launch);
            SCOPED_TRACE(::testing::PrintToString(args) + " " + std::strerror(reason));
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.err, std::string("geolago-cli: Erreur d'écriture : ") + std::strerror(reason) + "\n");
        }
}

TEST_F(CliProcess, SystemTextsSpeakTheUsersLanguageAndAnEmptyNamesFileHasItsFullPath)
{
    if (!fs::exists("/usr/share/locale/fr/LC_MESSAGES/libc.mo"))
        GTEST_SKIP() << "the system's French texts are not installed";
    // C.UTF-8 lets LANGUAGE choose the texts' language without a French locale installed.
    Launch french;
    french.environment = {"LC_ALL=C.UTF-8", "LANGUAGE=fr"};
    const Outcome o = run({example[0], "--points", "80", "--vars", "12", "--numbered", "--names", "", "--all"},
                          french);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "geolago-cli: Impossible d'ouvrir le fichier \"" + fs::current_path().string()
                         + "\". Aucun fichier ou dossier de ce type.\n");
}

#ifdef GEOLAGO_PLOT
// Width and height of a PNG file, from its header.
std::pair<int, int> pngSize(const std::string& bytes)
{
    if (bytes.rfind("\x89PNG\r\n\x1a\n", 0) != 0 || bytes.size() < 24)
        return {0, 0};
    auto word = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = at; i < at + 4; ++i)
            value = value * 256 + static_cast<unsigned char>(bytes[i]);
        return value;
    };
    return {word(16), word(20)};
}

TEST_F(CliProcess, PlotWritesTheChartOfEachVariableAsked)
{
    const std::string examples = GEOLAGO_EXAMPLES_DIR;
    const std::vector<std::string> analysis = {examples + "/quartiers.txt", "--points", "80", "--vars", "12",
                                               "--numbered", "--variable", "5"};
    // A chart, and with --map the heat map beside it (the names of several charts: CliTest).
    std::vector<std::string> mapped = analysis;
    mapped.insert(mapped.end(), {"--map", "--plot", path("mapped.png")});
    const Outcome pngs = run(mapped);
    ASSERT_EQ(pngs.status, 0) << pngs.err;
    EXPECT_EQ(pngs.err, "");
    EXPECT_EQ(pngSize(slurp(path("mapped.png"))), std::make_pair(842, 540));
    EXPECT_EQ(pngSize(slurp(path("mapped-carte.png"))), std::make_pair(800, 680));

    // With a permutation test, the envelopes and marks are drawn too.
    std::vector<std::string> tested = analysis;
    tested.insert(tested.end(), {"--permutations", "99", "--plot", path("tested.png")});
    ASSERT_EQ(run(tested).status, 0);
    EXPECT_EQ(pngSize(slurp(path("tested.png"))), std::make_pair(842, 540));
    EXPECT_NE(slurp(path("tested.png")), slurp(path("mapped.png")));

    // Every SVG is well-formed XML whatever the names, its title the chart's.
    std::vector<std::string> named(analysis.begin(), analysis.end() - 2);
    named.insert(named.end(), {"--names", write("names.txt", "R&D <1>\x01\nA > B\n"), "--variable", "1",
                               "--cross", "1:2", "--map", "--plot", path("chart.svg")});
    ASSERT_EQ(run(named).status, 0);
    for (const auto& [file, title] : {std::pair{"chart-1.svg", "R&D <1>\\x01"},
                                      std::pair{"chart-1x2.svg", "R&D <1>\\x01 × A > B"},
                                      std::pair{"chart-1x2-carte.svg", "R&D <1>\\x01 × A > B"}}) {
        const std::string svg = slurp(path(file));
        EXPECT_NE(svg.find(std::string(file).find("carte") == std::string::npos ? "<svg width=\"842\" height=\"540\""
                                                                              : "<svg width=\"800\" height=\"680\""),
                  std::string::npos);
        QXmlStreamReader xml(QByteArray::fromStdString(svg));
        QString shownTitle;
        while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd())
            if (xml.isStartElement() && xml.name() == QLatin1String("title"))
                shownTitle = xml.readElementText();
        EXPECT_FALSE(xml.hasError()) << file << ": " << xml.errorString().toStdString();
        EXPECT_EQ(shownTitle.toStdString(), title);
    }

    // A chart that cannot be written fails the run as any failure does, the figures of its
    // variable written before it: the failure comes back from the module.
    std::vector<std::string> unwritable = analysis;
    unwritable.insert(unwritable.end(), {"--format", "tsv", "--plot", path("absent/chart.png")});
    const Outcome failed = run(unwritable);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err.rfind("geolago-cli: variable 5: Impossible d'écrire le fichier \"" + path("absent/chart.png"), 0),
              0u)
        << failed.err;
    EXPECT_NE(failed.out.find("\n5\t\t10\t"), std::string::npos) << failed.out;
}
#else
TEST_F(CliProcess, PlotIsAUsageErrorWithoutTheWindows)
{
    const Outcome o = run({path("p.txt"), "--points", "1", "--vars", "0", "--all", "--plot", path("c.png")});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("--plot n'est pas disponible"), std::string::npos) << o.err;
}
#endif

}  // namespace
}  // namespace geolago::testing
