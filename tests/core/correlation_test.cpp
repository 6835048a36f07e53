// The lagged correlations: directions, single-precision figures, the pair threshold, and
// tables that start clean for every calculation.

#include "analysis.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Correlation : public StoreTest {
protected:
    // Cells [IX][IY] with both indices in 1..N filled with values[IY - 1][IX - 1].
    void fill(const std::vector<std::vector<double>>& values)
    {
        NBMailles = static_cast<std::int32_t>(values.size());
        for (int iy = 1; iy <= NBMailles; ++iy)
            for (int ix = 1; ix <= NBMailles; ++ix)
                Grille[ix][iy] = {values[iy - 1][ix - 1], 1, 1};
    }
    void calculate()
    {
        Correlation_EW();
        Correlation_NS();
    }
};

TEST_F(Correlation, DirectionsOfTheTwoCorrelograms)
{
    // 1 where IX is odd, 0 where it is even: constant along IY, alternating along IX.
    fill({{1, 0, 1}, {1, 0, 1}, {1, 0, 1}});
    calculate();
    EXPECT_EQ(R_EW[0], 1.0);
    EXPECT_EQ(R_EW[1], 1.0);
    EXPECT_EQ(R_EW[2], 0.0);
    EXPECT_EQ(R_NS[0], 1.0);
    EXPECT_EQ(R_NS[1], -1.0);
    EXPECT_EQ(Paires_EW[0], 9);
    EXPECT_EQ(Paires_EW[1], 6);
    EXPECT_EQ(Paires_EW[2], 0);
    EXPECT_EQ(Paires_NS[1], 6);
}

TEST_F(Correlation, SinglePrecisionFiguresOfTheWorkedGrid)
{
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    calculate();
    EXPECT_EQ(R_EW[0], 1.0 + 3 * 0x1p-23);
    EXPECT_EQ(R_NS[0], 1.0 + 2 * 0x1p-23);
    EXPECT_EQ(R_EW[1], static_cast<double>(-0.970077336f));
    EXPECT_EQ(R_NS[1], static_cast<double>(-0.949047565f));
    EXPECT_EQ(R_EW[2], 0.0);
    EXPECT_EQ(R_NS[2], 0.0);  // not computed
    EXPECT_EQ(Paires_EW[0], 9);
    EXPECT_EQ(Paires_NS[1], 6);

    // A second calculation on the same grid gives the same figures.
    const double first = R_EW[1];
    calculate();
    EXPECT_EQ(R_EW[1], first);
}

TEST_F(Correlation, CellsOfIndexZeroNeverEnterAPair)
{
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    Grille[0][2] = {1000.0, 1, 1};
    Grille[2][0] = {-1000.0, 1, 1};
    calculate();
    EXPECT_EQ(R_EW[1], static_cast<double>(-0.970077336f));
    EXPECT_EQ(Paires_EW[0], 9);
}

TEST_F(Correlation, EveryCalculationStartsFromCleanTables)
{
    for (int k = 0; k <= MaxMailles; ++k) {
        R_EW[k] = R_NS[k] = 0.5;
        Paires_EW[k] = Paires_NS[k] = 77;
    }
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    calculate();
    // Too few pairs at shift 2: r 0 with 0 pairs; the north-south shift N - 1 and every
    // shift beyond the grid read 0 as well.
    EXPECT_EQ(Paires_EW[2], 0);
    EXPECT_EQ(R_NS[2], 0.0);
    EXPECT_EQ(Paires_NS[2], 0);
    EXPECT_EQ(R_EW[3], 0.0);
    EXPECT_EQ(Paires_EW[30], 0);
    EXPECT_EQ(R_NS[30], 0.0);
}

TEST_F(Correlation, SmallGridsAndTheFivePairThreshold)
{
    fill({{1, 2}, {3, 5}});  // 4 cells: never 5 pairs
    calculate();
    EXPECT_EQ(R_EW[0], 0.0);
    EXPECT_EQ(R_EW[1], 0.0);
    EXPECT_EQ(Paires_EW[0], 0);
    EXPECT_EQ(Paires_NS[0], 0);

    NBMailles = 1;  // north-south has no shift at all
    Grille[1][1] = {4.0, 1, 1};
    calculate();
    EXPECT_EQ(R_EW[0], 0.0);
    EXPECT_EQ(R_NS[0], 0.0);

    // Exactly 5 pairs: a filled cell worth 0 counts like any other.
    fill({{0, 2, 0}, {1, 4, 0}, {0, 0, 0}});
    Grille[1][3].Remplie = Grille[2][3].Remplie = Grille[3][3].Remplie = 0;
    Grille[3][1].Remplie = 0;
    calculate();
    EXPECT_EQ(Paires_EW[0], 5);
    EXPECT_EQ(Paires_NS[0], 5);
    EXPECT_NE(R_EW[0], 0.0);
}

TEST_F(Correlation, FaultsOfTheArithmetic)
{
    // All paired values equal: zero deviations and zero covariance.
    fill({{3, 3, 3}, {3, 3, 3}, {3, 3, 3}});
    expectFloatFailure([] { Correlation_EW(); }, Invalid);
    // The tables were cleared before the fault; shifts before it keep their figures.
    EXPECT_EQ(Paires_EW[0], 0);

    // Values too large for single precision.
    fill({{1e39, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    expectFloatFailure([] { Correlation_EW(); }, Overflow);
    // Squares beyond the single-precision range.
    fill({{2e19, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    expectFloatFailure([] { Correlation_NS(); }, Overflow);

    // Nearly equal values: rounding makes the variance term negative.
    fill({{1845.0001, 1845.0001, 1845.0001}, {1845, 1845.0001, 1845.0001}, {1845, 1845.0001, 1845}});
    expectFloatFailure([] { Correlation_EW(); }, Invalid);
}

}  // namespace
}  // namespace geolago::testing
