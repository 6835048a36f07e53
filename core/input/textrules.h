#pragma once
// The rules every reader of a text input follows, in one place: which bytes are blanks,
// the byte that ends a text, the bounds of a read, and the text read in chunks from an
// input opened through InputFile.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "inputfile.h"

namespace geolago {

// Bytes up to 32 are blanks: space, tab, line ends, NUL and every other control byte.
constexpr bool isBlank(unsigned char c)
{
    return c <= 32;
}

// The first of these bytes ends a text; nothing after it is read.
inline constexpr char PointFileEnd = '\x1a';  // Ctrl-Z
inline constexpr char NamesFileEnd = '\0';

// The longest token a point reader takes: a number of 10^6 digits passes, an endless one
// fails with LimitFailure at this length instead of taking all memory.
inline constexpr std::size_t MaxTokenLength = std::size_t{4} << 20;

// The longest run of blanks a point reader skips between two tokens: an endless one (a
// device of zeros) fails with LimitFailure at this length instead of being read forever.
inline constexpr std::size_t MaxBlankRun = MaxTokenLength;

// The longest names text taken, in bytes up to its first NUL: thousands of times a real
// names file, and little memory even when every byte is a line end.
inline constexpr std::size_t MaxNamesFileSize = std::size_t{1} << 20;

// The bytes of `text` before its first `end` byte.
constexpr std::string_view textBefore(std::string_view text, char end)
{
    return text.substr(0, text.find(end));
}

// The position of the first blank in bytes[from..to), or `to`. Eight bytes are tested
// at a time: a byte below 33 and below 128 is the only one whose top bit survives
// (b - 33) & ~b; a borrow can only flag bytes after a true blank, and the first
// flagged byte is taken.
inline std::size_t tokenEnd(const char* bytes, std::size_t from, std::size_t to)
{
    constexpr std::uint64_t ones = 0x0101010101010101u;
    while (to - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + from, sizeof word);
        const std::uint64_t blanks = (word - 33 * ones) & ~word & (0x80 * ones);
        if (blanks != 0)
            return from + static_cast<std::size_t>(__builtin_ctzll(blanks)) / 8;
        from += 8;
    }
    while (from < to && !isBlank(static_cast<unsigned char>(bytes[from])))
        ++from;
    return from;
}

// The text of an input, read in chunks up to its end byte.
class InputText {
public:
    // A text that the first `end` byte ends.
    explicit InputText(char end) : end_(end) {}

    // Opens `fileName` as an input of `kinds`: 0, or the refusal as InputFile::open gives it.
    int open(const std::string& fileName, InputKinds kinds) { return file_.open(fileName, kinds); }

    // Reads the next bytes of the text into `buffer`, at most `size`: their number, or
    // minus the errno of a failed read; 0 once the text has ended. A read that meets the
    // end byte gives the bytes before it, perhaps none, and ends the text; the buffer
    // beyond them may have been written.
    long read(char* buffer, std::size_t size);

    // Whether the text has ended, at the end of the input or at its end byte.
    bool ended() const { return ended_; }
    // Whether the end byte ended it.
    bool endByteMet() const { return endByteMet_; }
    // Whether the input is a regular file, which ends.
    bool isRegularFile() const { return file_.isRegular(); }

private:
    InputFile file_;
    char end_;
    bool ended_ = false;
    bool endByteMet_ = false;
};

// What readText gives for a text longer than its limit; not an errno.
inline constexpr int TextTooLong = -2;

// Whether `bytes` are well-formed UTF-8: no sequence cut short, overlong, of a surrogate or
// beyond U+10FFFF.
bool isUtf8(std::string_view bytes);

// A text in UTF-8, the encoding the names are kept and written in: `bytes` as they are
// when they are UTF-8, else read as Windows-1252, the single-byte text of a French
// spreadsheet's default save (Latin-1, with ’ œ € … in 0x80-0x9F; its five unassigned
// bytes become the control characters of the same number).
std::string utf8Text(std::string bytes);

// `bytes` read as Windows-1252 whatever they are: the text of a file that utf8Text would
// not take as UTF-8, a part at a time.
std::string fromWindows1252(std::string_view bytes);

// Appends the rest of the text of `source` to `text`: 0, TextTooLong when the text would
// pass `limit` bytes, or the errno of a failed read.
int readText(InputText& source, std::size_t limit, std::string& text);

}  // namespace geolago
