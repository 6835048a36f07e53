#pragma once
// Extended-precision arithmetic with the faults checked where they happen. Expressions
// are evaluated in `Ext` (a 64-bit significand) and rounded only where a value is kept;
// each helper below is one such point and raises the FloatFailure of the fault it makes.

#include <cmath>
#include <cstdint>
#include <limits>

#include "failures.h"

namespace geolago {

using Ext = long double;
static_assert(std::numeric_limits<Ext>::digits == 64,
              "the figures need long double with a 64-bit significand (x86-64)");
static_assert(std::numeric_limits<Ext>::is_iec559);

[[noreturn]] void raiseFloat(FloatFailure::Kind kind);

// a / b; 0/0 and a NaN operand are invalid, x/0 otherwise a division by zero.
inline Ext divide(Ext a, Ext b)
{
    if (b == 0 || std::isnan(a) || std::isnan(b)) {
        if (a == 0 || std::isnan(a) || std::isnan(b))
            raiseFloat(FloatFailure::Kind::Invalid);
        raiseFloat(FloatFailure::Kind::DivisionByZero);
    }
    if (std::isinf(a) && std::isinf(b))
        raiseFloat(FloatFailure::Kind::Invalid);
    return a / b;
}

// Square root; a negative or NaN operand is invalid.
inline Ext squareRoot(Ext v)
{
    if (!(v >= 0))
        raiseFloat(FloatFailure::Kind::Invalid);
    return std::sqrt(v);
}

// v rounded to double to be stored; a NaN is invalid, a magnitude beyond the double
// range an overflow. Below the range the value goes to a subnormal or 0 silently.
inline double toDouble(Ext v)
{
    if (std::isnan(v))
        raiseFloat(FloatFailure::Kind::Invalid);
    const double d = static_cast<double>(v);
    if (std::isinf(d))
        raiseFloat(FloatFailure::Kind::Overflow);
    return d;
}

// v truncated toward zero to a 64-bit integer; NaN or a value outside the 64-bit range
// is invalid.
inline std::int64_t truncToInt64(Ext v)
{
    // 2^63 is exact in Ext; the range check is done before the conversion, whose
    // behaviour outside the range is undefined.
    constexpr Ext limit = 9223372036854775808.0L;
    const Ext t = std::trunc(v);
    if (std::isnan(v) || t >= limit || t < -limit)
        raiseFloat(FloatFailure::Kind::Invalid);
    return static_cast<std::int64_t>(t);
}

// v rounded to the nearest 64-bit integer, a tie going to the even one; faults as
// truncToInt64.
inline std::int64_t roundToInt64(Ext v)
{
    constexpr Ext limit = 9223372036854775808.0L;
    const Ext r = std::nearbyint(v);  // the default rounding mode: nearest, ties to even
    if (std::isnan(v) || r >= limit || r < -limit)
        raiseFloat(FloatFailure::Kind::Invalid);
    return static_cast<std::int64_t>(r);
}

// The low 32 bits of a 64-bit integer, as a 32-bit target keeps them.
inline std::int32_t low32(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

}  // namespace geolago
