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

int InputFile::open(const std::string& fileName, InputKinds kinds)
{
    // Opening a named pipe waits for a writer, forever when none comes: without waiting,
    // the kind is checked first. A terminal opened so never becomes the controlling one.
    const int wait = kinds == InputKinds::RegularFiles ? O_NONBLOCK : 0;
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | wait);
    if (fd_ < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    regular_ = S_ISREG(info.st_mode);
    size_ = regular_ ? static_cast<std::uint64_t>(info.st_size) : 0;
    if (kinds == InputKinds::RegularFiles && !regular_)
        return NotRegularFile;
    // Reads of a regular file never wait anyway; the flag goes all the same.
    if (wait != 0)
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
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

long InputFile::readAt(char* buffer, std::size_t size, std::uint64_t offset) const
{
    for (;;) {
        const ssize_t got = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
        if (got >= 0)
            return static_cast<long>(got);
        if (errno != EINTR)
            return -errno;
    }
}

}  // namespace geolago
