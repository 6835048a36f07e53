#include "pointlayout.h"

#include <algorithm>
#include <memory>

#include "filehead.h"
#include "numbertext.h"
#include "reader.h"
#include "textrules.h"

namespace geolago {

namespace {

// Texts longer than this are not point files of at most 1000 rows: the guess stops there.
constexpr std::size_t largestLook = 16 * 1024 * 1024;

// The guess, a line after the other.
class LayoutGuess {
public:
    // One line, without its line feed.
    void line(std::string_view bytes)
    {
        const std::size_t end = bytes.size();
        std::size_t at = 0;
        while (at < end && isBlank(static_cast<unsigned char>(bytes[at])))
            ++at;
        if (at == end)
            return;
        // A row holds a token; only the first row's are counted, and then only the first
        // token of each row is read while the rows may still be numbered.
        ++rows_;
        const std::size_t firstEnd = tokenEnd(bytes.data(), at, end);
        if (rows_ == 1)
            for (std::size_t i = at; i < end;) {
                while (i < end && isBlank(static_cast<unsigned char>(bytes[i])))
                    ++i;
                if (i == end)
                    break;
                i = tokenEnd(bytes.data(), i, end);
                ++firstRowTokens_;
            }
        if (numbered_) {
            const auto number = parseWholeNumber(bytes.substr(at, firstEnd - at));
            numbered_ = number && *number == rows_;
        }
    }

    // The lines of `bytes` that end in it, the bytes after the last line feed given back.
    std::string_view lines(std::string_view bytes)
    {
        for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos; bytes.remove_prefix(end + 1))
            line(bytes.substr(0, end));
        return bytes;
    }

    std::optional<PointFileLayout> layout() const
    {
        const std::int64_t variables = firstRowTokens_ - (numbered_ ? 3 : 2);
        if (rows_ == 0 || variables < 0 || rows_ > INT32_MAX)
            return std::nullopt;
        return PointFileLayout{static_cast<std::int32_t>(rows_), static_cast<std::int32_t>(variables), numbered_};
    }

private:
    std::int64_t rows_ = 0;
    std::int64_t firstRowTokens_ = 0;
    bool numbered_ = true;
};

}  // namespace

std::optional<PointFileLayout> guessPointFileLayout(std::string_view bytes)
{
    LayoutGuess guess;
    guess.line(guess.lines(textBefore(bytes, PointFileEnd)));
    return guess.layout();
}

std::optional<PointFileLayout> guessPointFileLayout(const FileHead& head)
{
    if (!head.isRegularFile() || head.readError() != 0)
        return std::nullopt;
    // The head first, then the rest of the file a part at a time, none of it kept but the
    // line a part leaves unfinished.
    constexpr std::size_t Part = 64 * 1024;
    LayoutGuess guess;
    std::string unfinished;
    std::unique_ptr<char[]> part;
    std::string_view bytes = head.bytes();
    std::uint64_t offset = bytes.size(), text = 0;
    for (bool ended = false;;) {
        const std::size_t before = bytes.size();
        bytes = textBefore(bytes, PointFileEnd);
        ended = ended || bytes.size() < before;
        text += bytes.size();
        if (text > largestLook)
            return std::nullopt;
        if (!unfinished.empty()) {
            const std::size_t end = std::min(bytes.find('\n'), bytes.size());
            unfinished.append(bytes.substr(0, end));
            if (end == bytes.size() && !ended) {
                bytes = {};
            } else {
                guess.line(unfinished);
                unfinished.clear();
                bytes.remove_prefix(std::min(end + 1, bytes.size()));
            }
        }
        unfinished.append(guess.lines(bytes));
        if (ended)
            break;
        if (!part)
            part = std::make_unique_for_overwrite<char[]>(Part);
        const long got = head.readAt(part.get(), Part, offset);
        if (got < 0)
            return std::nullopt;
        ended = got == 0;
        offset += static_cast<std::uint64_t>(got);
        bytes = std::string_view(part.get(), static_cast<std::size_t>(got));
    }
    guess.line(unfinished);
    return guess.layout();
}

std::optional<PointFileLayout> guessPointFileLayoutOfFile(const std::string& fileName)
{
    return guessPointFileLayout(FileHead(fileName));
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
