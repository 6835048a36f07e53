// The writing of a real. The first 8 bytes are the double (any bit pattern), the next
// byte picks the separator. The text must follow the format's rules (digits, one
// separator of the given kind, no trailing zero, an exponent without "+" or leading
// zero, at most 15 significant digits) and read back to the value within half a unit of
// its 15th significant digit.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "numbertext.h"

using namespace geolago;
using namespace geolago::fuzz;

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint64_t bits = 0;
    for (int b = 0; b < 8; ++b)
        bits = bits << 8 | takeByte(data, size);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    const char separator = (takeByte(data, size) & 1) ? ',' : '.';

    const std::string text = writeReal(value, std::string(1, separator));
    if (std::isnan(value)) {
        check(text == "NAN", "NaN");
        return 0;
    }
    if (std::isinf(value)) {
        check(text == (value < 0 ? "-INF" : "INF"), "infinity");
        return 0;
    }
    if (value == 0) {
        check(text == "0", "zero is written 0");
        return 0;
    }

    // Cut the text into sign, digits, separator, digits, exponent.
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    check(negative == (value < 0), "the sign");
    if (negative)
        ++i;
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::string whole = text.substr(intStart, i - intStart);
    check(!whole.empty(), "digits before the separator");
    std::string fraction;
    if (i < text.size() && text[i] == separator) {
        const std::size_t start = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fraction = text.substr(start, i - start);
        check(!fraction.empty() && fraction.back() != '0', "a fraction without trailing zero");
    }
    const bool scientific = i < text.size() && text[i] == 'E';
    int writtenExponent = 0;
    if (scientific) {
        ++i;
        check(i < text.size() && text[i] != '+', "no plus sign in the exponent");
        const std::size_t start = i;
        if (text[i] == '-')
            ++i;
        check(i < text.size() && isDigit(text[i]) && (text[i] != '0' || i + 1 == text.size()),
              "exponent digits without leading zero");
        while (i < text.size() && isDigit(text[i]))
            ++i;
        writtenExponent = std::atoi(text.c_str() + start);
        check(whole.size() == 1 && whole != "0", "one non-zero digit before the separator");
    }
    check(i == text.size(), "nothing after the number");

    // Significant digits, and the exponent e of 0.d1d2... x 10^e.
    std::string digits = whole + fraction;
    const std::size_t lead = digits.find_first_not_of('0');
    check(lead != std::string::npos, "a non-zero value has a non-zero digit");
    std::string significant = digits.substr(lead);
    int e = scientific ? writtenExponent + 1 : static_cast<int>(whole.size()) - static_cast<int>(lead);
    if (!scientific && whole == "0")
        e = -static_cast<int>(lead - 1);
    while (significant.size() > 1 && significant.back() == '0')
        significant.pop_back();
    check(scientific || whole == "0" || whole[0] != '0', "no leading zero before the separator");
    check(significant.size() <= 15, "at most 15 significant digits");
    check(scientific == (e < -3 || e > 15), "fixed notation exactly for exponents -3..15");

    // Read back: within half a unit of the 15th digit, plus the 18-digit rounding made
    // first and the rounding of the reading itself.
    std::string readable = text;
    std::replace(readable.begin(), readable.end(), separator, '.');
    const long double back = std::strtold(readable.c_str(), nullptr);
    const long double magnitude = std::fabs(static_cast<long double>(value));
    const int decimalExponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const long double unit = std::pow(10.0L, static_cast<long double>(decimalExponent - 14));
    const long double error = std::fabs(back - static_cast<long double>(value));
    check(error <= unit * 0.5006L, "the text does not read back to the value");
    return 0;
}
