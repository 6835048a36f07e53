#include "pointlayout.h"

#include <algorithm>

#include "numbertext.h"
#include "reader.h"
#include "textrules.h"

namespace geolago {

namespace {

// Texts longer than this are not point files of at most 1000 rows: the guess stops there.
constexpr std::size_t largestLook = 16 * 1024 * 1024;

}  // namespace

std::optional<PointFileLayout> guessPointFileLayout(std::string_view bytes)
{
    bytes = textBefore(bytes, PointFileEnd);

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
            i = tokenEnd(bytes.data(), i, end);
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
    TextSource source(PointFileEnd);
    std::string text;
    if (source.open(fileName, InputKinds::RegularFiles) != 0 || readText(source, largestLook, text) != 0)
        return std::nullopt;
    return guessPointFileLayout(text);
}

bool startsWithNumberRow(std::string_view head)
{
    for (std::size_t start = 0;;) {
        const std::size_t lineEnd = std::min(head.find('\n', start), head.size());
        bool numbers = false;
        for (std::size_t at = start; at < lineEnd;) {
            if (isBlank(static_cast<unsigned char>(head[at]))) {
                ++at;
                continue;
            }
            const std::size_t end = tokenEnd(head.data(), at, lineEnd);
            if (end == head.size())
                return numbers;
            if (!parseReal(head.substr(at, end - at)))
                return false;
            numbers = true;
            at = end;
        }
        if (numbers || lineEnd == head.size())
            return numbers;
        start = lineEnd + 1;
    }
}

}  // namespace geolago
