#include "pointlayout.h"

#include <vector>

#include "inputfile.h"
#include "numbertext.h"

namespace geolago {

namespace {

bool isBlank(unsigned char c)
{
    return c <= 32;
}

// Files larger than this are not point files of at most 1000 rows: the guess stops there.
constexpr std::size_t largestLook = 16 * 1024 * 1024;

}  // namespace

std::optional<PointFileLayout> guessPointFileLayout(std::string_view bytes)
{
    if (const auto stop = bytes.find('\x1a'); stop != std::string_view::npos)
        bytes = bytes.substr(0, stop);

    std::int64_t rows = 0;
    std::int64_t firstRowTokens = 0;
    bool numbered = true;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::int64_t tokens = 0;
        std::string_view first;
        for (std::size_t i = pos; i < end;) {
            while (i < end && isBlank(static_cast<unsigned char>(bytes[i])))
                ++i;
            if (i == end)
                break;
            const std::size_t start = i;
            while (i < end && !isBlank(static_cast<unsigned char>(bytes[i])))
                ++i;
            if (tokens++ == 0)
                first = bytes.substr(start, i - start);
        }
        if (tokens > 0) {
            ++rows;
            if (rows == 1)
                firstRowTokens = tokens;
            const auto number = parseWholeNumber(first);
            numbered = numbered && number && *number == rows;
        }
        pos = end + 1;
    }

    const std::int64_t variables = firstRowTokens - (numbered ? 3 : 2);
    if (rows == 0 || variables < 0 || rows > INT32_MAX)
        return std::nullopt;
    return PointFileLayout{static_cast<std::int32_t>(rows), static_cast<std::int32_t>(variables), numbered};
}

std::optional<PointFileLayout> guessPointFileLayoutOfFile(const std::string& fileName)
{
    InputFile file;
    if (fileName.empty() || file.open(fileName) != 0)
        return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const long got = file.read(buffer, sizeof buffer);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > largestLook)
            return std::nullopt;
    }
    return guessPointFileLayout(bytes);
}

}  // namespace geolago
