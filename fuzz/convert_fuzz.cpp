// The integer reading of a typed text, compared with a second reading made another way:
// the text is cut into blanks, sign, prefix and digits, and the digits are valued with
// std::from_chars. Both must accept the same texts with the same value, and a refusal
// must quote the text whole.

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "failures.h"
#include "fuzz_support.h"
#include "numbertext.h"

using namespace geolago;
using namespace geolago::fuzz;

namespace {

std::optional<std::int32_t> secondReading(std::string_view text)
{
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.starts_with(prefix)) {
            base = 16;
            text.remove_prefix(prefix.size());
            break;
        }
    }
    // from_chars takes no sign, no prefix and no blank: only the digits are left here.
    if (text.empty() || text[0] == '+' || text[0] == '-')
        return std::nullopt;
    const std::string_view significant = text.substr(std::min(text.find_first_not_of('0'), text.size()));
    if (significant.size() > (base == 16 ? 8u : 10u))
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (base == 16) {
        // 32 bits, $80000000 and above negative; a sign negates within 32 bits.
        const auto bits = static_cast<std::uint32_t>(magnitude);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = secondReading(text);
    try {
        const std::int32_t value = convert(text);
        check(expected.has_value(), "convert accepts a text the second reading refuses");
        check(value == *expected, "convert gives another value than the second reading");
    } catch (const ConvertFailure& failure) {
        check(!expected.has_value(), "convert refuses a text the second reading accepts");
        // what() is a C string: a NUL typed in the text ends the message there.
        const std::string message = "'" + text + "' n'est pas une valeur entière correcte";
        check(failure.what() == message.substr(0, message.find('\0')), "the refusal does not quote the text whole");
    }
    return 0;
}
