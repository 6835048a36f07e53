#include "output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace geolago::cli {

DescriptorBuffer::DescriptorBuffer(int descriptor) : descriptor_(descriptor)
{
    setp(buffer_, buffer_ + sizeof buffer_);
}

DescriptorBuffer::~DescriptorBuffer()
{
    drain();
}

bool DescriptorBuffer::drain()
{
    const char* next = pbase();
    while (error_ == 0 && next < pptr()) {
        const ssize_t written = ::write(descriptor_, next, static_cast<std::size_t>(pptr() - next));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            error_ = written < 0 ? errno : EIO;
        else
            next += written;
    }
    // What could not be written is dropped: the stream has failed for good.
    setp(buffer_, buffer_ + sizeof buffer_);
    return error_ == 0;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DescriptorBuffer::sync()
{
    return drain() ? 0 : -1;
}

std::string writeFailureReason(const std::ostream& out)
{
    if (const auto* buffer = dynamic_cast<const DescriptorBuffer*>(out.rdbuf()); buffer && buffer->error() != 0)
        return std::strerror(buffer->error());
    return "le flux de sortie est en échec";
}

}  // namespace geolago::cli
