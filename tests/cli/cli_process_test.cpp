// geolago-cli as a user starts it, with no display: the real executable, its output
// streams, its exit status and the files it writes. The other tests run the same
// command in process.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

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

class CliProcess : public CliFolder {
protected:
    Outcome run(const std::vector<std::string>& args)
    {
        std::vector<std::string> all{GEOLAGO_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        const std::string outFile = path(".stdout"), errFile = path(".stderr");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        // The environment without any display.
        std::vector<char*> env;
        for (char** variable = environ; *variable; ++variable) {
            const std::string entry = *variable;
            if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0
                && entry.rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.push_back(*variable);
        }
        env.push_back(nullptr);
        pid_t pid = 0;
        Outcome outcome;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "cannot start " << GEOLAGO_CLI_PATH;
        if (spawned != 0)
            return outcome;
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = slurp(outFile);
        outcome.err = slurp(errFile);
        return outcome;
    }
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
    EXPECT_EQ(l[1], "Revenu médian\t58.6776859504132\tE_W\t0\t1.00000703334808\t55");
}

TEST_F(CliProcess, FailuresAndUsageErrorsGiveTheirExitStatus)
{
    const Outcome missing = run({path("absent.txt"), "--points", "4", "--vars", "1", "--all"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Fichier introuvable.\n");

    const Outcome usage = run({"--points", "4"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_NE(usage.err.find("Usage : geolago-cli "), std::string::npos);
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
    std::vector<std::string> several = analysis;
    several.insert(several.end(), {"--variable", "1", "--plot", path("chart.png")});
    const Outcome pngs = run(several);
    ASSERT_EQ(pngs.status, 0) << pngs.err;
    EXPECT_EQ(pngs.err, "");
    EXPECT_EQ(pngSize(slurp(path("chart-5.png"))), std::make_pair(842, 540));
    EXPECT_EQ(pngSize(slurp(path("chart-1.png"))), std::make_pair(842, 540));

    std::vector<std::string> one = analysis;
    one.insert(one.end(), {"--plot", path("chart.svg")});
    ASSERT_EQ(run(one).status, 0);
    const std::string svg = slurp(path("chart.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg width=\"842\" height=\"540\""), std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
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
