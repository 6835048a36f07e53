#include "reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "numbertext.h"
#include "store.h"

namespace geolago {

namespace {

constexpr int CtrlZ = 26;

bool isBlank(int c)
{
    return c >= 0 && c <= 32;
}

// Whether the folder that would hold `fileName` exists, to tell a missing file from a
// missing folder: both come back from open() as ENOENT.
bool parentFolderExists(const std::string& fileName)
{
    const auto slash = fileName.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    const std::string folder = slash == 0 ? "/" : fileName.substr(0, slash);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The token that starts at the next non-blank byte: every byte above 32 up to the next
// blank, whatever its length. The blank is left in the file. Fails with code 100 when
// the file ends first.
std::string readToken(FichierTexte& file)
{
    int c = file.peek();
    while (isBlank(c)) {
        file.advance();
        c = file.peek();
    }
    if (c < 0)
        throw IoFailure(io::ReadBeyondEnd);
    std::string token;
    while (c > 32) {
        token += static_cast<char>(c);
        file.advance();
        c = file.peek();
    }
    return token;
}

// 10^n for n >= 0 in extended precision; exact up to 10^27.
Ext powerOfTen(int n)
{
    static const auto exact = [] {
        std::array<Ext, 28> table{};
        Ext p = 1;
        for (auto& entry : table) {
            entry = p;
            p *= 10;
        }
        return table;
    }();
    if (n < static_cast<int>(exact.size()))
        return exact[static_cast<std::size_t>(n)];
    return std::pow(10.0L, static_cast<Ext>(n));
}

}  // namespace

int ioCodeForErrno(int error, const std::string& fileName)
{
    switch (error) {
    case ENOENT:
        return fileName.empty() || parentFolderExists(fileName) ? io::FileNotFound : io::PathNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return io::PathNotFound;
    case EMFILE:
    case ENFILE:
        return io::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
        return io::AccessDenied;
    case ENOSPC:
        return io::DiskFull;
    default:
        // Kept clear of the codes above, which have messages of their own.
        return 1000 + error;
    }
}

FichierTexte::FichierTexte(const std::string& fileName)
{
    if (fileName.empty())
        throw IoFailure(io::FileNotFound);
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw IoFailure(ioCodeForErrno(errno, fileName));
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        throw IoFailure(io::AccessDenied);
    }
}

FichierTexte::~FichierTexte()
{
    ::close(fd_);
}

bool FichierTexte::fill()
{
    if (ended_)
        return false;
    ssize_t got;
    do {
        got = ::read(fd_, buffer_, sizeof buffer_);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw IoFailure(ioCodeForErrno(errno, {}));
    pos_ = 0;
    len_ = static_cast<std::size_t>(got);
    // The first Ctrl-Z ends the file: keep what comes before it and read no further.
    for (std::size_t i = 0; i < len_; ++i) {
        if (buffer_[i] == CtrlZ) {
            len_ = i;
            ended_ = true;
            break;
        }
    }
    if (got == 0)
        ended_ = true;
    return len_ > 0;
}

std::optional<Ext> parseReal(std::string_view token)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i == token.size())
        return std::nullopt;

    // Digits are accumulated in extended precision; those after the point lower the
    // decimal exponent instead of dividing one by one.
    Ext mantissa = 0;
    long long exponent = 0;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9')
        mantissa = mantissa * 10 + (token[i++] - '0');
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && token[i] >= '0' && token[i] <= '9') {
            mantissa = mantissa * 10 + (token[i++] - '0');
            --exponent;
        }
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            negativeExponent = token[i] == '-';
            ++i;
        }
        if (i == token.size())
            return std::nullopt;
        long long written = 0;
        while (i < token.size() && token[i] >= '0' && token[i] <= '9') {
            // Far beyond any reachable magnitude; capping keeps the count from overflowing.
            if (written < 1000000)
                written = written * 10 + (token[i] - '0');
            ++i;
        }
        exponent += negativeExponent ? -written : written;
    }
    if (i != token.size())
        return std::nullopt;

    if (std::isinf(mantissa))
        raiseFloat(FloatFailure::Kind::Overflow);
    Ext value = mantissa;
    if (mantissa != 0 && exponent != 0) {
        constexpr long long reach = 100000;  // beyond it 10^n is infinite in extended anyway
        const int n = static_cast<int>(exponent < 0 ? std::min(-exponent, reach) : std::min(exponent, reach));
        const Ext power = powerOfTen(n);
        value = exponent < 0 ? mantissa / power : mantissa * power;
    }
    return negative ? -value : value;
}

std::int32_t Lit_Entier(FichierTexte& file)
{
    const auto value = parseWholeNumber(readToken(file));
    if (!value)
        throw IoFailure(io::InvalidNumber);
    return *value;
}

Ext Lit_Reel(FichierTexte& file)
{
    const auto value = parseReal(readToken(file));
    if (!value)
        throw IoFailure(io::InvalidNumber);
    return *value;
}

void Saute_Ligne(FichierTexte& file)
{
    for (int c = file.peek(); c >= 0; c = file.peek()) {
        file.advance();
        if (c == '\n')
            return;
    }
}

void Lit_Data(const std::string& fileName, bool avecNumero)
{
    FichierTexte file(fileName);
    for (int i = 1; i <= NBPoints; ++i) {
        if (avecNumero)
            Lit_Entier(file);
        Coord[i][1] = toDouble(Lit_Reel(file));
        Coord[i][2] = toDouble(Lit_Reel(file));
        for (int v = 1; v <= NBVar; ++v)
            Donnees[i][v] = toDouble(Lit_Reel(file));
        Saute_Ligne(file);
    }
}

}  // namespace geolago
