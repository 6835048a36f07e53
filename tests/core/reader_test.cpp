// The point file reader: the number syntaxes, the row layouts, the failures with their
// codes, and what stays in the tables when a reading stops.

#include <sys/stat.h>
#include <unistd.h>

#include "reader.h"
#include "numbertext.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

struct RealRow {
    const char* token;
    bool valid;
    long double value;
};

TEST(RealSyntax, TokensReadAsTheirValueOrAreRefused)
{
    const RealRow rows[] = {
        {"-.5", true, -0.5L},   {"+3", true, 3.0L},      {"1.", true, 1.0L},      {"2e3", true, 2000.0L},
        {".", true, 0.0L},      {"-0.25e+1", true, -2.5L}, {"0012.500", true, 12.5L}, {"1E0", true, 1.0L},
        {"-", false, 0},        {"+", false, 0},         {"e", false, 0},         {"1e", false, 0},
        {"1e+", false, 0},      {"1.2.3", false, 0},     {"1,5", false, 0},       {"X", false, 0},
        {"12a", false, 0},      {"--1", false, 0},       {"\xEF\xBB\xBF" "1", false, 0},
    };
    for (const auto& row : rows) {
        const auto value = parseReal(row.token);
        EXPECT_EQ(value.has_value(), row.valid) << row.token;
        if (value && row.valid) {
            EXPECT_EQ(*value, row.value) << row.token;
        }
    }
    // Stored values are the doubles a user wrote.
    EXPECT_EQ(toDouble(*parseReal("2E-3")), 0.002);
    EXPECT_EQ(toDouble(*parseReal("3.7")), 3.7);
    EXPECT_EQ(toDouble(*parseReal("-123456.789")), -123456.789);
}

TEST(RealSyntax, MagnitudesBeyondDoubleFailOnlyWhenStored)
{
    const auto huge = parseReal("1e400");
    ASSERT_TRUE(huge.has_value());  // extended precision holds it
    expectFailure<FloatFailure>([&] { toDouble(*huge); }, Overflow);
    expectFailure<FloatFailure>([&] { toDouble(*parseReal("-1.8e308")); }, Overflow);
    EXPECT_EQ(toDouble(*parseReal("1e-400")), 0.0);
    EXPECT_EQ(toDouble(*parseReal("4.9406564584124654e-324")), 4.9406564584124654e-324);  // subnormal kept
    EXPECT_EQ(toDouble(*parseReal("1e-99999999999")), 0.0);
    expectFailure<FloatFailure>([&] { toDouble(*parseReal("1e99999999999")); }, Overflow);
    // A long run of digits is accumulated whole, not cut into two numbers.
    EXPECT_EQ(toDouble(*parseReal("0." + std::string(200, '0') + "1e201")), 1.0);
}

struct WholeRow {
    const char* token;
    bool valid;
    std::int32_t value;
};

TEST(WholeSyntax, PointNumbersInDecimalOrHexadecimal)
{
    const WholeRow rows[] = {
        {"0", true, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"$1F", true, 31},
        {"0x1F", true, 31},
        {"X1f", true, 31},
        {"0X1F", true, 31},
        {"-$1F", true, -31},
        {"$FFFFFFFF", true, -1},
        {"$80000000", true, -2147483647 - 1},
        {"$000000001F", true, 31},  // leading zeros are not significant digits
        {"$100000000", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"+", false, 0},
        {"12.0", false, 0},
        {"P1", false, 0},
        {"1e3", false, 0},
        {"$1G", false, 0},
        {"0000000000000000000000000000000000000012", true, 12},  // longer than 32 characters, read whole
    };
    for (const auto& row : rows) {
        const auto value = parseWholeNumber(row.token);
        EXPECT_EQ(value.has_value(), row.valid) << row.token;
        if (value && row.valid) {
            EXPECT_EQ(*value, row.value) << row.token;
        }
    }
}

class PointFile : public StoreTest {
protected:
    void read(const std::string& bytes, int points, int variables, bool numbered)
    {
        store.NBPoints = points;
        store.NBVar = variables;
        Lit_Data(store, writeFile("points.txt", bytes), numbered);
    }
    // `detail`: the row whose count of values explains the failure.
    void expectRead(const std::string& bytes, int points, int variables, bool numbered, int code,
                    const std::string& detail = {})
    {
        const std::string path = writeFile("points.txt", bytes);
        store.NBPoints = points;
        store.NBVar = variables;
        expectIoFailure([&] { Lit_Data(store, path, numbered); }, code,
                        IoFailure::messageFor(code) + (detail.empty() ? "" : " : " + detail));
    }
};

TEST_F(PointFile, RowLayoutWithAndWithoutPointNumber)
{
    read("1 10.5 20.25 3.7\n", 1, 1, true);
    EXPECT_EQ(store.Coord[1][1], 10.5);
    EXPECT_EQ(store.Coord[1][2], 20.25);
    EXPECT_EQ(store.Donnees[1][1], 3.7);

    read("1 10.5 20.25 3.7\n", 1, 1, false);
    EXPECT_EQ(store.Coord[1][1], 1.0);
    EXPECT_EQ(store.Coord[1][2], 10.5);
    EXPECT_EQ(store.Donnees[1][1], 20.25);
    EXPECT_EQ(store.Donnees[1][2], 0.0);  // 3.7 went with the rest of the line
}

TEST_F(PointFile, BlanksLineEndsAndExtraValues)
{
    // Tabs, runs of spaces, control characters and NULs, blank lines, CR LF and LF alike;
    // extra values at the end of a row are dropped with the line.
    using namespace std::string_literals;
    read("\t1\0\0" "2\x01 3 99 98\r\n\r\n\n   4\t5 6\n7\0" "8\0" "9"s, 3, 1, false);
    EXPECT_EQ(store.Coord[1][1], 1.0);
    EXPECT_EQ(store.Donnees[1][1], 3.0);
    EXPECT_EQ(store.Coord[2][1], 4.0);
    EXPECT_EQ(store.Donnees[2][1], 6.0);
    EXPECT_EQ(store.Coord[3][2], 8.0);  // a last row without line end reads normally
    EXPECT_EQ(store.Donnees[3][1], 9.0);
}

TEST_F(PointFile, ShortRowTakesItsValuesFromTheNextLine)
{
    read("1 2\n3 4 5\n6 7 8\n", 2, 1, false);
    EXPECT_EQ(store.Donnees[1][1], 3.0);  // then "4 5" is dropped
    EXPECT_EQ(store.Coord[2][1], 6.0);
    EXPECT_EQ(store.Donnees[2][1], 8.0);
}

TEST_F(PointFile, WholeXTakenAsPointNumberShiftsTheRow)
{
    read("10 20 1.5\n30 40 2.5\n", 1, 1, true);
    EXPECT_EQ(store.Coord[1][1], 20.0);
    EXPECT_EQ(store.Coord[1][2], 1.5);
    EXPECT_EQ(store.Donnees[1][1], 30.0);
    expectRead("10.0 20 1.5\n", 1, 1, true, io::InvalidNumber);
}

TEST_F(PointFile, MalformedTokensFailWithCode106)
{
    for (const char* bytes : {"1,5 2 3\n", "X Y V\n1 2 3\n", "\xEF\xBB\xBF" "1 2 3\n", "1 2 3e\n"})
        expectRead(bytes, 1, 1, false, io::InvalidNumber);
    for (const char* bytes : {"12.0 1 2 3\n", "P1 1 2 3\n", "2147483648 1 2 3\n"})
        expectRead(bytes, 1, 1, true, io::InvalidNumber);
}

TEST_F(PointFile, OpeningFailuresCarryTheirCodes)
{
    store.NBPoints = 1;
    store.NBVar = 1;
    expectIoFailure([&] { Lit_Data(store, pathOf("absent.txt"), false); }, 2, "Fichier introuvable");
    expectIoFailure([&] { Lit_Data(store, pathOf("no-folder/points.txt"), false); }, 3, "Nom de fichier incorrect");
    expectIoFailure([&] { Lit_Data(store, folder_.string(), false); }, 5, "Accès au fichier refusé");
    expectIoFailure([&] { Lit_Data(store, "", false); }, 2, "Fichier introuvable");
    if (::geteuid() != 0) {  // root reads whatever the permissions say
        const std::string path = writeFile("locked.txt", "1 2 3\n");
        ::chmod(path.c_str(), 0);
        expectIoFailure([&] { Lit_Data(store, path, false); }, 5, "Accès au fichier refusé");
    }
    EXPECT_EQ(IoFailure(1005).what(), std::string("Erreur E/S 1005"));
}

TEST_F(PointFile, EndOfFileBeforeTheLastNumberFailsWithCode100)
{
    // Fewer rows than points: the rows read stay.
    expectRead("1 2 3\n4 5 6\n", 3, 1, false, io::ReadBeyondEnd);
    EXPECT_EQ(store.Coord[2][1], 4.0);
    EXPECT_EQ(store.Donnees[2][1], 6.0);
    // A last row cut short, named with its count of values.
    store.reset();
    expectRead("1 2 3\n4 5", 2, 1, false, io::ReadBeyondEnd, "la ligne 2 contient 2 valeurs au lieu de 3");
    EXPECT_EQ(store.Coord[2][2], 5.0);
    // Carriage returns alone end no line: the first row's skip swallows the file.
    expectRead("1 2 3\r4 5 6\r", 2, 1, false, io::ReadBeyondEnd, "la ligne 1 contient 6 valeurs au lieu de 3");
    // A short row takes the next line's first values: the failure names the short one.
    expectRead("1 1 2 3\n2 4 5\n3 7 8 9\n", 3, 1, true, io::ReadBeyondEnd, "la ligne 2 contient 3 valeurs au lieu de 4");
    // The first Ctrl-Z ends the file, whatever follows it.
    expectRead("1 2 3\n\x1A" "4 5 6\n", 2, 1, false, io::ReadBeyondEnd);
    read("1 2 3\x1A 4 5 6\n", 1, 1, false);
    EXPECT_EQ(store.Donnees[1][1], 3.0);
}

TEST_F(PointFile, NoPointsReadsNothing)
{
    store.Coord[1][1] = 42.0;
    read("", 0, 5, true);
    EXPECT_EQ(store.Coord[1][1], 42.0);
    expectRead("", 1, 0, false, io::ReadBeyondEnd);
}

TEST_F(PointFile, AShorterFileLeavesTheLaterRowsOfALongerOne)
{
    std::string rows;
    for (int i = 1; i <= 20; ++i)
        rows += std::to_string(i) + " " + std::to_string(-i) + " " + std::to_string(100 * i) + " 7\n";
    read(rows, 20, 2, false);
    read("0.5 0.25 9\n", 1, 1, false);
    EXPECT_EQ(store.Coord[1][1], 0.5);
    EXPECT_EQ(store.Donnees[1][1], 9.0);
    EXPECT_EQ(store.Donnees[1][2], 7.0);  // a column beyond NBVar keeps the longer file's value
    EXPECT_EQ(store.Coord[20][2], -20.0);
    EXPECT_EQ(store.Donnees[20][1], 2000.0);
}

TEST_F(PointFile, FailureKeepsWhatWasReadBefore)
{
    // Earlier contents, to see which entries the failing reading replaced.
    for (int i = 1; i <= 6; ++i) {
        store.Coord[i][1] = store.Coord[i][2] = -1;
        store.Donnees[i][1] = store.Donnees[i][2] = -1;
    }
    const std::string good = "1 1 10 100\n2 2 20 200\n3 3 30 300\n4 4 40 400\n";
    expectRead(good + "5 5 oops 500\n6 6 60 600\n", 6, 2, false, io::InvalidNumber);
    EXPECT_EQ(store.NBPoints, 6);
    EXPECT_EQ(store.NBVar, 2);
    EXPECT_EQ(store.Donnees[4][2], 400.0);
    EXPECT_EQ(store.Coord[5][1], 5.0);
    EXPECT_EQ(store.Coord[5][2], 5.0);
    EXPECT_EQ(store.Donnees[5][2], -1.0);
    EXPECT_EQ(store.Coord[6][1], -1.0);

    // Overflow on store stops the same way, at the value that overflows.
    expectFailure<FloatFailure>([&] { read(good + "5 5 1e400 500\n", 5, 2, false); }, Overflow);
    EXPECT_EQ(store.Coord[5][2], 5.0);

    // Once corrected, the same file reads whole.
    read(good + "5 5 50 500\n6 6 60 600\n", 6, 2, false);
    EXPECT_EQ(store.Donnees[5][1], 50.0);
    EXPECT_EQ(store.Donnees[6][2], 600.0);
}

TEST_F(PointFile, LargestFileReadsEveryValueAcrossBufferBoundaries)
{
    // 1000 rows of 30 values, each an exact binary fraction written with many digits, so
    // the tokens straddle the reader's buffer boundaries.
    std::string bytes;
    for (int i = 1; i <= MaxPoints; ++i) {
        bytes += std::to_string(i) + " " + std::to_string(i) + ".5 -" + std::to_string(i) + ".25";
        for (int v = 1; v <= MaxVar; ++v)
            bytes += " " + std::to_string(i * 100 + v) + ".0625000000000";
        bytes += "\r\n";
    }
    ASSERT_GT(bytes.size(), 3u * 64 * 1024);
    read(bytes, MaxPoints, MaxVar, true);
    for (int i = 1; i <= MaxPoints; ++i) {
        ASSERT_EQ(store.Coord[i][1], i + 0.5);
        ASSERT_EQ(store.Coord[i][2], -(i + 0.25));
        for (int v = 1; v <= MaxVar; ++v)
            ASSERT_EQ(store.Donnees[i][v], i * 100 + v + 0.0625) << i << " " << v;
    }
}

}  // namespace
}  // namespace geolago::testing
