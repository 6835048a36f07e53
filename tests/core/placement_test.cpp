// The cell of every point against the checked truncation of its quotient, on exact
// quotients (whole numbers and halves, where rounding and truncation part) and on random
// points.

#include <random>

#include "analysis.h"
#include "extended.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Placement : public StoreTest {
protected:
    // Places the points and compares each index with its definition.
    void expectIndicesAsDefined(const std::string& context)
    {
        Calcul_Mailles();
        const double widthX = toDouble(divide(static_cast<Ext>(XMax) - XMin, NBMailles));
        const double widthY = toDouble(divide(static_cast<Ext>(YMax) - YMin, NBMailles));
        for (int i = 1; i <= NBPoints; ++i) {
            auto index = [&](double v, double min, double width) {
                const std::int32_t raw = low32(truncToInt64(divide(static_cast<Ext>(v) - min, width)));
                return raw > NBMailles ? NBMailles : raw;
            };
            ASSERT_EQ(Maille_Point[i].IX, index(Coord[i][1], XMin, widthX)) << context << " point " << i;
            ASSERT_EQ(Maille_Point[i].IY, index(Coord[i][2], YMin, widthY)) << context << " point " << i;
        }
    }
};

TEST_F(Placement, WholeAndHalfQuotientsTruncate)
{
    // Cells of width 1/8 over 0..N/8 (exact): the points at k/16 have quotients k/2.
    for (int n = 1; n <= MaxMailles; ++n) {
        NBMailles = n;
        NBPoints = 2 * n + 1;
        for (int k = 0; k <= 2 * n; ++k) {
            Coord[k + 1][1] = k / 16.0;
            Coord[k + 1][2] = (2 * n - k) / 16.0;
        }
        expectIndicesAsDefined("N = " + std::to_string(n));
        if (n >= 2) {
            EXPECT_EQ(Maille_Point[4].IX, 1);  // 3/16 over 1/8: 1.5
        }
        EXPECT_EQ(Maille_Point[2 * n + 1].IX, n);
    }
}

TEST_F(Placement, RandomPointsTakeTheCellsOfTheirQuotients)
{
    std::mt19937_64 random(11);
    for (int round = 0; round < 200; ++round) {
        NBMailles = 1 + static_cast<int>(random() % MaxMailles);
        NBPoints = 2 + static_cast<int>(random() % (MaxPoints - 1));
        const double scale = std::ldexp(1.0, static_cast<int>(random() % 200) - 100);
        std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
        for (int i = 1; i <= NBPoints; ++i) {
            Coord[i][1] = scale * coordinate(random);
            Coord[i][2] = scale * coordinate(random) * 1e3;
        }
        expectIndicesAsDefined("round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace geolago::testing
