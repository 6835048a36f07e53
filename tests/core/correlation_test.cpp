// The lagged correlations: directions, exact figures of a small grid, the pair threshold,
// the faults, and tables that start clean for every calculation.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "analysis.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Correlation : public StoreTest {
protected:
    // Cells [IX][IY] with both indices in 1..N filled with values[IY - 1][IX - 1], a grid
    // as Remplit_Grille leaves it.
    void fill(const std::vector<std::vector<double>>& values)
    {
        store.current.gridFilled = true;
        store.NBMailles = static_cast<std::int32_t>(values.size());
        store.Grille.setCellsPerAxis(store.NBMailles);
        for (int iy = 1; iy <= store.NBMailles; ++iy)
            for (int ix = 1; ix <= store.NBMailles; ++ix)
                store.Grille[ix][iy] = {values[iy - 1][ix - 1], 1, 1};
    }
    void calculate()
    {
        Correlation_EW(store);
        Correlation_NS(store);
    }
    // Shift k of the last calculation as the results window shows it: r 0 and 0 pairs
    // where there is no r or no such shift.
    Shift shown(Direction direction, int k) const
    {
        const std::vector<Shift>& shifts = store.result.of(direction);
        return k < static_cast<int>(shifts.size()) ? shifts[static_cast<std::size_t>(k)] : Shift{};
    }
    double rEW(int k) const { return shown(Direction::EastWest, k).r.value_or(0.0); }
    double rNS(int k) const { return shown(Direction::NorthSouth, k).r.value_or(0.0); }
    std::int32_t pairsEW(int k) const { return shown(Direction::EastWest, k).pairs; }
    std::int32_t pairsNS(int k) const { return shown(Direction::NorthSouth, k).pairs; }
    // Figures a calculation must replace: every shift of both directions with r 0.5 on 77 pairs.
    void leaveStaleFigures()
    {
        Shift stale;
        stale.r = 0.5;
        stale.pairs = 77;
        store.result.eastWest.assign(MaxMailles + 1, stale);
        store.result.northSouth.assign(MaxMailles + 1, stale);
    }
    // `points` points at coordinate(axis) each, with a value of variable 1 in [0, 1).
    template <typename Coordinate>
    void scatter(int points, std::mt19937_64& random, Coordinate coordinate)
    {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        store.NBPoints = points;
        store.NBVar = 1;
        for (int i = 1; i <= points; ++i) {
            store.Coord[i][1] = coordinate(i, 1);
            store.Coord[i][2] = coordinate(i, 2);
            store.Donnees[i][1] = unit(random);
        }
    }
    // r of every shift of variable 1's correlogram, both directions.
    std::vector<std::optional<double>> figures()
    {
        const Correlogram c = computeCorrelogram(store, 1);
        std::vector<std::optional<double>> r;
        for (const Direction d : {Direction::EastWest, Direction::NorthSouth})
            for (const Shift& shift : c.of(d))
                r.push_back(shift.r);
        return r;
    }
};

TEST_F(Correlation, DirectionsOfTheTwoCorrelograms)
{
    // 1 where IX is odd, 0 where it is even: constant along IY, alternating along IX.
    fill({{1, 0, 1}, {1, 0, 1}, {1, 0, 1}});
    calculate();
    EXPECT_EQ((std::vector<double>{rEW(0), rEW(1), rEW(2), rNS(0), rNS(1)}), (std::vector<double>{1, 1, 0, 1, -1}));
    EXPECT_EQ((std::vector<int>{pairsEW(0), pairsEW(1), pairsEW(2), pairsNS(1)}), (std::vector<int>{9, 6, 0, 6}));
}

TEST_F(Correlation, EveryCalculationStartsFromCleanTables)
{
    // The worked grid over stale figures, calculated twice: the same figures each time.
    leaveStaleFigures();
    fill({{2, 7, 1}, {8, 2, 8}, {1, 8, 3}});
    for (int calculation = 1; calculation <= 2; ++calculation) {
        calculate();
        // Shift 0 pairs each cell with itself: exactly 1. Shift 1 against exact rational
        // arithmetic on the same pairs. Too few pairs at shift 2: r 0 with 0 pairs; the
        // north-south shift N - 1 is not computed and reads 0 as well; no shift beyond.
        EXPECT_TRUE(rEW(0) == 1.0 && rNS(0) == 1.0) << calculation;
        EXPECT_NEAR(rEW(1), -0.9700772721497397, 1e-15);
        EXPECT_NEAR(rNS(1), -0.9490475698030951, 1e-15);
        EXPECT_EQ((std::vector<int>{pairsEW(0), pairsNS(1), pairsEW(2), pairsNS(2)}), (std::vector<int>{9, 6, 0, 0}));
        EXPECT_TRUE(rEW(2) == 0.0 && rNS(2) == 0.0) << calculation;
        EXPECT_TRUE(store.result.eastWest.size() == 3 && store.result.northSouth.size() == 3) << calculation;
    }
}

TEST_F(Correlation, SmallGridsAndTheFivePairThreshold)
{
    fill({{1, 2}, {3, 5}});  // 4 cells: never 5 pairs
    calculate();
    EXPECT_EQ(rEW(0), 0.0);
    EXPECT_EQ(rEW(1), 0.0);
    EXPECT_EQ(pairsEW(0), 0);
    EXPECT_EQ(pairsNS(0), 0);

    store.NBMailles = 1;  // north-south has no shift at all
    store.Grille[1][1] = {4.0, 1, 1};
    calculate();
    EXPECT_EQ(rEW(0), 0.0);
    EXPECT_EQ(rNS(0), 0.0);

    // Exactly 5 pairs: a filled cell worth 0 counts like any other.
    fill({{0, 2, 0}, {1, 4, 0}, {0, 0, 0}});
    store.Grille[1][3].Remplie = store.Grille[2][3].Remplie = store.Grille[3][3].Remplie = 0;
    store.Grille[3][1].Remplie = 0;
    calculate();
    EXPECT_EQ(pairsEW(0), 5);
    EXPECT_EQ(pairsNS(0), 5);
    EXPECT_NE(rEW(0), 0.0);
}

TEST_F(Correlation, FailsOnlyWhereTheFigureDoesNotExist)
{
    // All paired values equal at every shift: no r anywhere, a constant variable.
    fill({{3, 3, 3}, {3, 3, 3}, {3, 3, 3}});
    expectFailure<EqualValuesFailure>([&] { Correlation_EW(store); }, Invalid);
    EXPECT_EQ(pairsEW(0), 0);  // the figures were cleared before the fault
    // Equal values whose sum is not a multiple of them (0.1 added nine times is not 0.9):
    // still no spread.
    fill({{0.1, 0.1, 0.1}, {0.1, 0.1, 0.1}, {0.1, 0.1, 0.1}});
    expectFailure<FloatFailure>([&] { Correlation_NS(store); }, Invalid);

    // Squares of the deviations beyond the double range.
    fill({{1e160, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    expectFailure<FloatFailure>([&] { Correlation_NS(store); }, Overflow);

    // Values that single precision could not tell apart have an r like any others.
    fill({{1845.0001, 1845.0001, 1845.0001}, {1845, 1845.0001, 1845.0001}, {1845, 1845.0001, 1845}});
    Correlation_EW(store);
    EXPECT_EQ(rEW(0), 1.0);
    // Two levels: r is that of the same pairs written 0 and 1, (1,0) (1,1) (1,1) (0,0) (1,1) (1,0).
    EXPECT_NEAR(rEW(1), 0.4472135954999579, 1e-12);
}

TEST_F(Correlation, AShiftWithoutRLeavesTheOthersStanding)
{
    // Rows IY = 1 and 2 hold one value: east-west shift 2 pairs them alone as first cells,
    // so it has no r, while shifts 0 and 1 have one (numpy's corrcoef on the same pairs).
    fill({{2, 2, 2, 2}, {2, 2, 2, 2}, {5, 1, 7, 3}, {4, 9, 2, 6}});
    leaveStaleFigures();
    calculate();
    EXPECT_EQ(rEW(0), 1.0);
    EXPECT_NEAR(rEW(1), -0.2404407483433858, 1e-15);
    EXPECT_EQ(pairsEW(1), 12);
    EXPECT_EQ(rEW(2), 0.0);
    EXPECT_EQ(pairsEW(2), 0);
    EXPECT_NEAR(rNS(1), -0.15054930866537594, 1e-15);
    EXPECT_NEAR(rNS(2), 0.7517147131439387, 1e-15);
    const std::vector<Shift>& eastWest = store.result.eastWest;
    EXPECT_TRUE(eastWest[2].equalValues && !eastWest[2].r);
    EXPECT_FALSE(eastWest[1].equalValues || eastWest[3].equalValues);  // shift 3: too few pairs

    // A crossed correlogram whose second variable is constant has no r anywhere.
    fill({{2, 2, 2, 2}, {2, 2, 2, 2}, {5, 1, 7, 3}, {4, 9, 2, 6}});
    auto constant = std::make_unique<Grid>(4);
    for (int ix = 1; ix <= 4; ++ix)
        for (int iy = 1; iy <= 4; ++iy)
            (*constant)[ix][iy] = {7.0, 1, 1};
    std::vector<Shift> shifts;
    expectFailure<EqualValuesFailure>([&] { correlate(Direction::EastWest, store.Grille, *constant, shifts); },
                                      Invalid);
}

// Every point enters the correlograms: whichever point's value changes, some r changes
// with it, at every N from 3 (N = 1 and 2 never have 5 pairs) to 30; 300 points spread
// evenly, points exactly at the extremes among them.
TEST_F(Correlation, EveryPointsValueMovesSomeR)
{
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    scatter(300, random, [&](int i, int) { return i == 1 ? 0.0 : i == 2 ? 1.0 : unit(random); });
    for (int n = 3; n <= MaxMailles; ++n) {
        store.NBMailles = n;
        Calcul_Mailles(store);
        const auto before = figures();
        for (int i = 1; i <= 300; ++i) {
            const double value = store.Donnees[i][1];
            store.Donnees[i][1] = value + 10;
            ASSERT_NE(figures(), before) << "N = " << n << ", point " << i;
            store.Donnees[i][1] = value;
        }
    }
}

// Coordinates written with 15 or with 17 significant digits are the same points: each
// falls in the same cell, the one at the maximum included, so the figures are the same.
TEST_F(Correlation, FifteenOrSeventeenDigitsGiveTheSameFigures)
{
    std::mt19937_64 random(9);
    std::uniform_real_distribution<double> lon(5.7, 6.1), lat(45.1, 45.4);
    std::vector<double> full(2 * 200 + 2);
    scatter(200, random, [&](int i, int axis) { return full[2 * i + axis - 1] = axis == 1 ? lon(random) : lat(random); });
    auto write = [&](int digits) {
        for (int i = 1; i <= 200; ++i)
            for (const int axis : {1, 2}) {
                char text[40];
                std::snprintf(text, sizeof text, "%.*g", digits, full[2 * i + axis - 1]);
                store.Coord[i][axis] = std::strtod(text, nullptr);
            }
    };
    for (int n = 1; n <= MaxMailles; ++n) {
        store.NBMailles = n;
        write(17);
        Calcul_Mailles(store);
        const auto precise = figures();
        write(15);
        Calcul_Mailles(store);
        const auto rounded = figures();
        ASSERT_EQ(precise.size(), rounded.size());
        for (std::size_t k = 0; k < precise.size(); ++k) {
            ASSERT_EQ(precise[k].has_value(), rounded[k].has_value()) << "N = " << n << ", figure " << k;
            if (precise[k]) {
                ASSERT_NEAR(*precise[k], *rounded[k], 1e-12) << "N = " << n << ", figure " << k;
            }
        }
    }
}

// The same field as clay %, as an altitude, a price, a pressure in pascals, in another unit
// and negated: 600 points on a 20 x 20 grid, the whole path from the points.
TEST_F(Correlation, RIsPearsonsRWhateverTheOffsetUnitOrSign)
{
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    store.NBPoints = 600;
    store.NBVar = 6;
    for (int i = 1; i <= 600; ++i) {
        const double x = 1000 * unit(random), y = 1000 * unit(random);
        const double clay = 25 + 8 * std::sin(x / 90) * std::cos(y / 140) + 3 * (unit(random) - 0.5);
        store.Coord[i][1] = x;
        store.Coord[i][2] = y;
        const double values[] = {clay, clay + 1800, clay * 1000 + 250000, clay + 101300, clay * 0.3048, -clay};
        for (int v = 1; v <= 6; ++v)
            store.Donnees[i][v] = values[v - 1];
    }
    store.NBMailles = 20;
    Calcul_Mailles(store);

    // Pearson's r of each shift's pairs, computed apart: textbook two passes in extended
    // precision over the pairs listed from the grid.
    auto reference = [&](Direction direction, int k) {
        std::vector<long double> x, y;
        for (int b = 1; b <= 20 - k; ++b)
            for (int a = 1; a <= 20; ++a) {
                const TCellule& c = direction == Direction::EastWest ? store.Grille[a][b] : store.Grille[b][a];
                const TCellule& d = direction == Direction::EastWest ? store.Grille[a][b + k] : store.Grille[b + k][a];
                if (c.Remplie && d.Remplie) {
                    x.push_back(c.Somme);
                    y.push_back(d.Somme);
                }
            }
        long double mx = 0, my = 0, sxx = 0, syy = 0, sxy = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            mx += x[i] / x.size();
            my += y[i] / y.size();
        }
        for (std::size_t i = 0; i < x.size(); ++i) {
            sxx += (x[i] - mx) * (x[i] - mx);
            syy += (y[i] - my) * (y[i] - my);
            sxy += (x[i] - mx) * (y[i] - my);
        }
        return static_cast<double>(sxy / std::sqrt(sxx * syy));
    };

    std::vector<double> clay;
    for (std::uint8_t v = 1; v <= 6; ++v) {
        store.Num_Var = v;
        Remplit_Grille(store);
        calculate();
        EXPECT_EQ(rEW(0), 1.0);
        EXPECT_EQ(rNS(0), 1.0);
        std::vector<double> r;
        for (int k = 1; k <= 18; ++k) {
            if (pairsEW(k) >= 5) {
                EXPECT_NEAR(rEW(k), reference(Direction::EastWest, k), 1e-12) << "variable " << int(v) << ", E_W " << k;
            }
            if (pairsNS(k) >= 5) {
                EXPECT_NEAR(rNS(k), reference(Direction::NorthSouth, k), 1e-12) << "variable " << int(v) << ", N_S " << k;
            }
            r.insert(r.end(), {rEW(k), rNS(k)});
        }
        if (v == 1)
            clay = r;
        else if (v == 6)
            EXPECT_EQ(r, clay);  // negated: the same figures to the last bit
        else
            for (std::size_t i = 0; i < r.size(); ++i)
                ASSERT_NEAR(r[i], clay[i], 1e-9) << "variable " << int(v) << ", figure " << i;
    }
    EXPECT_GT(clay[0], 0.5);  // a structured field, not noise
}

TEST(ZeroCrossing, FirstFallFromPositiveToNegativeBetweenShiftsWithAnR)
{
    auto shifts = [](std::vector<std::optional<double>> r) {
        std::vector<Shift> all(r.size());
        for (std::size_t k = 0; k < r.size(); ++k) {
            all[k].vector = {0, static_cast<std::int32_t>(k)};
            all[k].distanceY = 10.0 * static_cast<double>(k);
            all[k].r = r[k];
        }
        return all;
    };
    // Over a shift without r; after a rise from below 0; onto 0 exactly; never.
    EXPECT_EQ(firstZeroCrossing(shifts({1, 0.5, std::nullopt, -0.5})), 20.0);
    EXPECT_EQ(firstZeroCrossing(shifts({-0.25, 0.5, -0.75, 0.5, -0.5})), 14.0);
    EXPECT_EQ(firstZeroCrossing(shifts({1, 0.5, 0})), 20.0);
    EXPECT_EQ(firstZeroCrossing(shifts({1, 0.5, std::nullopt, 0.25})), std::nullopt);
}

}  // namespace
}  // namespace geolago::testing
