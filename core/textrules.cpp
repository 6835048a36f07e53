#include "textrules.h"

namespace geolago {

long TextSource::read(char* buffer, std::size_t size)
{
    if (ended_)
        return 0;
    const long got = file_.read(buffer, size);
    if (got <= 0) {
        ended_ = got == 0;
        return got;
    }
    if (const void* end = std::memchr(buffer, end_, static_cast<std::size_t>(got))) {
        ended_ = endByteMet_ = true;
        return static_cast<const char*>(end) - buffer;
    }
    return got;
}

int readText(TextSource& source, std::size_t limit, std::string& text)
{
    char buffer[64 * 1024];
    for (;;) {
        const long got = source.read(buffer, sizeof buffer);
        if (got < 0)
            return static_cast<int>(-got);
        if (got == 0)
            return 0;
        const auto size = static_cast<std::size_t>(got);
        if (size > limit - text.size())
            return TextTooLong;
        text.append(buffer, size);
    }
}

}  // namespace geolago
