// geolago-cli's command line and JSON texts, in process.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "options.h"
#include "report.h"

namespace {

using namespace geolago::cli;

TEST(CommandLine, ValuesComeAfterTheOptionOrAnEqualsSign)
{
    const Options o = parseCommandLine({"--points=80", "--vars", "12", "--variable", "Revenu", "--all",
                                        "--cross=1:2", "--variable=3", "--", "--file"});
    EXPECT_EQ(o.pointsFile, "--file");
    EXPECT_EQ(o.points, "80");
    EXPECT_EQ(o.vars, "12");
    EXPECT_EQ(o.cellsPerAxis, "10");
    EXPECT_EQ(o.format, Format::Text);
    ASSERT_EQ(o.variables.size(), 4u);  // in the order given
    EXPECT_EQ(o.variables[0].text, "Revenu");
    EXPECT_EQ(o.variables[1].kind, VariableRequest::Kind::All);
    EXPECT_EQ(o.variables[2].kind, VariableRequest::Kind::Cross);
    EXPECT_EQ(o.variables[2].text, "1:2");
    EXPECT_EQ(o.variables[3].text, "3");

    // --help helps whatever value another option refuses.
    EXPECT_TRUE(parseCommandLine({"f", "--format", "csv", "--help"}).help);

    // A chart's file needs a name before its extension.
    EXPECT_EQ(parseCommandLine({"f", "--all", "--plot", "graphiques/c.PNG"}).plotFile, "graphiques/c.PNG");
    for (const char* name : {".png", "graphiques/.svg"})
        EXPECT_THROW(parseCommandLine({"f", "--all", "--plot", name}), UsageError) << name;
}

TEST(Json, StringsKeepUtf8AndEscapeEverythingElse)
{
    EXPECT_EQ(jsonString(""), "\"\"");
    EXPECT_EQ(jsonString("a\"b\\c/"), "\"a\\\"b\\\\c/\"");
    EXPECT_EQ(jsonString("\t\n\r\b\f\x01\x1f\x7f"), "\"\\t\\n\\r\\b\\f\\u0001\\u001F\x7f\"");
    EXPECT_EQ(jsonString("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"");
    // Bytes outside a well-formed sequence read as Latin-1.
    EXPECT_EQ(jsonString("\xe9t\xe9"), "\"\\u00E9t\\u00E9\"");
    EXPECT_EQ(jsonString("\xc3"), "\"\\u00C3\"");                       // cut short
    EXPECT_EQ(jsonString("\xc0\xaf"), "\"\\u00C0\\u00AF\"");            // overlong
    EXPECT_EQ(jsonString("\xed\xa0\x80"), "\"\\u00ED\\u00A0\\u0080\"");  // surrogate
    EXPECT_EQ(jsonString("\xf4\x90\x80\x80"), "\"\\u00F4\\u0090\\u0080\\u0080\"");  // above U+10FFFF
}

TEST(Json, NumbersReadBackExactly)
{
    const std::vector<double> values = {0.0, 1.0, 62.5, 200.0 / 121.0, static_cast<double>(0.8f),
                                        static_cast<double>(-0.970077336f), static_cast<double>(1e-5f),
                                        1e300, -2.5e-310};
    for (const double v : values) {
        const std::string text = jsonNumber(v);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
        EXPECT_EQ(text.find_first_not_of("0123456789.-+e"), std::string::npos) << text;
    }
    EXPECT_EQ(jsonNumber(static_cast<double>(0.8f)), "0.800000011920929");
    EXPECT_EQ(jsonNumber(100.0), "100");
}

}  // namespace
