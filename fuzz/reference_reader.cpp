#include "reference_reader.h"

#include <cmath>
#include <optional>
#include <string>

#include "numbertext.h"

namespace geolago::fuzz {

namespace {

using Ext = long double;

struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    // The next token, or nothing when the text ends before one.
    std::optional<std::string> token()
    {
        while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= 32)
            ++pos;
        if (pos == text.size())
            return std::nullopt;
        std::string t;
        while (pos < text.size() && static_cast<unsigned char>(text[pos]) > 32)
            t += text[pos++];
        return t;
    }

    void skipLine()
    {
        while (pos < text.size())
            if (text[pos++] == '\n')
                return;
    }
};

Ext power10(long long n)
{
    if (n <= 27) {
        Ext p = 1;
        for (long long i = 0; i < n; ++i)
            p *= 10;
        return p;
    }
    return std::pow(10.0L, static_cast<Ext>(n));
}

enum class Parse { Ok, Invalid, Overflow };

Parse parseReal(const std::string& t, Ext& out)
{
    std::size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '+' || t[0] == '-'))
        ++i;
    if (i == t.size())
        return Parse::Invalid;
    Ext mantissa = 0;
    long long exponent = 0;
    auto digit = [&](std::size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
    for (; digit(i); ++i)
        mantissa = mantissa * 10 + (t[i] - '0');
    if (i < t.size() && t[i] == '.')
        for (++i; digit(i); ++i) {
            mantissa = mantissa * 10 + (t[i] - '0');
            --exponent;
        }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        const bool negativeExponent = i < t.size() && t[i] == '-';
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (!digit(i))
            return Parse::Invalid;
        long long written = 0;
        for (; digit(i); ++i)
            written = std::min(written * 10 + (t[i] - '0'), 10000000LL);
        exponent += negativeExponent ? -written : written;
    }
    if (i != t.size())
        return Parse::Invalid;
    if (std::isinf(mantissa))
        return Parse::Overflow;
    Ext value = mantissa;
    if (mantissa != 0 && exponent != 0) {
        const long long n = std::min(exponent < 0 ? -exponent : exponent, 100000LL);
        value = exponent < 0 ? mantissa / power10(n) : mantissa * power10(n);
    }
    out = negative ? -value : value;
    return Parse::Ok;
}

}  // namespace

ReferenceOutcome referenceRead(std::string_view bytes, int points, int vars, bool numbered,
                               ReferenceTables& tables)
{
    // The first Ctrl-Z ends the text.
    Cursor cursor{bytes.substr(0, bytes.find('\x1A'))};
    const ReferenceOutcome endOfFile{ReferenceOutcome::Kind::IoFailure, 100};
    const ReferenceOutcome malformed{ReferenceOutcome::Kind::IoFailure, 106};

    auto real = [&](double& slot) -> std::optional<ReferenceOutcome> {
        const auto t = cursor.token();
        if (!t)
            return endOfFile;
        Ext value = 0;
        switch (parseReal(*t, value)) {
        case Parse::Invalid: return malformed;
        case Parse::Overflow: return ReferenceOutcome{ReferenceOutcome::Kind::Overflow, 0};
        case Parse::Ok: break;
        }
        const double stored = static_cast<double>(value);
        if (std::isinf(stored))
            return ReferenceOutcome{ReferenceOutcome::Kind::Overflow, 0};
        slot = stored;
        return std::nullopt;
    };

    for (int i = 0; i < points; ++i) {
        if (numbered) {
            const auto t = cursor.token();
            if (!t)
                return endOfFile;
            if (!parseWholeNumber(*t))
                return malformed;
        }
        for (int c = 0; c < 2; ++c)
            if (auto failure = real(tables.coord[i][c]))
                return *failure;
        for (int v = 0; v < vars; ++v)
            if (auto failure = real(tables.data[i][v]))
                return *failure;
        cursor.skipLine();
    }
    return {};
}

}  // namespace geolago::fuzz
