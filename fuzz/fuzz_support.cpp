#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

namespace geolago::fuzz {

const std::string& scratchPath()
{
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        std::string name = std::string(folder && *folder ? folder : "/tmp") + "/geolago-fuzz-XXXXXX";
        const int fd = ::mkstemp(name.data());
        check(fd >= 0, "cannot make the scratch file");
        ::close(fd);
        // Removed when the fuzzer ends normally.
        std::atexit([] { ::unlink(scratchPath().c_str()); });
        return name;
    }();
    return path;
}

const std::string& writeScratch(std::string_view bytes)
{
    const std::string& path = scratchPath();
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    check(fd >= 0, "cannot open the scratch file");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        check(put > 0, "cannot write the scratch file");
        done += static_cast<std::size_t>(put);
    }
    ::close(fd);
    return path;
}

}  // namespace geolago::fuzz
