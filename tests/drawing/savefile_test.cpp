// Saving a chosen file: whole, through a symbolic link, and never over what is not a
// regular file, leaving no temporary file; the reasons in the system's words.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "failures.h"
#include "savefile.h"

using namespace geolago;

namespace {

// The message of the failure of saving `bytes` into `path`, empty when it is saved.
std::string failureOf(const QString& path, const QByteArray& bytes = "new")
{
    try {
        drawing::saveFile(path, bytes);
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

std::string cannotWrite(const QString& path, const std::string& reason)
{
    return "Impossible d'écrire le fichier \"" + path.toStdString() + "\". " + reason;
}

mode_t modeOf(const QString& path, bool followLinks = false)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    EXPECT_EQ(followLinks ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info), 0);
    return info.st_mode;
}

}  // namespace

TEST(SaveFile, ReplacesRegularFilesThroughTheirLinksAndRefusesEverythingElse)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath("table.csv"), link = folder.filePath("link.csv");
    EXPECT_EQ(failureOf(file, "old"), "");
    ::chmod(QFile::encodeName(file).constData(), 0640);
    ASSERT_TRUE(QFile::link(file, link));
    EXPECT_EQ(failureOf(link), "");
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
    EXPECT_EQ(modeOf(file) & 0777, 0640u);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "new");

    // A named pipe, directly or through a link, stays as it is, and nothing is left beside.
    const QString pipe = folder.filePath("pipe.png"), pipeLink = folder.filePath("pipe-link.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, pipeLink));
    for (const QString& target : {pipe, pipeLink}) {
        EXPECT_EQ(failureOf(target), cannotWrite(target, "Ce n'est pas un fichier ordinaire"));
        EXPECT_TRUE(S_ISFIFO(modeOf(target, true)));
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 4);

    EXPECT_EQ(failureOf(folder.path()), cannotWrite(folder.path(), systemReason(EISDIR)));
    const QString missing = folder.filePath("absent/chart.svg");
    EXPECT_EQ(failureOf(missing), cannotWrite(missing, systemReason(ENOENT)));

    // A relative link leads from its own folder, not from the current one.
    ASSERT_TRUE(QDir(folder.path()).mkdir("a"));
    ASSERT_EQ(::symlink("cible.png", QFile::encodeName(folder.filePath("a/lien.png")).constData()), 0);
    const QString current = QDir::currentPath();
    QDir::setCurrent(folder.path());
    EXPECT_EQ(failureOf(folder.filePath("a/lien.png")), "");
    QDir::setCurrent(current);
    QFile target(folder.filePath("a/cible.png"));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), "new");
}

TEST(SaveFile, AFailedOrInterruptedSaveLeavesNoTemporaryFile)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("carte.png");
    auto temporaries = [&] { return QDir(folder.path()).entryList({"carte.png.*"}, QDir::Files | QDir::Hidden); };

    // A write that fails midway, past the largest file allowed.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small {4096, limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string failure = failureOf(target, QByteArray(8192, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(failure, cannotWrite(target, systemReason(EFBIG)));
    EXPECT_EQ(temporaries().join(" ").toStdString(), "");

    // A child saves over and over, each save long enough to be caught in the middle.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const QByteArray bytes(32 << 20, 'x');
        for (;;)
            drawing::saveFile(target, bytes);
    }
    // Once a temporary file stands beside the target, the child is stopped as kill does.
    for (int wait = 0; wait < 10000 && temporaries().isEmpty(); ++wait)
        ::usleep(500);
    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(temporaries().join(" ").toStdString(), "");
}
