// The cell of every point against its plain definition, the checked truncation of its
// quotient, on exact quotients (whole numbers and halves, where rounding and truncation
// part) and on random points.

#include <cmath>
#include <random>
#include <vector>

#include "analysis.h"
#include "plain_definitions.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Placement : public StoreTest {
protected:
    // Places the points and compares each index with its definition.
    void expectIndicesAsDefined(const std::string& context)
    {
        Calcul_Mailles(store);
        const double cellWidthX = plain::cellWidth(store.XMin, store.XMax, store.NBMailles);
        const double cellWidthY = plain::cellWidth(store.YMin, store.YMax, store.NBMailles);
        auto index = [&](double v, double min, double cellWidth) {
            return plain::cellIndex(static_cast<Ext>(v) - min, cellWidth, store.NBMailles);
        };
        for (int i = 1; i <= store.NBPoints; ++i) {
            ASSERT_EQ(store.Maille_Point[i].IX, index(store.Coord[i][1], store.XMin, cellWidthX)) << context << " point " << i;
            ASSERT_EQ(store.Maille_Point[i].IY, index(store.Coord[i][2], store.YMin, cellWidthY)) << context << " point " << i;
        }
    }
};

TEST_F(Placement, WholeAndHalfQuotientsTruncate)
{
    // Cells of width 1/8 over 0..N/8 (exact): the points at k/16 have quotients k/2.
    for (int n = 1; n <= MaxMailles; ++n) {
        store.NBMailles = n;
        store.NBPoints = 2 * n + 1;
        for (int k = 0; k <= 2 * n; ++k) {
            store.Coord[k + 1][1] = k / 16.0;
            store.Coord[k + 1][2] = (2 * n - k) / 16.0;
        }
        expectIndicesAsDefined("N = " + std::to_string(n));
        if (n >= 2) {
            EXPECT_EQ(store.Maille_Point[4].IX, 2);  // 3/16 over 1/8: 1.5, in the second cell
            EXPECT_EQ(store.Maille_Point[3].IX, 2);  // 2/16 over 1/8: 1, the second cell opens
        }
        EXPECT_EQ(store.Maille_Point[2 * n + 1].IX, n);
    }
}

TEST_F(Placement, RandomPointsTakeTheCellsOfTheirQuotients)
{
    std::mt19937_64 random(11);
    for (int round = 0; round < 200; ++round) {
        store.NBMailles = 1 + static_cast<int>(random() % MaxMailles);
        store.NBPoints = 2 + static_cast<int>(random() % (MaxPoints - 1));
        const double scale = std::ldexp(1.0, static_cast<int>(random() % 200) - 100);
        std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
        for (int i = 1; i <= store.NBPoints; ++i) {
            store.Coord[i][1] = scale * coordinate(random);
            store.Coord[i][2] = scale * coordinate(random) * 1e3;
        }
        expectIndicesAsDefined("round " + std::to_string(round));
    }
}

// Placement works in double precision and lets extended precision decide near a cell
// boundary: points on every boundary and one to three steps of the double grid on either
// side, on extents from 1e-300 to 1e300 wide, near 0 and far from it (where the offsets
// are rounded), for N up to 4096, each in the cell of its definition.
TEST_F(Placement, PointsOnAndNextToCellBoundariesAsDefined)
{
    for (const double width : {1e-300, 3e-9, 1.0, 12000.0, 7.5e15, 1e300})
        for (const double start : {0.0, -0.3, 1e6, -123456.789e3})
            for (const int n : {1, 7, 30, 1000, 4096}) {
                const double min = start * width, max = min + width;
                if (!(max > min))
                    continue;
                store.NBMailles = n;
                std::vector<double> xs{min, max};
                const double cellWidth = plain::cellWidth(min, max, n);
                for (int k = 0; k <= n; k += 1 + n / 200) {
                    double on = min + k * cellWidth;
                    for (int step = 0; step < 3; ++step) {
                        xs.push_back(on);
                        on = std::nextafter(on, -HUGE_VAL);
                    }
                    on = min + k * cellWidth;
                    for (int step = 0; step < 3; ++step)
                        xs.push_back(on = std::nextafter(on, HUGE_VAL));
                }
                std::erase_if(xs, [&](double x) { return x < min || x > max; });
                store.NBPoints = static_cast<int>(xs.size());
                store.reserve(store.NBPoints, 0);
                for (std::size_t i = 0; i < xs.size(); ++i) {
                    store.Coord[static_cast<int>(i) + 1][1] = xs[i];
                    store.Coord[static_cast<int>(i) + 1][2] = xs[xs.size() - 1 - i];
                }
                expectIndicesAsDefined("width " + std::to_string(width) + ", from " + std::to_string(min) + ", N = "
                                       + std::to_string(n));
            }
    // Among these are quotients on one side of a whole number in double precision and on
    // the other in extended precision: the double path alone, or with a margin of d 2^-56,
    // misplaces some of them.
}

}  // namespace
}  // namespace geolago::testing
