// The number texts of the windows: reading a typed count and writing a real.

#include <cfloat>

#include "numbertext.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

TEST(Convert, AcceptsWholeNumbersInDecimalAndHexadecimal)
{
    EXPECT_EQ(convert("   12"), 12);
    EXPECT_EQ(convert("+12"), 12);
    EXPECT_EQ(convert("$1E"), 30);
    EXPECT_EQ(convert("x10"), 16);
    EXPECT_EQ(convert("0"), 0);
    EXPECT_EQ(convert("007"), 7);
    EXPECT_EQ(convert("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(convert("$FFFFFFFF"), -1);
    EXPECT_EQ(convert("-$10"), -16);
}

TEST(Convert, RefusesAnythingElseQuotingTheWholeText)
{
    for (const std::string text : {"12 ", "1.5", "\t12", "", "-", "2147483648", "$", "0x", " ", "12a", "1 2"}) {
        try {
            convert(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConvertFailure& failure) {
            EXPECT_EQ(std::string(failure.what()), "'" + text + "' n'est pas une valeur entière correcte");
        }
    }
}

struct RealText {
    double value;
    const char* french;
};

TEST(RealWriting, GeneralFormatWithFifteenDigits)
{
    const RealText rows[] = {
        {static_cast<double>(0.8f), "0,800000011920929"},
        {-0.25, "-0,25"},
        {1.0, "1"},
        {37.5, "37,5"},
        {static_cast<double>(0.00001f), "9,99999974737875E-6"},
        {static_cast<double>(0.99999994f), "0,999999940395355"},
        {1.0 + 3 * 0x1p-23, "1,00000035762787"},
        {200.0 / 121.0, "1,65289256198347"},
        {0.0, "0"},
        {-0.0, "0"},
        {0.001, "0,001"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {0.0000123, "1,23E-5"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.0, "999999999999999"},
        {999999999999999.5, "1E15"},  // fifteen nines carry into a new leading 1
        {0x1.f86de3d8787bep+0, "1,97042678866318"},  // 1.97042678866317500 (18 digits) rounds up
        {1e15, "1E15"},
        {1e16, "1E16"},
        {1.5e300, "1,5E300"},
        {-DBL_MAX, "-1,79769313486232E308"},
        {4.9406564584124654e-324, "4,94065645841247E-324"},
        {0.1 + 0.2, "0,3"},
        {100.0, "100"},
        {-1234.5, "-1234,5"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(writeReal(row.value, ","), row.french) << row.french;
    EXPECT_EQ(writeReal(37.5, "."), "37.5");
    EXPECT_EQ(writeReal(1.5e300, "."), "1.5E300");
}

}  // namespace
}  // namespace geolago::testing
