// The first look at a point file: counts and row layout proposed before any reading.

#include <gtest/gtest.h>

#include "pointlayout.h"

namespace geolago {
namespace {

void expectLayout(std::string_view bytes, std::int32_t points, std::int32_t variables, bool numbered)
{
    const auto layout = guessPointFileLayout(bytes);
    ASSERT_TRUE(layout) << bytes;
    EXPECT_EQ(layout->points, points) << bytes;
    EXPECT_EQ(layout->variables, variables) << bytes;
    EXPECT_EQ(layout->rowsAreNumbered, numbered) << bytes;
}

TEST(PointLayout, CountsTheRowsHoldingDataAndTellsNumberedRows)
{
    // Numbered from 1, with blank lines, CR LF ends and a last row without a line end.
    expectLayout("1 0.5 0.5 10 20\r\n\n  \n2 1.5 0.5 11 21\r\n3 2 2 12 22", 3, 2, true);
    // Numbers that do not run 1, 2, 3: the first column is X.
    expectLayout("1 0.5 0.5 10\n3 1.5 0.5 11\n", 2, 2, false);
    expectLayout("0.5 0.5 10 20 30\n1.5 0.5 11 21 31\n", 2, 3, false);
    // The first Ctrl-Z ends the file, as for the reader.
    expectLayout("1 0 0\n2 1 1\n\x1a" "3 2 2\n", 2, 0, true);
    EXPECT_FALSE(guessPointFileLayout(" \n\n"));
    EXPECT_FALSE(guessPointFileLayout("7\n"));
}

}  // namespace
}  // namespace geolago
