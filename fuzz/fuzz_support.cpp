#include "fuzz_support.h"

#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace geolago::fuzz {

const std::string& scratchPath(int slot)
{
    static const std::array<std::string, ScratchFiles> paths = [] {
        const char* folder = std::getenv("TMPDIR");
        std::array<std::string, ScratchFiles> names;
        for (std::string& name : names) {
            name = std::string(folder && *folder ? folder : "/tmp") + "/geolago-fuzz-XXXXXX";
            const int fd = ::mkstemp(name.data());
            check(fd >= 0, "cannot make a scratch file");
            ::close(fd);
        }
        // Removed when the fuzzer ends normally.
        std::atexit([] {
            for (int s = 0; s < ScratchFiles; ++s)
                ::unlink(scratchPath(s).c_str());
        });
        return names;
    }();
    check(slot >= 0 && slot < ScratchFiles, "no such scratch file");
    return paths[static_cast<std::size_t>(slot)];
}

const std::string& writeScratch(std::string_view bytes, int slot)
{
    const std::string& path = scratchPath(slot);
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
