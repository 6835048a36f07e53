#include "reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <limits>
#include <string_view>
#include <sys/stat.h>

#include "cancellation.h"
#include "numbertext.h"
#include "pointlayout.h"
#include "readers.h"

namespace geolago {

namespace {

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

// Maps an errno of open() or read() onto the input/output codes.
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
    case NotRegularFile:
        return io::AccessDenied;
    case ENOSPC:
        return io::DiskFull;
    default:
        // Kept clear of the codes above, which have messages of their own.
        return 1000 + error;
    }
}

// mantissa * 10^exponent in extended precision, negated when `negative`: the one rounding
// that ends the reading of every real.
[[gnu::always_inline]] inline Ext scaled(Ext mantissa, long long exponent, bool negative)
{
    Ext value = mantissa;
    if (mantissa != 0 && exponent != 0) {
        // 10^n is finite up to n = 4932. Beyond, a positive exponent overflows whatever the
        // mantissa (at least 1); a negative one divides in two steps, the largest finite
        // power first, so that a mantissa of thousands of digits comes back into range
        // rather than to 0.
        constexpr long long reach = 100000;  // beyond it every result is infinite or 0
        constexpr long long finite = std::numeric_limits<Ext>::max_exponent10;
        const long long n = std::min(exponent < 0 ? -exponent : exponent, reach);
        if (exponent > 0)
            value = mantissa * powerOfTen(static_cast<int>(n));
        else if (n <= finite)
            value = mantissa / powerOfTen(static_cast<int>(n));
        else
            value = mantissa / powerOfTen(static_cast<int>(finite)) / powerOfTen(static_cast<int>(n - finite));
    }
    return negative ? -value : value;
}

// The real-number syntax; `valid` false when the token does not follow it. The value
// comes back in a register rather than through memory, which matters for the reader's
// pace: an extended-precision value stored and loaded again at once stalls.
Ext realValue(std::string_view token, bool& valid)
{
    valid = false;
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i == token.size())
        return 0;

    // The digits before and after the point are accumulated one by one in extended
    // precision; those after the point lower the decimal exponent instead of dividing.
    // While the value stays below 2^64 every step is exact, so the first 19 significant
    // digits are gathered in a 64-bit integer, which gives the same value faster.
    // A digit that would carry the mantissa beyond the extended range is dropped, and so
    // is every later one: behind the thousands of digits taken by then they have no
    // weight. A dropped digit before the point raises the exponent instead.
    std::uint64_t first = 0;
    int significant = 0;
    Ext mantissa = 0;
    bool full = false;
    auto digit = [&](int d) {  // whether d was taken
        if (significant < 19) {
            first = first * 10 + static_cast<unsigned>(d);
            if (first != 0 && ++significant == 19)
                mantissa = static_cast<Ext>(first);
            return true;
        }
        if (!full) {
            const Ext next = mantissa * 10 + d;
            full = std::isinf(next);
            if (!full)
                mantissa = next;
        }
        return !full;
    };
    auto isDigit = [&](std::size_t at) { return at < token.size() && token[at] >= '0' && token[at] <= '9'; };
    // The counts of digits are bounded by the token's length; the written exponent
    // saturates far beyond any magnitude that can come back into range.
    long long exponent = 0;
    for (; isDigit(i); ++i)
        if (!digit(token[i] - '0'))
            ++exponent;
    if (i < token.size() && token[i] == '.') {
        ++i;
        for (; isDigit(i); ++i)
            if (digit(token[i] - '0'))
                --exponent;
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            negativeExponent = token[i] == '-';
            ++i;
        }
        if (i == token.size())
            return 0;
        constexpr long long saturated = 1'000'000'000'000'000'000;
        long long written = 0;
        for (; isDigit(i); ++i)
            written = written >= saturated / 10 ? saturated : written * 10 + (token[i] - '0');
        exponent += negativeExponent ? -written : written;
    }
    if (i != token.size())
        return 0;
    valid = true;

    if (significant < 19)
        mantissa = static_cast<Ext>(first);
    return scaled(mantissa, exponent, negative);
}

std::uint64_t loadWord(const char* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The value of the decimal digits in the last bytes of `word` that `keep` selects (its
// top m bytes, m from 0 to 8; the others count as "0"): the digits are combined
// pairwise, 2 digits, then 4, then 8.
std::uint64_t lastDigitsValue(std::uint64_t word, std::uint64_t keep)
{
    constexpr std::uint64_t zeros = 0x3030303030303030u;
    std::uint64_t v = ((word & keep) | (zeros & ~keep)) - zeros;
    v = v * 10 + (v >> 8);
    return ((v & 0x000000FF000000FFu) * (100 + (1000000ull << 32))
            + ((v >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >> 32;
}

// The top m bytes of a word, for m from 0 to 8.
constexpr auto topBytes = [] {
    std::array<std::uint64_t, 9> table{};
    for (unsigned m = 1; m < table.size(); ++m)
        table[m] = ~std::uint64_t{0} << (64 - 8 * m);
    return table;
}();

// 10^k as a 64-bit integer, for k from 0 to 19.
constexpr auto wholePowersOfTen = [] {
    std::array<std::uint64_t, 20> table{};
    table[0] = 1;
    for (std::size_t k = 1; k < table.size(); ++k)
        table[k] = table[k - 1] * 10;
    return table;
}();

// The value of the k <= 19 decimal digits that end just before `end`, read as the three
// words before it; 24 bytes before `end` must be readable.
std::uint64_t digitsBefore(const char* end, unsigned k)
{
    const unsigned last = std::min(k, 8u);
    const unsigned middle = k < 8 ? 0 : std::min(k - 8, 8u);
    const unsigned front = k < 16 ? 0 : k - 16;
    return lastDigitsValue(loadWord(end - 24), topBytes[front]) * 10000000000000000u
           + lastDigitsValue(loadWord(end - 16), topBytes[middle]) * 100000000u
           + lastDigitsValue(loadWord(end - 8), topBytes[last]);
}

// Bit i set where byte i of `bytes` is a decimal digit.
unsigned digitBits(__m128i bytes)
{
    const __m128i d = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d)));
}

// Bit i set where byte i of `bytes` is '0'.
unsigned zeroBits(__m128i bytes)
{
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('0'))));
}

// realValue for a token of the reader's buffer, with TokenReader::Margin readable bytes on
// either side, 2.5 times as fast on the usual shapes. Tokens of at most 32 bytes made of
// an optional sign, digits and at most one point, with 1 to 19 significant digits, have
// their digits found 32 bytes at a time and valued 8 at a time, straight from the
// buffer; the integer is the one realValue gathers digit by digit, and the rounding is
// the same. Every other token goes to realValue.
Ext bufferedRealValue(std::string_view token, bool& valid)
{
    static_assert(TokenReader::Margin >= 32);
    const std::size_t size = token.size();
    if (size == 0 || size > 32)
        return realValue(token, valid);
    const char* const bytes = token.data();
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16));
    const auto inToken = static_cast<std::uint32_t>((std::uint64_t{1} << size) - 1);
    const std::uint32_t digits = (digitBits(low) | digitBits(high) << 16) & inToken;
    const std::uint32_t nonZero = digits & ~(zeroBits(low) | zeroBits(high) << 16);
    const bool negative = bytes[0] == '-';
    const std::uint32_t sign = negative || bytes[0] == '+';
    const std::uint32_t others = ~digits & inToken & ~sign;
    // The point's position, or the size when there is none.
    auto point = static_cast<unsigned>(size);
    if (others != 0) {
        point = static_cast<unsigned>(__builtin_ctz(others));
        if ((others & (others - 1)) != 0 || bytes[point] != '.')
            return realValue(token, valid);
    }
    if (nonZero == 0)
        return realValue(token, valid);
    const auto firstSignificant = static_cast<unsigned>(__builtin_ctz(nonZero));
    const bool pointInside = firstSignificant < point && point < size;
    const unsigned significant = static_cast<unsigned>(size) - firstSignificant - pointInside;
    if (significant > 19)
        return realValue(token, valid);
    // The significant digits before the point, then all of those after it.
    const unsigned before = firstSignificant < point ? point - firstSignificant : 0;
    const unsigned after = significant - before;
    const std::uint64_t whole = before <= 8 ? lastDigitsValue(loadWord(bytes + point - 8), topBytes[before])
                                            : digitsBefore(bytes + point, before);
    const std::uint64_t first = whole * wholePowersOfTen[after] + digitsBefore(bytes + size, after);
    const long long exponent = point < size ? -static_cast<long long>(size - point - 1) : 0;
    valid = true;
    return scaled(static_cast<Ext>(first), exponent, negative);
}

// Raises the open failure of `code` at `fileName`.
[[noreturn]] void failToOpen(int code, const std::string& fileName)
{
    IoFailure failure(code);
    failure.setPlace(Place(fileName));
    throw failure;
}

}  // namespace

void failToRead(int error, const std::string& fileName)
{
    failToOpen(fileName.empty() ? io::FileNotFound : ioCodeForErrno(error, fileName), fileName);
}

TokenReader::TokenReader(const std::string& fileName, InputKinds kinds)
{
    std::memset(bytes_, 0, Margin);
    if (fileName.empty())
        failToOpen(io::FileNotFound, fileName);
    if (const int error = source_.open(fileName, kinds))
        failToOpen(ioCodeForErrno(error, fileName), fileName);
}

bool TokenReader::fill()
{
    if (source_.ended())
        return false;
    const long got = source_.read(buffer_, Capacity);
    if (got < 0)
        throw IoFailure(ioCodeForErrno(static_cast<int>(-got), {}));
    // A read that meets the end of the file writes nothing: the last bytes read stay in
    // the buffer, for the place of a failure at the end. One that meets the Ctrl-Z has
    // written over them.
    if (got == 0 && !source_.endByteMet())
        return false;
    pos_ = 0;
    len_ = static_cast<std::size_t>(got);
    // The margin after the last token holds zeros, not what an earlier read left.
    std::memset(buffer_ + len_, 0, Margin);
    return len_ > 0;
}

std::optional<Ext> parseReal(std::string_view token)
{
    bool valid;
    const Ext value = realValue(token, valid);
    if (!valid)
        return std::nullopt;
    return value;
}

Ext plainDecimal(std::string_view token, bool commaPoint, bool& plain)
{
    plain = false;
    const char* at = token.data();
    const char* const end = at + token.size();
    const bool negative = at < end && *at == '-';
    at += at < end && (*at == '-' || *at == '+');
    // The integer of realValue(): leading zeros add nothing to it, so that it is exact
    // whatever their count while the significant digits are at most 19.
    std::uint64_t first = 0;
    const char* point = nullptr;
    for (const char* c = at; c < end; ++c) {
        const auto d = static_cast<unsigned>(static_cast<unsigned char>(*c) - '0');
        if (d < 10) [[likely]] {
            first = first * 10 + d;
            continue;
        }
        if (point || !(*c == '.' || (commaPoint && *c == ',')))
            return 0;
        point = c;
    }
    const long long digits = (end - at) - (point != nullptr);
    if (digits == 0)
        return 0;
    if (digits > 19) {
        long long zeros = 0;
        for (const char* c = at; c < end && (*c == '0' || c == point); ++c)
            zeros += *c == '0';
        if (digits - zeros > 19)
            return 0;
    }
    plain = true;
    return scaled(static_cast<Ext>(first), point ? -static_cast<long long>(end - point - 1) : 0, negative);
}

std::string_view TokenReader::nextToken()
{
    // Blanks first, across refills, counting the line feeds among them (in locals: a count
    // kept in the object through the loop costs the reader a sixth of its pace), at most
    // MaxBlankRun of them.
    std::size_t blanks = 0;
    for (;;) {
        std::size_t at = pos_;
        long long lines = 0;
        while (at < len_ && isBlank(static_cast<unsigned char>(buffer_[at])))
            lines += buffer_[at++] == '\n';
        blanks += at - pos_;
        pos_ = at;
        line_ += lines;
        if (blanks > MaxBlankRun) {
            tokenLine_ = line_;
            token_ = {};
            throw LimitFailure("Trop de séparateurs : plus de " + std::to_string(MaxBlankRun)
                               + " caractères sans valeur");
        }
        if (pos_ < len_)
            break;
        if (!fill()) {
            // The file has ended: the place is the line of its last byte.
            tokenLine_ = pos_ > 0 && buffer_[pos_ - 1] == '\n' ? line_ - 1 : line_;
            return token_ = {};
        }
    }
    tokenLine_ = line_;
    const std::size_t start = pos_;
    pos_ = tokenEnd(buffer_, pos_, len_);
    if (pos_ < len_)
        return token_ = {buffer_ + start, pos_ - start};

    // The token runs to the end of the buffer and may go on after the next refill: gather
    // its pieces until a blank or the end of the file, within MaxTokenLength.
    straddling_.assign(Margin, '\0');
    straddling_.append(buffer_ + start, pos_ - start);
    while (fill()) {
        pos_ = tokenEnd(buffer_, pos_, len_);
        if (pos_ > MaxTokenLength - (straddling_.size() - Margin)) {
            token_ = std::string_view(straddling_).substr(Margin);
            throw LimitFailure("Nombre trop long : plus de " + std::to_string(MaxTokenLength) + " caractères");
        }
        straddling_.append(buffer_, pos_);
        if (pos_ < len_)
            break;
    }
    straddling_.append(Margin, '\0');
    return token_ = std::string_view(straddling_).substr(Margin, straddling_.size() - 2 * Margin);
}

std::size_t TokenReader::skipLine()
{
    // What follows is no longer about the last token.
    token_ = {};
    tokenLine_ = line_;
    std::size_t tokens = 0;
    bool inToken = false;
    for (;;) {
        if (pos_ < len_) {
            const void* found = std::memchr(buffer_ + pos_, '\n', len_ - pos_);
            const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - buffer_) : len_;
            for (std::size_t at = pos_; at < end; ++at) {
                const bool blank = isBlank(static_cast<unsigned char>(buffer_[at]));
                tokens += !blank && !inToken;
                inToken = !blank;
            }
            if (found) {
                pos_ = end + 1;
                ++line_;
                return tokens;
            }
            pos_ = len_;
        }
        if (!fill())
            return tokens;
    }
}

std::int32_t Lit_Entier(TokenReader& file)
{
    const std::string_view token = file.nextToken();
    if (token.empty())
        throw IoFailure(io::ReadBeyondEnd);
    const auto value = parseWholeNumber(token);
    if (!value)
        throw IoFailure(io::InvalidNumber);
    return *value;
}

Ext Lit_Reel(TokenReader& file)
{
    const std::string_view token = file.nextToken();
    if (token.empty())
        throw IoFailure(io::ReadBeyondEnd);
    bool valid;
    const Ext value = bufferedRealValue(token, valid);
    if (!valid)
        throw IoFailure(io::InvalidNumber);
    return value;
}

std::size_t Saute_Ligne(TokenReader& file)
{
    return file.skipLine();
}

namespace {

class PointFileReader final : public Reader {
public:
    std::optional<PointFileLayout> identify(const FileHead& head) const override
    {
        return guessPointFileLayout(head);
    }

    // Columns X, Y and the variables named by position, each value stored as soon as it
    // is read, for options.points rows.
    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        table = {};
        TokenReader file(fileName, options.kinds);
        // From here on the table holds points of this file, even when the reading stops.
        table.source = fileName;
        table.format = "points";
        table.columns.resize(2 + static_cast<std::size_t>(std::max(options.variables, 0)));
        table.columns[0].name = "X";
        table.columns[1].name = "Y";
        for (std::size_t c = 2; c < table.columns.size(); ++c)
            table.columns[c].name = std::to_string(c - 1);
        // Room for P rows, or, when P is only a bound, for as many as the file's bytes can
        // hold (a value and a blank each, at least) or a few thousand of a stream.
        std::size_t room = static_cast<std::size_t>(std::max(options.points, 0));
        if (options.pointsAtMost) {
            struct stat status {};
            const std::size_t rowBytes = 2 * (table.columns.size() + (options.rowsAreNumbered ? 1 : 0));
            room = std::min(room, ::stat(fileName.c_str(), &status) == 0 && S_ISREG(status.st_mode)
                                      ? static_cast<std::size_t>(status.st_size) / rowBytes + 1
                                      : std::size_t{4096});
        }
        for (NamedColumn& column : table.columns)
            column.values.reserve(room);
        RowCounts counts{table.columns.size() + (options.rowsAreNumbered ? 1 : 0)};
        int i = 1;
        const NamedColumn* reading = nullptr;  // the column whose value is being read
        try {
            for (; i <= options.points; ++i) {
                checkCancelled();
                counts.startRow();
                reading = nullptr;
                if (options.rowsAreNumbered) {
                    Lit_Entier(file);
                    counts.value(file.tokenLine());
                }
                for (NamedColumn& column : table.columns) {
                    reading = &column;
                    column.values.push_back(toDouble(Lit_Reel(file)));
                    counts.value(file.tokenLine());
                }
                counts.endRow(Saute_Ligne(file));
            }
        } catch (Failure& failure) {
            // A file that ends between two rows ends a reading that P only bounds.
            const auto* io = dynamic_cast<const IoFailure*>(&failure);
            if (!(options.pointsAtMost && io && io->code() == io::ReadBeyondEnd && counts.read == 0 && i > 1)) {
                locate(failure, file, fileName, i, counts, reading);
                throw;
            }
            table.notes.push_back("Le fichier ne contient que " + std::to_string(i - 1) + " lignes de données, moins que les "
                                  + std::to_string(options.points) + " demandées : toutes ont été lues.");
            return;
        } catch (const std::bad_alloc&) {
            throw memoryFailure(i, static_cast<long long>(table.columns.size()) - 2, fileName);
        }
        if (counts.differing > 0)
            table.notes.push_back(counts.note());
        if (const long long left = dataRowsLeft(file))
            table.notes.push_back(firstOnlyNote(options.points + left, options.points, "lignes de données", true));
    }

private:
    struct RowCounts;

    // Gives `failure` its place: the file, line, point `i`, token and the column being read;
    // its message names the first line whose count of values is not that of a row, or
    // says that the file is UTF-16 text.
    static void locate(Failure& failure, TokenReader& file, const std::string& fileName, int i, RowCounts& counts,
                      const NamedColumn* reading)
    {
        Place place(fileName, file.tokenLine(), i);
        const std::string_view token = file.lastToken();
        if (!token.empty()) {
            place.token = std::string(token.substr(0, Place::TokenShown));
            place.tokenCut = token.size() > Place::TokenShown;
        }
        // The value's column: X, Y or the variable, by its position.
        if (reading && !token.empty())
            place.column = reading->name == "X" || reading->name == "Y" ? reading->name : "variable " + reading->name;
        counts.stoppedAt(token.empty() ? 0 : file.tokenLine());
        if (i == 1 && counts.read == 0 && (token.starts_with("\xFF\xFE") || token.starts_with("\xFE\xFF")))
            failure.addDetail("c'est un texte UTF-16 ; enregistrez-le en UTF-8 ou en ASCII pour le lire");
        else if (counts.differing > 0)
            failure.addDetail(counts.firstDifference());
        failure.setPlace(std::move(place));
    }

    // The values of the rows, line by line: the first line whose count is not that of a
    // row, and how many such lines there are.
    struct RowCounts {
        std::size_t expected;
        long long rowLine = 0;   // the line where the row being read begins
        std::size_t onLine = 0;  // its values on that line
        std::size_t read = 0;    // its values read
        long long differing = 0;
        long long firstLine = 0;
        std::size_t firstFound = 0;

        void startRow() { read = onLine = 0; }
        void value(long long line)
        {
            if (read++ == 0)
                rowLine = line;
            onLine += line == rowLine;
        }
        // The row is read; `skipped` values followed it on its last line.
        void endRow(std::size_t skipped) { differs(onLine == read ? onLine + skipped : onLine); }
        // A failure at `line` (0: the file ended): a row begun on an earlier line held
        // fewer values there.
        void stoppedAt(long long line)
        {
            if (read > 0 && line != rowLine)
                differs(onLine);
        }
        void differs(std::size_t found)
        {
            if (found == expected)
                return;
            if (differing++ == 0) {
                firstLine = rowLine;
                firstFound = found;
            }
        }
        std::string firstDifference() const
        {
            return "la ligne " + std::to_string(firstLine) + " contient " + std::to_string(firstFound)
                + " valeurs au lieu de " + std::to_string(expected);
        }
        std::string note() const
        {
            std::string text = firstDifference();
            text[0] = 'L';
            if (differing > 1)
                text += " ; " + std::to_string(differing) + " lignes en tout n'en contiennent pas "
                    + std::to_string(expected);
            return text + ".";
        }
    };

    // The lines holding data after the rows read, in a regular file: a pipe is not read
    // beyond what was asked. Counting stops at a bound of the text rules.
    static long long dataRowsLeft(TokenReader& file)
    {
        long long rows = 0;
        if (!file.isRegularFile())
            return 0;
        try {
            while (!file.nextToken().empty()) {
                ++rows;
                file.skipLine();
            }
        } catch (const Failure&) {
        }
        return rows;
    }
};

}  // namespace

const Reader& pointFileReader()
{
    static const PointFileReader reader;
    return reader;
}

void Lit_Data(Store& store, const std::string& fileName, bool rowsAreNumbered, InputKinds kinds)
{
    loadPoints(store, pointFileReader(), fileName, {store.NBPoints, store.NBVar, rowsAreNumbered, kinds});
}

}  // namespace geolago
