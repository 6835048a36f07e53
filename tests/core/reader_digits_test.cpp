// The point reader gathers the first digits in an integer and scans tokens inside its
// buffer. These cases hold it to the plain definition: digits accumulated one by one in
// extended precision, then scaled by the power of ten; the file's tokens valued as
// parseReal values them; and tokens read whole wherever the buffer's refills cut them.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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

// The plain decimals of a delimited text, valued without the general syntax: for random
// tokens of every shape (signs, leading zeros, 1 to 24 digits, a point or a comma
// anywhere, exponents, stray bytes), the fast path takes exactly the tokens of its shape
// and gives them parseReal's value, which is the definition's.
TEST(PlainDecimals, TheirShapeTakenAndValuedAsTheDefinitionValuesIt)
{
    bool plain;
    EXPECT_EQ(plainDecimal("0012.50", false, plain), 12.5L);
    EXPECT_TRUE(plain);
    EXPECT_EQ(plainDecimal("-,5", true, plain), -0.5L);
    EXPECT_TRUE(plain);
    EXPECT_EQ(plainDecimal("1234567890123456789", false, plain), 1234567890123456789.0L);  // 19 digits
    EXPECT_TRUE(plain);
    for (const char* refused : {"12345678901234567890", "1,5", "1.5.", "1e5", ".", "-", "+.", "", " 1", "1..2",
                                "1.2,3"}) {
        plainDecimal(refused, false, plain);
        EXPECT_FALSE(plain) << refused;
    }
    plainDecimal("1.2,3", true, plain);
    EXPECT_FALSE(plain);

    std::mt19937_64 random(29);
    const std::string alphabet = "0123456789.,+-eE x";
    long long taken = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string token;
        if (random() % 4 != 0) {  // mostly the shapes of a point file's numbers
            if (random() % 3 == 0)
                token += "+-"[random() % 2];
            token.append(random() % 4 == 0 ? random() % 12 : 0, '0');
            const std::size_t digits = random() % 25;
            const std::size_t point = random() % (digits + 2);
            for (std::size_t d = 0; d < digits; ++d) {
                if (d == point)
                    token += ".,"[random() % 2];
                token += static_cast<char>('0' + random() % 10);
            }
            if (point == digits)
                token += ".,"[random() % 2];
        } else {
            for (std::size_t k = random() % 8; k > 0; --k)
                token += alphabet[random() % alphabet.size()];
        }
        const bool commaPoint = random() % 2 == 0;
        // The shape, told independently: sign, digits with one point, 1 to 19 significant.
        std::size_t at = token.starts_with('+') || token.starts_with('-') ? 1 : 0;
        int points = 0, digits = 0, significant = 0;
        bool others = false;
        for (; at < token.size(); ++at) {
            const char c = token[at];
            if (c >= '0' && c <= '9') {
                ++digits;
                significant += significant > 0 || c != '0';
            } else if (c == '.' || (commaPoint && c == ',')) {
                ++points;
            } else {
                others = true;
            }
        }
        const bool shaped = !others && points <= 1 && digits > 0 && significant <= 19;
        const Ext value = plainDecimal(token, commaPoint, plain);
        ASSERT_EQ(plain, shaped) << token;
        if (!plain)
            continue;
        ++taken;
        std::string pointed = token;
        std::replace(pointed.begin(), pointed.end(), ',', '.');
        const auto definition = parseReal(pointed);
        ASSERT_TRUE(definition.has_value()) << token;
        ASSERT_EQ(std::memcmp(&value, &*definition, 10), 0) << token;  // -0 too
        const std::string unsigned_ = pointed[0] == '-' || pointed[0] == '+' ? pointed.substr(1) : pointed;
        ASSERT_EQ(value, pointed[0] == '-' ? -byDefinition(unsigned_) : byDefinition(unsigned_)) << token;
    }
    EXPECT_GT(taken, 100000);
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
        "Trop de séparateurs : plus de 4194304 caractères sans valeur : la ligne 1 contient 2 valeurs au lieu de 3");
    ASSERT_TRUE(failure && failure->place());
    EXPECT_EQ(failure->place()->line, 2);
    EXPECT_FALSE(failure->place()->token);
}

class BufferedTokens : public StoreTest {};

TEST_F(BufferedTokens, EveryShapeReadsFromTheFileAsParseRealReadsIt)
{
    // The reader values most tokens straight from its buffer, 8 digits at a time; the
    // tokens here sweep what decides its path and its digits: sizes around its 32 bytes,
    // the point at every place, 0 to 24 significant digits behind runs of leading zeros.
    std::mt19937 draw(7);
    std::vector<std::string> tokens;
    while (tokens.size() < 6400) {
        std::string token(draw() % 4 == 0 ? draw() % 24 : 0, '0');
        for (int k = 1 + static_cast<int>(draw() % 24); k > 0; --k)
            token += draw() % 3 == 0 ? '0' : static_cast<char>('1' + draw() % 9);
        if (draw() % 8 != 0)
            token[draw() % token.size()] = '.';
        if (draw() % 3 == 0)
            token.insert(0, draw() % 2 == 0 ? "-" : "+");
        if (draw() % 16 == 0)
            token += "e-3";
        tokens.push_back(token);
    }
    std::string bytes;
    for (std::size_t k = 0; k < tokens.size(); ++k)
        bytes += tokens[k] + (k % 32 == 31 ? "\n" : " ");
    store.NBPoints = static_cast<int>(tokens.size() / 32);
    store.NBVar = 30;
    Lit_Data(store, writeFile("shapes.txt", bytes), false);
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const int i = static_cast<int>(k / 32) + 1;
        const int column = static_cast<int>(k % 32);
        const double read = column < 2 ? store.Coord[i][column + 1] : store.Donnees[i][column - 1];
        const double expected = toDouble(parseReal(tokens[k]).value());
        ASSERT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << tokens[k];
    }

    // Near misses of those shapes are refused as parseReal refuses them.
    for (const char* token : {"-", "+", "1.2.3", "1-2", "+-1", "12a", "1.e", "-+", "0x1"}) {
        const std::string path = writeFile("miss.txt", std::string(token) + " 1\n");
        store.NBPoints = 1;
        store.NBVar = 0;
        ASSERT_FALSE(parseReal(token).has_value()) << token;
        expectIoFailure([&] { Lit_Data(store, path, false); }, io::InvalidNumber,
                        IoFailure::messageFor(io::InvalidNumber));
    }
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
