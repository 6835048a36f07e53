#include "reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
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

// The position of the first blank in bytes[from..to), or `to`. Eight bytes are tested
// at a time: a byte below 33 and below 128 is the only one whose top bit survives
// (b - 33) & ~b; a borrow can only flag bytes after a true blank, and the first
// flagged byte is taken.
std::size_t tokenEnd(const char* bytes, std::size_t from, std::size_t to)
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

// The bytes of a token, read 8 at a time as little-endian words.
class Words {
public:
    explicit Words(std::string_view token) : begin_(token.data()), end_(token.data() + token.size()) {}

    // The 8 bytes from q, with zero bytes for the positions at or beyond the token's end.
    // Near the end, the last 8 bytes of the token are read and shifted down, so that no
    // byte outside the token is ever touched.
    std::uint64_t at(const char* q) const
    {
        if (q >= end_)
            return 0;
        if (end_ - q >= 8)
            return load(q);
        if (end_ - begin_ >= 8)
            return load(end_ - 8) >> (8 * (q - (end_ - 8)));
        std::uint64_t word = 0;
        for (const char* b = end_; b-- > q;)
            word = word << 8 | static_cast<unsigned char>(*b);
        return word;
    }

private:
    static std::uint64_t load(const char* p)
    {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }
    const char* begin_;
    const char* end_;
};

// The number of decimal digits from q on, 8 bytes tested at a time. In a byte that is a
// digit both (b & 0xF0) and ((b + 6) & 0xF0) are 0x30; a carry out of the addition only
// reaches bytes after a byte that is not a digit, and the first flagged byte is taken.
// The zero bytes beyond the token are not digits.
[[gnu::always_inline]] inline std::size_t digitRun(const Words& words, const char* q)
{
    constexpr std::uint64_t ones = 0x0101010101010101u;
    for (std::size_t k = 0;; k += 8) {
        const std::uint64_t word = words.at(q + k);
        const std::uint64_t other = ((word & 0xF0 * ones) ^ 0x30 * ones) | (((word + 6 * ones) & 0xF0 * ones) ^ 0x30 * ones);
        if (other != 0)
            return k + static_cast<std::size_t>(__builtin_ctzll(other)) / 8;
    }
}

// The value of the r decimal digits at q, 1 <= r <= 8: they are moved to the end of a
// word whose first bytes are made "0", then combined pairwise: 2 digits, 4, then 8.
[[gnu::always_inline]] inline std::uint64_t digitsValue(const Words& words, const char* q, int r)
{
    constexpr std::uint64_t zeros = 0x3030303030303030u;
    std::uint64_t v = words.at(q);
    if (r < 8)
        v = v << (8 * (8 - r)) | zeros >> (8 * r);
    v -= zeros;
    v = v * 10 + (v >> 8);
    v = ((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))
         + ((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >> 32;
    return v;
}

constexpr std::uint64_t powersOfTen[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

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
    if (const void* stop = std::memchr(buffer_, CtrlZ, len_)) {
        len_ = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_);
        ended_ = true;
    }
    if (got == 0)
        ended_ = true;
    return len_ > 0;
}

namespace {

// The first of `digits` gathered into `first`, which holds `significant` digits so far:
// leading zeros skipped while none is held, then digits up to 19 in all, up to 8 at a
// time. Returns how many of `digits` were taken.
[[gnu::always_inline]] inline std::size_t gather(const Words& words, std::string_view digits, std::uint64_t& first,
                                                int& significant)
{
    std::size_t k = 0;
    if (significant == 0)
        while (k < digits.size() && digits[k] == '0')
            ++k;
    while (k < digits.size() && significant < 19) {
        const int r = static_cast<int>(
            std::min<std::size_t>({8, digits.size() - k, static_cast<std::size_t>(19 - significant)}));
        first = first * powersOfTen[r] + digitsValue(words, digits.data() + k, r);
        significant += r;
        k += static_cast<std::size_t>(r);
    }
    return k;
}

// The real-number syntax; `valid` false when the token does not follow it. The value
// comes back in a register rather than through memory, which matters for the reader's
// pace: an extended-precision value stored and loaded again at once stalls.
Ext realValue(std::string_view token, bool& valid)
{
    valid = false;
    const Words words(token);
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i == token.size())
        return 0;

    // The digits before and after the point, then the exponent.
    const std::string_view integral = token.substr(i, digitRun(words, token.data() + i));
    i += integral.size();
    std::string_view fraction;
    if (i < token.size() && token[i] == '.') {
        ++i;
        fraction = token.substr(i, digitRun(words, token.data() + i));
        i += fraction.size();
    }
    long long exponent = -static_cast<long long>(fraction.size());
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            negativeExponent = token[i] == '-';
            ++i;
        }
        if (i == token.size())
            return 0;
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
        return 0;
    valid = true;

    // Digits are accumulated in extended precision; those after the point lower the
    // decimal exponent instead of dividing one by one. Leading zeros add nothing, and
    // while the value stays below 2^64 every step is exact: the first 19 significant
    // digits are gathered in a 64-bit integer, which gives the same value faster, and
    // extended precision takes over for the digits beyond.
    std::uint64_t first = 0;
    int significant = 0;
    const std::size_t fromIntegral = gather(words, integral, first, significant);
    const std::size_t fromFraction =
        fromIntegral == integral.size() ? gather(words, fraction, first, significant) : 0;
    Ext mantissa = static_cast<Ext>(first);
    for (const char c : integral.substr(fromIntegral))
        mantissa = mantissa * 10 + (c - '0');
    for (const char c : fraction.substr(fromFraction))
        mantissa = mantissa * 10 + (c - '0');

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

}  // namespace

std::optional<Ext> parseReal(std::string_view token)
{
    bool valid;
    const Ext value = realValue(token, valid);
    if (!valid)
        return std::nullopt;
    return value;
}

std::string_view FichierTexte::nextToken()
{
    // Blanks first, across refills.
    for (;;) {
        while (pos_ < len_ && isBlank(static_cast<unsigned char>(buffer_[pos_])))
            ++pos_;
        if (pos_ < len_)
            break;
        if (!fill())
            return {};
    }
    const std::size_t start = pos_;
    pos_ = tokenEnd(buffer_, pos_, len_);
    if (pos_ < len_)
        return {buffer_ + start, pos_ - start};

    // The token runs to the end of the buffer and may go on after the next refill: gather
    // its pieces until a blank or the end of the file.
    straddling_.assign(buffer_ + start, pos_ - start);
    while (fill()) {
        pos_ = tokenEnd(buffer_, pos_, len_);
        straddling_.append(buffer_, pos_);
        if (pos_ < len_)
            break;
    }
    return straddling_;
}

void FichierTexte::skipLine()
{
    for (;;) {
        if (pos_ < len_) {
            const void* found = std::memchr(buffer_ + pos_, '\n', len_ - pos_);
            if (found) {
                pos_ = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_) + 1;
                return;
            }
            pos_ = len_;
        }
        if (!fill())
            return;
    }
}

std::int32_t Lit_Entier(FichierTexte& file)
{
    const std::string_view token = file.nextToken();
    if (token.empty())
        throw IoFailure(io::ReadBeyondEnd);
    const auto value = parseWholeNumber(token);
    if (!value)
        throw IoFailure(io::InvalidNumber);
    return *value;
}

Ext Lit_Reel(FichierTexte& file)
{
    const std::string_view token = file.nextToken();
    if (token.empty())
        throw IoFailure(io::ReadBeyondEnd);
    bool valid;
    const Ext value = realValue(token, valid);
    if (!valid)
        throw IoFailure(io::InvalidNumber);
    return value;
}

void Saute_Ligne(FichierTexte& file)
{
    file.skipLine();
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
