// The correlogram map: its axes against the two correlograms, its figures and its test
// against an independent computation, and the anisotropy of fields of known shape.

#include <cmath>
#include <cstring>
#include <numbers>

#include "analysis.h"
#include "correlogram_map.h"
#include "reader.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

bool sameBits(const std::optional<double>& a, const std::optional<double>& b)
{
    const double x = a.value_or(-9), y = b.value_or(-9);
    return a.has_value() == b.has_value() && std::memcmp(&x, &y, sizeof x) == 0;
}

class Map : public StoreTest {};

TEST_F(Map, AxesAreTheTwoCorrelogramsOnAnyNumberOfThreads)
{
    readExample();
    // 3000 permutations of the 219 vectors with an r are more than are kept at once: the
    // crossed map is tested in two parts. A crossed map is tested under either null, with
    // the correlograms' own shuffles or translations.
    for (const auto& [second, null] : {std::pair{0, Null::Shuffle}, std::pair{1, Null::Shuffle},
                                       std::pair{1, Null::Toroidal}}) {
        const SignificanceRequest request{
            .first = 5, .second = second, .permutations = 3000, .seed = 3, .threads = 2, .crossNull = null};
        Correlogram correlogram = computeCorrelogram(store, 5, second);
        testSignificance(store, correlogram, request);
        CorrelogramMap map = computeCorrelogramMap(store, 5, second, 9);
        testCorrelogramMap(store, map, request);
        ASSERT_EQ(map.maxShift, 9);
        EXPECT_EQ(map.fill, correlogram.fill);
        // The heading names the test: 99 translations of the 10 x 10 torus, or 3000 shuffles.
        EXPECT_TRUE(map.testNull == null && map.permutationsMade == (null == Null::Toroidal ? 99 : 3000));
        const bool crossed = second != 0;
        for (const Direction direction : {Direction::EastWest, Direction::NorthSouth})
            for (std::int32_t k = 0; k <= lastShift(direction, 10); ++k) {
                const Shift& shift = correlogram.of(direction)[static_cast<std::size_t>(k)];
                const ShiftVector v = shiftVector(direction, k);
                const std::string where = (crossed ? "crossed " : "") + std::string(k == 0 ? "origin" : "shift ")
                    + std::to_string(k) + (direction == Direction::EastWest ? " E_W" : " N_S");
                for (const int sign : {1, -1}) {
                    if (crossed && sign < 0)
                        break;
                    const Shift& cell = map.at(sign * v.dx, sign * v.dy);
                    EXPECT_TRUE(sameBits(cell.r, shift.r)) << where;
                    EXPECT_EQ(cell.pairs, shift.pairs) << where;
                    EXPECT_EQ(sign * (direction == Direction::EastWest ? cell.distanceY : cell.distanceX), shift.distance())
                        << where;
                    if (k == 0 && !crossed) {
                        EXPECT_EQ(cell.permutationsUsed, 0) << "the origin of an auto-correlogram is not tested";
                        continue;
                    }
                    EXPECT_EQ(cell.permutationsUsed, shift.permutationsUsed) << where;
                    EXPECT_TRUE(sameBits(cell.low, shift.low)) << where;
                    EXPECT_TRUE(sameBits(cell.high, shift.high)) << where;
                    EXPECT_EQ(cell.p.has_value(), shift.r.has_value()) << where;
                    EXPECT_EQ(cell.pHolm.has_value(), shift.r.has_value()) << where;
                    EXPECT_TRUE(cell.pFwer >= cell.p) << where;
                }
            }

        // On one thread, and in one part or in parts of 50 vectors, whose maxT is counted
        // from a second run of the permutations.
        SignificanceRequest oneThread = request;
        oneThread.threads = 1;
        const std::size_t made = null == Null::Toroidal && second != 0 ? 99 : 3000;
        for (const std::size_t keptAtOnce : {std::size_t{1} << 30, 50 * made}) {
            CorrelogramMap alone = computeCorrelogramMap(store, 5, second, 9);
            testCorrelogramMap(store, alone, oneThread, keptAtOnce);
            for (std::size_t i = 0; i < map.vectors.size(); ++i) {
                EXPECT_TRUE(sameBits(alone.vectors[i].p, map.vectors[i].p)) << i;
                EXPECT_TRUE(sameBits(alone.vectors[i].pHolm, map.vectors[i].pHolm)) << i;
                EXPECT_TRUE(sameBits(alone.vectors[i].pFwer, map.vectors[i].pFwer)) << i;
                EXPECT_TRUE(sameBits(alone.vectors[i].low, map.vectors[i].low)) << i;
            }
        }
    }
}

// Figures of numpy's corrcoef on the same pairs, the grid placed in extended precision.
TEST_F(Map, FiguresOfAnIndependentComputation)
{
    readExample();
    const CorrelogramMap social = computeCorrelogramMap(store, 5, 0, 99);
    ASSERT_EQ(social.maxShift, 9);
    ASSERT_EQ(social.vectors.size(), 19u * 19u);
    const struct {
        std::int32_t dx, dy;
        double r;
        std::int32_t pairs;
    } expected[] = {{2, 3, -0.8264025599606579, 22}, {-3, 2, -0.6405339834088128, 24},
                    {1, -1, -0.019625293883962287, 38}, {4, 4, 0.6351389001707926, 15}};
    for (const auto& e : expected) {
        EXPECT_NEAR(*social.at(e.dx, e.dy).r, e.r, 1e-14) << e.dx << ", " << e.dy;
        EXPECT_EQ(social.at(e.dx, e.dy).pairs, e.pairs) << e.dx << ", " << e.dy;
        EXPECT_TRUE(sameBits(social.at(-e.dx, -e.dy).r, social.at(e.dx, e.dy).r));
    }
    EXPECT_EQ(social.at(-3, 2).distanceX, -1032.75);
    EXPECT_EQ(social.at(-3, 2).distanceY, 664.56);
    EXPECT_NEAR(*social.anisotropy.direction, 89.582078, 1e-6);
    EXPECT_NEAR(*social.anisotropy.ratio, 16.236437, 1e-6);

    const CorrelogramMap crossed = computeCorrelogramMap(store, 1, 5, 9);
    EXPECT_NEAR(*crossed.at(2, -1).r, 0.5842415356907891, 1e-14);
    EXPECT_NEAR(*crossed.at(-1, 3).r, -0.3134804202061496, 1e-14);
    EXPECT_NEAR(*crossed.at(0, 0).r, -0.017786263661712057, 1e-14);
    EXPECT_EQ(crossed.at(0, 0).pairs, 71);
    EXPECT_FALSE(crossed.anisotropy.ratio) << "r(0, 0) is below 0.5: no region";
}

TEST(MapTest, EqualTailedPAndHolmsAdjustment)
{
    // numpy: the counts, and quantile() with its linear interpolation.
    const std::vector<double> permuted = {0.1, 0.5, 0.3, -0.2, 0.7, 0.3, -0.9, 0.05, 0.6};
    std::vector<double> values = permuted;
    const ShiftTest high = equalTailedTest(0.65, values);
    EXPECT_EQ(high.permutationsUsed, 9);
    EXPECT_EQ(*high.p, 0.4);
    EXPECT_NEAR(*high.low, -0.76, 1e-15);
    EXPECT_NEAR(*high.high, 0.68, 1e-15);
    values = permuted;
    EXPECT_EQ(*equalTailedTest(0.3, values).p, 1.0) << "2 x 6 / 10, at most 1";
    values = permuted;
    EXPECT_EQ(*equalTailedTest(-0.9, values).p, 0.4) << "the lower tail, ties counting";
    values.clear();
    EXPECT_FALSE(equalTailedTest(0.5, values).p);

    const std::vector<double> holm = holmAdjusted({0.01, 0.04, 0.03, 0.005, 0.5, 0.04});
    EXPECT_EQ(holm, (std::vector<double>{0.05, 0.12, 0.12, 0.03, 0.5, 0.12}));
}

// One anisotropic Gaussian bump, at the points (x, y) = 0..30 x 0..30, one per cell of
// N = 30: its correlogram is the Gaussian of the same axes.
TEST_F(Map, AnisotropyOfGaussianBumpsIsRecovered)
{
    store.NBPoints = 31 * 31;
    store.NBVar = 1;
    store.NBMailles = 30;
    const struct {
        double degrees, along, across;
    } bumps[] = {{0, 3, 1.5}, {30, 3, 1.5}, {75, 3.6, 1.2}, {120, 3.6, 1.2}, {160, 4, 2}, {45, 2.4, 2.4}};
    for (const auto& bump : bumps) {
        const double angle = bump.degrees * std::numbers::pi / 180;
        for (int x = 0; x <= 30; ++x)
            for (int y = 0; y <= 30; ++y) {
                const int i = x * 31 + y + 1;
                store.Coord[i][1] = x;
                store.Coord[i][2] = y;
                const double u = (x - 15.5) * std::cos(angle) + (y - 15.5) * std::sin(angle);
                const double v = -(x - 15.5) * std::sin(angle) + (y - 15.5) * std::cos(angle);
                store.Donnees[i][1] = std::exp(-(u * u / (bump.along * bump.along) + v * v / (bump.across * bump.across)) / 2);
            }
        Calcul_Mailles(store);
        const Anisotropy found = computeCorrelogramMap(store, 1, 0, 10).anisotropy;
        const std::string where = "bump at " + std::to_string(bump.degrees) + " degrees";
        ASSERT_TRUE(found.ratio) << where;
        EXPECT_NEAR(*found.ratio / (bump.along / bump.across), 1, 0.1) << where;
        if (bump.along == bump.across)
            continue;
        ASSERT_TRUE(found.direction) << where;
        EXPECT_NEAR(*found.direction, bump.degrees, 5) << where;  // from 0 to 180: 160, not -20
    }
}

}  // namespace
}  // namespace geolago::testing
