#pragma once
// The point file reader: rows of an optional point number, X, Y and NBVar values, read
// into Coord and Donnees for points 1..NBPoints.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "extended.h"

namespace geolago {

// A file opened read-only and read through a buffer, byte by byte. The first Ctrl-Z
// (code 26) ends it. Closed when the object goes, whatever happened.
class FichierTexte {
public:
    // Opens `fileName`; throws IoFailure with the code of the platform's refusal.
    explicit FichierTexte(const std::string& fileName);
    ~FichierTexte();
    FichierTexte(const FichierTexte&) = delete;
    FichierTexte& operator=(const FichierTexte&) = delete;

    // The next byte, or -1 at the end; not consumed.
    int peek()
    {
        if (pos_ == len_ && !fill())
            return -1;
        return static_cast<unsigned char>(buffer_[pos_]);
    }
    // Consumes the byte peek() gave.
    void advance() { ++pos_; }

    // The next token: the bytes above 32 from the next non-blank byte up to the next
    // blank, which stays in the file. Empty when the file ends before a token. The view
    // points into the buffer, or into a copy when the token straddles a refill, and
    // lasts until the next call.
    std::string_view nextToken();
    // Consumes up to and including the next line feed, or to the end of the file.
    void skipLine();

private:
    bool fill();

    int fd_ = -1;
    bool ended_ = false;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::string straddling_;  // a token cut by the end of the buffer, joined here
    char buffer_[64 * 1024];
};

// Maps an errno of open() or read() onto the input/output codes.
int ioCodeForErrno(int error, const std::string& fileName);

// The next token read as a whole number. Throws IoFailure 106 for a malformed token,
// 100 when the file ends before a token.
std::int32_t Lit_Entier(FichierTexte& file);

// The next token read as a real, in extended precision. Throws as Lit_Entier.
Ext Lit_Reel(FichierTexte& file);

// Consumes up to and including the next line feed, or to the end of the file.
void Saute_Ligne(FichierTexte& file);

// A token of the real-number syntax in extended precision: optional sign, digits, optional
// "." and digits, optional exponent. Empty if invalid.
std::optional<Ext> parseReal(std::string_view token);

// Reads NBPoints rows of `fileName` into Coord[1..P] and Donnees[1..P][1..NBVar], each
// value stored as soon as it is read. `avecNumero`: each row begins with a point number,
// checked and dropped. On failure what was stored before stays.
void Lit_Data(const std::string& fileName, bool avecNumero);

}  // namespace geolago
