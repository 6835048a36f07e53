// The point reader gathers the first digits in an integer and scans tokens inside its
// buffer. These cases hold it to the plain definition: digits accumulated one by one in
// extended precision, then scaled by the power of ten, and tokens read whole wherever the
// buffer's refills cut them.

#include <cmath>
#include <string>

#include "reader.h"
#include "store.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

// The value of a token of digits, an optional point and digits, by the definition.
Ext byDefinition(const std::string& token)
{
    Ext mantissa = 0;
    long long exponent = 0;
    bool afterPoint = false;
    for (const char c : token) {
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        mantissa = mantissa * 10 + (c - '0');
        if (afterPoint)
            --exponent;
    }
    Ext power = 1;
    for (long long i = 0; i < -exponent; ++i)
        power *= 10;
    return exponent < 28 && -exponent < 28 ? mantissa / power : mantissa / std::pow(10.0L, static_cast<Ext>(-exponent));
}

TEST(RealDigits, AnyNumberOfDigitsGivesTheOneByOneValueBitForBit)
{
    const std::string tokens[] = {
        "0", "7", "12345678", "123456789", "1234567890123456789",   // 19 digits: the integer's reach
        "12345678901234567890",                                       // the 20th goes to extended precision
        "18446744073709551615", "18446744073709551616",               // 2^64 - 1 and 2^64
        "99999999999999999999999999",                                 // rounded from the 21st digit on
        "4821.3849572839104", "0.0012345678901234567", "000000000000000000000123.5",
        "0.00000000000000000000000000001", "3.14159265358979323846264338327950288",
        ".5", "5.", "1234567.", "00000000.00000000",
    };
    for (const std::string& token : tokens) {
        const auto value = parseReal(token);
        ASSERT_TRUE(value.has_value()) << token;
        EXPECT_EQ(*value, byDefinition(token)) << token;
        const auto negative = parseReal("-" + token);
        ASSERT_TRUE(negative.has_value()) << token;
        EXPECT_EQ(*negative, -byDefinition(token)) << token;
    }
}

class LongTokens : public StoreTest {};

TEST_F(LongTokens, ARealOfAnyLengthReadsAsTheNumberItWrites)
{
    const auto value = [](const std::string& token) { return toDouble(parseReal(token).value()); };
    // Mantissas and powers of ten beyond the extended range.
    EXPECT_EQ(value("0.1" + std::string(4932, '0')), 0.1);
    EXPECT_EQ(value("1" + std::string(5000, '0') + "e-5000"), 1.0);
    EXPECT_EQ(value(std::string(5000, '9') + "e-4999"), 10.0);
    EXPECT_EQ(value("-0." + std::string(1'000'000, '0') + "1e1000005"), -10000.0);
    EXPECT_EQ(value("1e-" + std::string(1'000'000, '9')), 0.0);

    // Within the range, the one-by-one value bit for bit, however many digits.
    std::string digits;
    for (int i = 0; i < 400; ++i)
        digits += "1234567890";
    const std::string inRange = digits.substr(0, 2000) + "." + digits.substr(2000);
    EXPECT_EQ(parseReal(inRange), byDefinition(inRange));

    // Tokens of a million digits through the reader's buffer.
    store.NBPoints = 1;
    store.NBVar = 0;
    Lit_Data(store,
             writeFile("long.txt", "1" + std::string(999'999, '0') + "e-999999 0." + std::string(999'999, '0')
                                       + "3e999999\n"),
             false);
    EXPECT_EQ(store.Coord[1][1], 1.0);
    EXPECT_EQ(store.Coord[1][2], 0.3);
}

TEST_F(LongTokens, ARunOfBlanksStopsAtItsBound)
{
    // NULs and line feeds are blanks too: an endless device of zeros fails at the bound.
    store.NBPoints = 1;
    store.NBVar = 1;
    Lit_Data(store, writeFile("spaced.txt", "1 2" + std::string(MaxBlankRun, '\0') + "3\n"), false);
    EXPECT_EQ(store.Donnees[1][1], 3.0);
    const auto failure = expectFailure<LimitFailure>(
        [&] { Lit_Data(store, writeFile("spaced.txt", "1 2\n" + std::string(MaxBlankRun, ' ') + "3\n"), false); },
        "Trop de séparateurs : plus de 4194304 caractères sans valeur");
    ASSERT_TRUE(failure && failure->place());
    EXPECT_EQ(failure->place()->line, 2);
    EXPECT_FALSE(failure->place()->token);
}

class StraddlingTokens : public StoreTest {};

TEST_F(StraddlingTokens, ATokenCutByARefillIsReadWhole)
{
    // The reader's buffer holds 64 KiB: blanks push the tokens across that boundary at
    // every offset, and the last row ends at the end of the file without a line end.
    const std::string row = "-4821.3849572839104 0.0012345678901234567 123456789012345678901234";
    for (std::size_t shift = 0; shift <= row.size(); ++shift) {
        store.reset();
        store.NBPoints = 2;
        store.NBVar = 1;
        const std::string bytes = std::string(64 * 1024 - shift, ' ') + row + "\n" + row;
        Lit_Data(store, writeFile("straddle.txt", bytes), false);
        for (int i = 1; i <= 2; ++i) {
            ASSERT_EQ(store.Coord[i][1], -static_cast<double>(byDefinition("4821.3849572839104"))) << shift;
            ASSERT_EQ(store.Coord[i][2], static_cast<double>(byDefinition("0.0012345678901234567"))) << shift;
            ASSERT_EQ(store.Donnees[i][1], static_cast<double>(byDefinition("123456789012345678901234"))) << shift;
        }
    }
}

TEST_F(StraddlingTokens, ACtrlZEndsTheFileInWhicheverRefillItComes)
{
    // The last byte of the first buffer, the first of the second, within the second and
    // the third, and early in the first with more than a buffer of rows after it.
    store.NBPoints = 2;
    store.NBVar = 0;
    for (const std::size_t before : {64 * 1024 - 5, 64 * 1024 - 4, 70'000, 140'000, 10}) {
        const std::string bytes = std::string(before, ' ') + "1 2\n" + "\x1A" + "3 4\n" + std::string(70'000, ' ')
            + "5 6\n";
        expectIoFailure([&] { Lit_Data(store, writeFile("ctrlz.txt", bytes), false); }, io::ReadBeyondEnd,
                        "Lecture au-delà de la fin de fichier");
        EXPECT_EQ(store.Coord[1][1], 1.0) << before;
        EXPECT_EQ(store.Coord[1][2], 2.0) << before;
    }
}

}  // namespace
}  // namespace geolago::testing
