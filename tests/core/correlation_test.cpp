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
        store.NBMailles = static_cast<std::int32_t>(values.size());
        for (int iy = 1; iy <= store.NBMailles; ++iy)
            for (int ix = 1; ix <= store.NBMailles; ++ix)
                store.Grille[ix][iy] = {values[iy - 1][ix - 1], 1, 1};
    }
    void calculate()
    {
        Correlation_EW(store);
        Correlation_NS(store);
    }
};

TEST_F(Correlation, DirectionsOfTheTwoCorrelograms)
{
    // 1 where IX is odd, 0 where it is even: constant along IY, alternating along IX.
    fill({{1, 0, 1}, {1, 0, 1}, {1, 0, 1}});
    calculate();
    EXPECT_EQ(store.R_EW[0], 1.0);
    EXPECT_EQ(store.R_EW[1], 1.0);
    EXPECT_EQ(store.R_EW[2], 0.0);
    EXPECT_EQ(store.R_NS[0], 1.0);
    EXPECT_EQ(store.R_NS[1], -1.0);
    EXPECT_EQ(store.Paires_EW[0], 9);
    EXPECT_EQ(store.Paires_EW[1], 6);
    EXPECT_EQ(store.Paires_EW[2], 0);
    EXPECT_EQ(store.Paires_NS[1], 6);
}

TEST_F(Correlation, SinglePrecisionFiguresOfTheWorkedGrid)
{
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    calculate();
    EXPECT_EQ(store.R_EW[0], 1.0 + 3 * 0x1p-23);
    EXPECT_EQ(store.R_NS[0], 1.0 + 2 * 0x1p-23);
    EXPECT_EQ(store.R_EW[1], static_cast<double>(-0.970077336f));
    EXPECT_EQ(store.R_NS[1], static_cast<double>(-0.949047565f));
    EXPECT_EQ(store.R_EW[2], 0.0);
    EXPECT_EQ(store.R_NS[2], 0.0);  // not computed
    EXPECT_EQ(store.Paires_EW[0], 9);
    EXPECT_EQ(store.Paires_NS[1], 6);

    // A second calculation on the same grid gives the same figures.
    const double first = store.R_EW[1];
    calculate();
    EXPECT_EQ(store.R_EW[1], first);
}

TEST_F(Correlation, CellsOfIndexZeroNeverEnterAPair)
{
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    store.Grille[0][2] = {1000.0, 1, 1};
    store.Grille[2][0] = {-1000.0, 1, 1};
    calculate();
    EXPECT_EQ(store.R_EW[1], static_cast<double>(-0.970077336f));
    EXPECT_EQ(store.Paires_EW[0], 9);
}

TEST_F(Correlation, EveryCalculationStartsFromCleanTables)
{
    for (int k = 0; k <= MaxMailles; ++k) {
        store.R_EW[k] = store.R_NS[k] = 0.5;
        store.Paires_EW[k] = store.Paires_NS[k] = 77;
    }
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    calculate();
    // Too few pairs at shift 2: r 0 with 0 pairs; the north-south shift N - 1 and every
    // shift beyond the grid read 0 as well.
    EXPECT_EQ(store.Paires_EW[2], 0);
    EXPECT_EQ(store.R_NS[2], 0.0);
    EXPECT_EQ(store.Paires_NS[2], 0);
    EXPECT_EQ(store.R_EW[3], 0.0);
    EXPECT_EQ(store.Paires_EW[30], 0);
    EXPECT_EQ(store.R_NS[30], 0.0);
}

TEST_F(Correlation, SmallGridsAndTheFivePairThreshold)
{
    fill({{1, 2}, {3, 5}});  // 4 cells: never 5 pairs
    calculate();
    EXPECT_EQ(store.R_EW[0], 0.0);
    EXPECT_EQ(store.R_EW[1], 0.0);
    EXPECT_EQ(store.Paires_EW[0], 0);
    EXPECT_EQ(store.Paires_NS[0], 0);

    store.NBMailles = 1;  // north-south has no shift at all
    store.Grille[1][1] = {4.0, 1, 1};
    calculate();
    EXPECT_EQ(store.R_EW[0], 0.0);
    EXPECT_EQ(store.R_NS[0], 0.0);

    // Exactly 5 pairs: a filled cell worth 0 counts like any other.
    fill({{0, 2, 0}, {1, 4, 0}, {0, 0, 0}});
    store.Grille[1][3].Remplie = store.Grille[2][3].Remplie = store.Grille[3][3].Remplie = 0;
    store.Grille[3][1].Remplie = 0;
    calculate();
    EXPECT_EQ(store.Paires_EW[0], 5);
    EXPECT_EQ(store.Paires_NS[0], 5);
    EXPECT_NE(store.R_EW[0], 0.0);
}

TEST_F(Correlation, FaultsOfTheArithmetic)
{
    // All paired values equal: zero deviations and zero covariance.
    fill({{3, 3, 3}, {3, 3, 3}, {3, 3, 3}});
    expectFailure<FloatFailure>([&] { Correlation_EW(store); }, Invalid);
    EXPECT_EQ(store.Paires_EW[0], 0);  // the tables were cleared before the fault

    // Deviations that round to zero under a covariance that does not: values one unit in
    // the last place of single precision apart.
    const double u = 0x1p-16;  // the spacing of single-precision values near 249
    fill({{249, 249 + u, 249}, {249 + u, 249, 249 + 2 * u}, {249 + 2 * u, 249, 249 + u}});
    expectFailure<FloatFailure>([&] { Correlation_EW(store); }, DivisionByZero);

    // Values too large for single precision.
    fill({{1e39, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    expectFailure<FloatFailure>([&] { Correlation_EW(store); }, Overflow);
    // Squares beyond the single-precision range.
    fill({{2e19, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    expectFailure<FloatFailure>([&] { Correlation_NS(store); }, Overflow);

    // Nearly equal values: rounding makes the variance term negative.
    fill({{1845.0001, 1845.0001, 1845.0001}, {1845, 1845.0001, 1845.0001}, {1845, 1845.0001, 1845}});
    expectFailure<FloatFailure>([&] { Correlation_EW(store); }, Invalid);
}

TEST_F(Correlation, AFaultAtALaterShiftKeepsTheFiguresOfTheShiftsBefore)
{
    // Rows IY = 1 and 2 hold one value: shift 0 has a spread, but at shift 1 every first
    // cell of a pair is 2, so deviation and covariance are both zero.
    fill({{2, 2, 2}, {2, 2, 2}, {5, 1, 7}});
    store.R_EW[1] = store.R_EW[2] = 0.5;
    expectFailure<FloatFailure>([&] { Correlation_EW(store); }, Invalid);
    EXPECT_EQ(store.Paires_EW[0], 9);
    EXPECT_EQ(store.R_EW[0], 1.0 - 3 * 0x1p-24);  // single-precision noise below 1
    EXPECT_EQ(store.R_EW[1], 0.0);
    EXPECT_EQ(store.Paires_EW[1], 0);
    EXPECT_EQ(store.R_EW[2], 0.0);
}

}  // namespace
}  // namespace geolago::testing
