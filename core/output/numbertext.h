#pragma once
// The three number texts the front ends share: reading a typed whole number, writing an
// integer, writing a real. None depends on the locale; the decimal separator is given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace geolago {

// A token of the whole-number syntax: optional sign, then decimal digits within the 32-bit
// range, or a prefix "$", "x", "X", "0x", "0X" and at most 8 significant hexadecimal
// digits ($80000000 and above read as negative). No blank anywhere. Empty if invalid.
std::optional<std::int32_t> parseWholeNumber(std::string_view token);

// The integer a user typed: leading spaces skipped (a tab is not one), then the
// whole-number syntax to the end of the text. Throws ConvertFailure quoting `text`.
std::int32_t convert(const std::string& text);

// Plain decimal digits, "-" before a negative value.
std::string writeInteger(std::int32_t value);

// The double nearest to `value` rounded to `digits` significant decimal digits (1..17);
// 0, infinities and NaN as they are.
double roundToDigits(double value, int digits);

// The general format with 15 significant digits: fixed notation for decimal exponents
// -3..15 (of 0.d1d2...), scientific otherwise ("9,99999974737875E-6"), trailing zeros
// dropped, `separator` between the integer and the fraction.
std::string writeReal(double value, std::string_view separator);

}  // namespace geolago
