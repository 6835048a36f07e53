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

namespace geolago {

// A point file opened read-only and read through a buffer. The first Ctrl-Z (code 26)
// ends it.
class TextFile {
public:
    // Opens `fileName`; throws IoFailure with the code of the platform's refusal.
    explicit TextFile(const std::string& fileName);

    // The next token: the bytes above 32 from the next non-blank byte up to the next
    // blank, which stays in the file. Empty when the file ends before a token. The view
    // points into the buffer, or into a copy when the token straddles a refill, and
    // lasts until the next call.
    std::string_view nextToken();
    // Consumes up to and including the next line feed, or to the end of the file.
    void skipLine();

private:
    bool fill();

    InputFile file_;
    bool ended_ = false;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::string straddling_;  // a token cut by the end of the buffer, joined here
    char buffer_[64 * 1024];
};

// The next token read as a whole number. Throws IoFailure 106 for a malformed token,
// 100 when the file ends before a token.
std::int32_t Lit_Entier(TextFile& file);

// The next token read as a real, in extended precision. Throws as Lit_Entier.
Ext Lit_Reel(TextFile& file);

// Consumes up to and including the next line feed, or to the end of the file.
void Saute_Ligne(TextFile& file);

// A token of the real-number syntax in extended precision: optional sign, digits, optional
// "." and digits, optional exponent. Empty if invalid.
std::optional<Ext> parseReal(std::string_view token);

// Reads NBPoints rows of `fileName` into Coord[1..P] and Donnees[1..P][1..NBVar] of
// `store`, each value stored as soon as it is read. `rowsAreNumbered`: each row begins
// with a point number, checked and dropped. On failure what was stored before stays.
// Once the file is open, `fileName` is kept as the store's pointsFile.
void Lit_Data(Store& store, const std::string& fileName, bool rowsAreNumbered);

}  // namespace geolago
