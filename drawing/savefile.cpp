#include "savefile.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "failures.h"

namespace geolago::drawing {

namespace {

[[noreturn]] void fail(const QString& path, const std::string& reason)
{
    throw Failure("Impossible d'écrire le fichier \"" + path.toStdString() + "\". " + reason);
}

// The folder part of `name`, with its final slash; empty for a name without one.
std::string folderOf(const std::string& name)
{
    const auto slash = name.find_last_of('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The file a write to `name` lands in, following its symbolic links, and what stands
// there (mode 0 when nothing does yet); the errno of a failure, else 0.
int finalTarget(std::string& name, mode_t& mode)
{
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0) {
            mode = 0;
            return errno == ENOENT ? 0 : errno;
        }
        if (!S_ISLNK(info.st_mode)) {
            mode = info.st_mode;
            return 0;
        }
        if (links == 40)
            return ELOOP;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(name.c_str(), target.data(), target.size());
        if (length < 0)
            return errno;
        target.resize(static_cast<std::size_t>(length));
        name = target.front() == '/' ? target : folderOf(name) + target;
    }
}

// Writes all of `bytes` to `fd`; 0, or the errno of the failure.
int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t put = ::write(fd, data, left);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += put;
        left -= static_cast<std::size_t>(put);
    }
    return 0;
}

// The temporary file being written, which an interrupting signal removes before the
// program ends as that signal would have ended it.
char pendingTemporary[PATH_MAX + 16];
volatile sig_atomic_t temporaryPending = 0;
struct sigaction previousInterrupt {}, previousTermination {};

extern "C" void removeTemporaryAndStop(int signal)
{
    if (temporaryPending)
        ::unlink(pendingTemporary);
    ::sigaction(signal, signal == SIGINT ? &previousInterrupt : &previousTermination, nullptr);
    ::raise(signal);
}

// While it lives, SIGINT and SIGTERM remove `temporary` before they end the program, as
// they do (Ctrl-C, kill) when the program has left them to their default; a program that
// handles them itself keeps its handling.
class TemporaryGuard {
public:
    explicit TemporaryGuard(const std::string& temporary)
    {
        if (temporary.size() >= sizeof pendingTemporary)
            return;
        std::memcpy(pendingTemporary, temporary.c_str(), temporary.size() + 1);
        temporaryPending = 1;
        struct sigaction removing {};
        removing.sa_handler = removeTemporaryAndStop;
        sigemptyset(&removing.sa_mask);
        for (const auto& [signal, previous] : {std::pair{SIGINT, &previousInterrupt}, {SIGTERM, &previousTermination}}) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL
                && (current.sa_flags & SA_SIGINFO) == 0) {
                *previous = current;
                if (::sigaction(signal, &removing, nullptr) == 0)
                    installed_.push_back(signal);
            }
        }
    }
    ~TemporaryGuard()
    {
        for (const int signal : installed_)
            ::sigaction(signal, signal == SIGINT ? &previousInterrupt : &previousTermination, nullptr);
        temporaryPending = 0;
    }
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;

private:
    std::vector<int> installed_;
};

// While it lives, SIGINT and SIGTERM wait: no interruption falls between the creation of
// the temporary file and the guard that removes it.
class InterruptionsHeld {
public:
    InterruptionsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~InterruptionsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace

void saveFile(const QString& path, const QByteArray& bytes)
{
    std::string target = QFile::encodeName(path).toStdString();
    mode_t mode = 0;
    if (const int error = target.empty() ? ENOENT : finalTarget(target, mode))
        fail(path, systemReason(error));
    if (S_ISDIR(mode))
        fail(path, systemReason(EISDIR));
    // Renaming over a named pipe or a device node would put a plain file in its place.
    if (mode != 0 && !S_ISREG(mode))
        fail(path, "Ce n'est pas un fichier ordinaire");

    // A new file beside the target, with the permissions a new file gets (the umask
    // applies) or those of the file it replaces, then renamed over it.
    std::minstd_rand random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())
                            ^ static_cast<unsigned>(::getpid()));
    std::string temporary;
    int fd = -1;
    std::optional<InterruptionsHeld> held(std::in_place);
    for (int attempt = 0; fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        temporary = target + suffix;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            fail(path, systemReason(errno));
    }
    const TemporaryGuard guard(temporary);
    held.reset();
    if (mode != 0)
        ::fchmod(fd, mode & 0777);  // where it fails, the new file's permissions stand
    int error = writeAll(fd, bytes);
    // A disk that cannot keep the bytes says so here; one that cannot sync at all (EINVAL)
    // keeps them all the same.
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        fail(path, systemReason(error));
    }
}

}  // namespace geolago::drawing
