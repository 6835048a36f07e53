// geolago-cli as a user starts it: the real executable, its output streams and its exit
// status. The other tests run the same command in process.

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
        pid_t pid = 0;
        Outcome outcome;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
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
    EXPECT_EQ(l[1], "Revenu médian\t\t10\t58.6776859504132\tE_W\t0\t0\t1.00000703334808\t55\tNA\tNA\tNA");
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

}  // namespace
}  // namespace geolago::testing
