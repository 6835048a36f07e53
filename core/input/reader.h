#pragma once
// The point file reader: rows of an optional point number, X, Y and NBVar values, read
// into Coord and Donnees for points 1..NBPoints.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "extended.h"
#include "inputfile.h"
#include "store.h"
#include "textrules.h"

namespace geolago {

// A point file opened read-only and read through a buffer, by the text rules: the first
// Ctrl-Z (PointFileEnd) ends it, tokens and runs of blanks are bounded.
class TokenReader {
public:
    // Opens `fileName`, an input of `kinds`; throws IoFailure with the code of the
    // platform's refusal, 5 for an input of another kind.
    explicit TokenReader(const std::string& fileName, InputKinds kinds = InputKinds::RegularFiles);

    // The bytes readable on either side of a token's view, for reading it by words.
    static constexpr std::size_t Margin = 32;

    // The next token: the bytes above 32 from the next non-blank byte up to the next
    // blank, which stays in the file. Empty when the file ends before a token. The view
    // points into the buffer, or into a copy when the token straddles a refill, and
    // lasts until the next call; Margin bytes before and after it can be read too.
    // Throws LimitFailure for a token longer than MaxTokenLength, or more than
    // MaxBlankRun blanks before one.
    std::string_view nextToken();
    // Consumes up to and including the next line feed, or to the end of the file; gives
    // the number of tokens passed on the way.
    std::size_t skipLine();

    // The line (from 1) where the last token begins; without one, where reading stood.
    long long tokenLine() const { return tokenLine_; }
    // The last token nextToken() gave, empty when the file had ended; valid as long as
    // that token's view is.
    std::string_view lastToken() const { return token_; }
    // Whether the file is a regular file, which can be read to its end without waiting.
    bool isRegularFile() const { return source_.isRegularFile(); }

private:
    bool fill();

    InputText source_{PointFileEnd};
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::string straddling_;  // a token cut by the end of the buffer, joined here between margins
    long long line_ = 1;  // the line of the next byte: the line feeds consumed, plus 1
    long long tokenLine_ = 1;
    std::string_view token_;
    static constexpr std::size_t Capacity = 64 * 1024;
    char bytes_[Margin + Capacity + Margin];  // the read buffer between two margins
    char* const buffer_ = bytes_ + Margin;
};

// Raises the IoFailure of `fileName` that cannot be opened or read, for the errno `error`
// (or an InputFile refusal), as the point file's: its code, the file as its place.
[[noreturn]] void failToRead(int error, const std::string& fileName);

// The next token read as a whole number. Throws IoFailure 106 for a malformed token,
// 100 when the file ends before a token.
std::int32_t Lit_Entier(TokenReader& file);

// The next token read as a real, in extended precision. Throws as Lit_Entier.
Ext Lit_Reel(TokenReader& file);

// Consumes up to and including the next line feed, or to the end of the file; gives the
// number of tokens passed.
std::size_t Saute_Ligne(TokenReader& file);

// A token of the real-number syntax in extended precision: optional sign, digits, optional
// "." and digits, optional exponent. Empty if invalid.
std::optional<Ext> parseReal(std::string_view token);

// parseReal() of the commonest tokens, several times as fast, the same value: an optional
// sign, then decimal digits with at most one decimal point among them, 1 to 19 significant
// digits; with `commaPoint` a comma may stand for the point. `plain` false for any other
// token, which goes to parseReal() (with a comma point, once the comma is made a point).
Ext plainDecimal(std::string_view token, bool commaPoint, bool& plain);

// Reads NBPoints rows of `fileName` into Coord[1..P] and Donnees[1..P][1..NBVar] of
// `store`, with pointFileReader() (readers.h). `rowsAreNumbered`: each row begins
// with a point number, checked and dropped. On failure what was stored before stays, and
// the failure carries its place: the file, and for a value the line, point and token;
// its message names the first line whose count of values is not that of a row, if any.
// Once the file is open, `fileName` is kept as the store's pointsFile. An input that is not
// of `kinds` fails as a folder does, with code 5.
void Lit_Data(Store& store, const std::string& fileName, bool rowsAreNumbered,
              InputKinds kinds = InputKinds::RegularFiles);

}  // namespace geolago
