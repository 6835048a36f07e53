#include "textrules.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace geolago {

namespace {

// The characters of Windows-1252's bytes 0x80 to 0x9F.
constexpr std::array<char32_t, 32> Windows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& text, char32_t code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

bool isUtf8(std::string_view bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        // Eight ASCII bytes at a time, the most of any text.
        if (bytes.size() - at >= 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + at, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        // The length of the sequence and the range of its second byte, which excludes the
        // overlong forms, the surrogates and what lies beyond U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        else
            return false;
        if (bytes.size() - at < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[at + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        at += length;
    }
    return true;
}

std::string utf8Text(std::string bytes)
{
    if (isUtf8(bytes))
        return bytes;
    return fromWindows1252(bytes);
}

std::string fromWindows1252(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(text, byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char32_t{byte});
    }
    return text;
}

long InputText::read(char* buffer, std::size_t size)
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

int readText(InputText& source, std::size_t limit, std::string& text)
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
