#include "inputfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace geolago {

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int InputFile::open(const std::string& fileName)
{
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode))
        return EISDIR;
    return 0;
}

long InputFile::read(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0)
            return static_cast<long>(got);
        if (errno != EINTR)
            return -errno;
    }
}

}  // namespace geolago
