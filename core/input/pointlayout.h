#pragma once
// A first look at a point file, to propose its counts before it is read: how many rows
// hold data, how many values each holds after the coordinates, and whether the rows
// begin with a point number. Nothing is stored; the reading proper stays Lit_Data's.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace geolago {

class FileHead;

struct PointFileLayout {
    std::int32_t points = 0;     // rows holding at least one token
    std::int32_t variables = 0;  // tokens of the first such row after the number and X, Y
    bool rowsAreNumbered = false;
};

// The layout of the bytes of a point file, read as Lit_Data reads them: bytes up to 32
// are blanks, a line feed ends a row, the first Ctrl-Z ends the file. The rows are taken
// as numbered when their first tokens are the whole numbers 1, 2, 3... in order. Empty
// when no row holds data or the first row holds fewer values than the coordinates.
std::optional<PointFileLayout> guessPointFileLayout(std::string_view bytes);

// The same for the file of `head` (filehead.h), which grows to hold the text, read as the
// reader reads it (textrules.h); empty when it cannot be read, is not a regular file (a
// named pipe would keep the guess waiting for a writer) or holds more than 16 MiB before
// its Ctrl-Z. The point file reader's identify (readers.h).
std::optional<PointFileLayout> guessPointFileLayout(const FileHead& head);

// The same for the file `fileName`.
std::optional<PointFileLayout> guessPointFileLayoutOfFile(const std::string& fileName);

// Whether the first line of `head` that holds data reads wholly as real numbers of the
// point file, whatever blanks part them (tabs and spaces mixed, CR alone): the first row
// of a point file, never a header naming columns. A token that runs to the end of `head`
// may be cut and is not judged; a first token so cut is no number.
bool startsWithNumberRow(std::string_view head);

}  // namespace geolago
