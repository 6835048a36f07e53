// Placement of the points in the grid and aggregation of a variable per cell.

#include "analysis.h"
#include "numbertext.h"
#include "reader.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Grid : public StoreTest {
protected:
    // Points (x, y, value of variable 1), then placement with `cells` per axis.
    void place(std::initializer_list<std::array<double, 3>> points, int cells)
    {
        store.NBPoints = 0;
        store.NBVar = 1;
        for (const auto& p : points) {
            ++store.NBPoints;
            store.Coord[store.NBPoints][1] = p[0];
            store.Coord[store.NBPoints][2] = p[1];
            store.Donnees[store.NBPoints][1] = p[2];
        }
        store.NBMailles = cells;
        Calcul_Mailles(store);
    }
    void aggregate()
    {
        store.Num_Var = 1;
        Remplit_Grille(store);
    }
};

TEST_F(Grid, EveryPointFallsInACellOfIndexOneToN)
{
    // The extended-precision quotient of the extent by the rounded cell width is just
    // below N for these N: the point at the maximum still belongs in cell N.
    for (int n = 1; n <= MaxMailles; ++n) {
        place({{0, 0, 0}, {1, 1, 0}}, n);
        EXPECT_EQ(store.Maille_Point[2].IX, n) << "N = " << n;
        EXPECT_EQ(store.Maille_Point[2].IY, n) << "N = " << n;
        EXPECT_EQ(store.Maille_Point[1].IX, 1);
        EXPECT_EQ(store.Maille_Point[1].IY, 1);
    }
}

TEST_F(Grid, ExtentAndIndices)
{
    place({{0, 5, 0}, {0.95, 7, 0}, {1, 6, 0}, {0.5, 5, 0}, {1, 5.5, 0}}, 10);
    EXPECT_EQ(store.XMin, 0.0);
    EXPECT_EQ(store.XMax, 1.0);
    EXPECT_EQ(store.YMin, 5.0);
    EXPECT_EQ(store.YMax, 7.0);
    EXPECT_EQ(store.Maille_Point[2].IX, 10);  // 0.95 and 1 share the last cell
    EXPECT_EQ(store.Maille_Point[3].IX, 10);
    EXPECT_EQ(store.Maille_Point[5].IX, 10);
    EXPECT_EQ(store.Maille_Point[4].IX, 5);  // 0.5 over a width a little above 0.1
    EXPECT_EQ(store.Maille_Point[2].IY, 10);
    EXPECT_EQ(store.Maille_Point[4].IY, 1);

    place({{0, 0, 0}, {0.75, 0.25, 0}, {1, 1, 0}}, 4);  // width exactly 0.25
    EXPECT_EQ(store.Maille_Point[2].IX, 4);  // a quotient of 3 opens cell 4
    EXPECT_EQ(store.Maille_Point[2].IY, 2);
    EXPECT_EQ(store.Maille_Point[3].IX, 4);  // and 4 stays in it
}

TEST_F(Grid, NoPointsTakesTheExtentFromPointOne)
{
    store.Coord[1][1] = 3.5;
    store.Coord[1][2] = -2;
    store.Maille_Point[1] = {7, 8};
    store.NBPoints = 0;
    store.NBMailles = 10;
    Calcul_Mailles(store);
    EXPECT_EQ(store.XMin, 3.5);
    EXPECT_EQ(store.XMax, 3.5);
    EXPECT_EQ(store.YMax, -2.0);
    EXPECT_EQ(store.Maille_Point[1].IX, 7);
}

TEST_F(Grid, ZeroCellWidthIsAnInvalidOperation)
{
    expectFailure<FloatFailure>([&] { place({{2, 3, 0}}, 10); }, Invalid);
    EXPECT_EQ(store.XMin, 2.0);
    EXPECT_EQ(store.YMax, 3.0);

    // Shared X: no point placed; shared Y: point 1 gets its new IX only.
    store.Maille_Point[1] = {-1, -1};
    expectFailure<FloatFailure>([&] { place({{2, 0, 0}, {2, 1, 0}}, 10); }, Invalid);
    EXPECT_EQ(store.Maille_Point[1].IX, -1);
    expectFailure<FloatFailure>([&] { place({{0, 4, 0}, {1, 4, 0}}, 10); }, Invalid);
    EXPECT_EQ(store.Maille_Point[1].IX, 1);
    EXPECT_EQ(store.Maille_Point[1].IY, -1);
    EXPECT_EQ(store.Maille_Point[2].IX, 0);  // not written
}

TEST_F(Grid, FaultsOfTheCellWidth)
{
    expectFailure<FloatFailure>([&] { place({{0, 0, 0}, {1, 1, 0}}, 0); }, DivisionByZero);
    expectFailure<FloatFailure>([&] { place({{0, 0, 0}, {0, 1, 0}}, 0); }, Invalid);
    expectFailure<FloatFailure>([&] { place({{-1.7e308, 0, 0}, {1.7e308, 1, 0}}, 1); }, Overflow);
    EXPECT_EQ(store.XMax, 1.7e308);
}

TEST_F(Grid, SubnormalCellWidthNeverPlacesAPointBeyondTheLastCell)
{
    // 31 units of the smallest subnormal over 30 cells: the width rounds to one unit, and
    // the quotient of the point at the maximum would be 31.
    const double unit = 4.9406564584124654e-324;
    place({{0, 0, 0}, {31 * unit, 31 * unit, 0}}, 30);
    EXPECT_EQ(store.Maille_Point[2].IX, 30);
    EXPECT_EQ(store.Maille_Point[2].IY, 30);
    aggregate();
    EXPECT_EQ(store.Grille[30][30].Nb, 1u);
}

TEST_F(Grid, MeansAndFillRate)
{
    place({{0, 0, 1}, {0.01, 0.01, 2}, {0.02, 0, 6}, {1, 1, 5}, {0.55, 0.55, -4}, {0.56, 0.56, 4}}, 10);
    aggregate();
    EXPECT_EQ(store.Grille[1][1].Nb, 3u);
    EXPECT_EQ(store.Grille[1][1].Somme, 3.0);
    EXPECT_EQ(store.Grille[10][10].Somme, 5.0);
    EXPECT_EQ(store.Grille[6][6].Remplie, 1);  // filled though its values sum to zero
    EXPECT_EQ(store.Grille[6][6].Somme, 0.0);
    EXPECT_EQ(store.Grille[2][2].Remplie, 0);
    EXPECT_EQ(store.Grille[0][0].Remplie, 0);
    EXPECT_EQ(store.PourCent, 3.0);  // 3 of 100 cells

    // Another variable: same pattern, other sums.
    for (int i = 1; i <= store.NBPoints; ++i)
        store.Donnees[i][2] = 10 * i;
    store.Num_Var = 2;
    Remplit_Grille(store);
    EXPECT_EQ(store.Grille[1][1].Somme, 20.0);
    EXPECT_EQ(store.Grille[1][1].Nb, 3u);
    EXPECT_EQ(store.PourCent, 3.0);
}

TEST_F(Grid, FillRateIsTheShareOfTheNByNCells)
{
    place({{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}, 1);
    aggregate();
    EXPECT_EQ(store.PourCent, 100.0);  // four points, one cell
    EXPECT_EQ(store.Grille[1][1].Nb, 4u);

    place({{0, 0, 1}, {1, 1, 1}}, 3);
    aggregate();
    EXPECT_EQ(writeReal(store.PourCent, "."), "22.2222222222222");  // 2 of 9

    store.NBPoints = 0;
    aggregate();
    EXPECT_EQ(store.PourCent, 0.0);
    EXPECT_EQ(store.Grille[1][1].Remplie, 0);
}

TEST_F(Grid, AggregationClearsOnlyTheCellsOfTheCurrentGrid)
{
    store.Grille[15][15] = {7.0, 2, 1};
    place({{0, 0, 1}, {1, 1, 1}}, 10);
    aggregate();
    aggregate();  // a second run starts from clean cells
    EXPECT_EQ(store.Grille[1][1].Nb, 1u);
    EXPECT_EQ(store.Grille[15][15].Somme, 7.0);
}

TEST_F(Grid, OneCellTakesEveryPoint)
{
    store.NBPoints = MaxPoints;
    store.NBVar = 1;
    for (int i = 1; i <= MaxPoints; ++i) {
        store.Coord[i][1] = i;
        store.Coord[i][2] = i;
        store.Donnees[i][1] = i;
    }
    store.NBMailles = 1;
    Calcul_Mailles(store);
    aggregate();
    EXPECT_EQ(store.Grille[1][1].Nb, 1000u);
    EXPECT_EQ(store.Grille[1][1].Somme, 500.5);  // (1 + ... + 1000) / 1000
}

TEST_F(Grid, SumBeyondTheDoubleRangeOverflows)
{
    place({{0, 0, 1e308}, {1, 1, 3}, {0, 0, 1e308}}, 2);
    store.Num_Var = 1;
    expectFailure<FloatFailure>([&] { Remplit_Grille(store); }, Overflow);
    // The sums are formed apart: no cell is left holding a sum where its mean belongs.
    EXPECT_EQ(store.Grille[1][1].Somme, 0.0);
    EXPECT_EQ(store.Grille[2][2].Somme, 0.0);
    EXPECT_EQ(store.Grille[2][2].Nb, 0u);
}

TEST_F(Grid, EachStepRunsOnlyOnTheTablesOfTheDataInTheStore)
{
    const std::string cellsFirst = "Les points ne sont pas placés dans les mailles : validez le nombre de mailles";
    const std::string gridFirst = "La grille n'est pas remplie pour ces mailles : validez la variable";
    expectFailure<StepFailure>([&] { aggregate(); }, cellsFirst);
    expectFailure<StepFailure>([&] { Correlation_EW(store); }, gridFirst);
    place({{0, 0, 1}, {0, 1, 2}, {1, 0, 3}, {1, 1, 5}, {0.5, 0.5, 8}, {0.2, 0.7, 13}}, 2);
    aggregate();
    Correlation_EW(store);
    Correlation_NS(store);
    EXPECT_TRUE(store.current.cellsPlaced && store.current.gridFilled && store.current.calculated);

    // A reading outdates everything, even one that fails to open its file; new cells
    // outdate the grid and the calculation.
    EXPECT_THROW(Lit_Data(store, pathOf("absent.txt"), false), IoFailure);
    EXPECT_FALSE(store.current.cellsPlaced || store.current.gridFilled || store.current.calculated);
    expectFailure<StepFailure>([&] { aggregate(); }, cellsFirst);
    place({{0, 0, 1}, {1, 1, 2}}, 3);
    aggregate();
    Calcul_Mailles(store);
    expectFailure<StepFailure>([&] { Correlation_NS(store); }, gridFirst);
}

}  // namespace
}  // namespace geolago::testing
