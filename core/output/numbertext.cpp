#include "numbertext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "failures.h"

namespace geolago {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> parseWholeNumber(std::string_view token)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    std::string_view rest = token.substr(i);

    std::size_t prefix = 0;
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X'))
        prefix = 1;
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        prefix = 2;

    if (prefix > 0) {
        std::string_view digits = rest.substr(prefix);
        if (digits.empty())
            return std::nullopt;
        std::uint32_t value = 0;
        int significant = 0;
        for (char c : digits) {
            const int d = hexDigit(c);
            if (d < 0)
                return std::nullopt;
            if (significant > 0 || d != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        // $80000000 and above are the negative values; a sign negates in 32 bits.
        if (negative)
            value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    if (rest.empty())
        return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t convert(const std::string& text)
{
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    const auto value = parseWholeNumber(std::string_view(text).substr(start));
    if (!value)
        throw ConvertFailure(text);
    return *value;
}

std::string writeInteger(std::int32_t value)
{
    return std::to_string(value);
}

double roundToDigits(double value, int digits)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1);
    double rounded = value;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}

std::string writeReal(double value, std::string_view separator)
{
    if (value == 0)
        return "0";
    if (value != value)
        return "NAN";
    if (value - value != 0)
        return value < 0 ? "-INF" : "INF";

    // 18 significant digits, correctly rounded, as "d.ddddddddddddddddde+XX", whatever
    // the C locale says of the decimal point.
    char expanded[40];
    const auto written = std::to_chars(expanded, expanded + sizeof expanded - 1, value < 0 ? -value : value,
                                       std::chars_format::scientific, 17);
    *written.ptr = '\0';
    std::string digits;
    digits.reserve(18);
    digits += expanded[0];
    digits.append(expanded + 2, 17);
    int exponent = std::atoi(expanded + 20) + 1;  // the value is 0.d1d2... x 10^exponent

    // Cut to 15 digits, rounding half up on the 16th; nines carry into a new leading 1.
    const bool roundUp = digits[15] >= '5';
    digits.resize(15);
    if (roundUp) {
        int i = 14;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
            digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        } else {
            ++digits[static_cast<std::size_t>(i)];
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = value < 0 ? "-" : "";
    if (exponent >= -3 && exponent <= 15) {
        if (exponent >= 1) {
            const auto whole = static_cast<std::size_t>(exponent);
            if (digits.size() <= whole) {
                text += digits;
                text.append(whole - digits.size(), '0');
            } else {
                text.append(digits, 0, whole);
                text += separator;
                text.append(digits, whole);
            }
        } else {
            text += '0';
            text += separator;
            text.append(static_cast<std::size_t>(-exponent), '0');
            text += digits;
        }
    } else {
        text += digits[0];
        if (digits.size() > 1) {
            text += separator;
            text.append(digits, 1);
        }
        text += 'E';
        text += std::to_string(exponent - 1);
    }
    return text;
}

}  // namespace geolago
