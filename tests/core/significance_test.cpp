// Correlograms with a permutation test: the observed figures against the analysis steps,
// the permuted figures against the plain road (Remplit_Grille on a shuffled column, then
// each shift by its definition), the statistics on random and on structured data, and the
// figures on any number of threads.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <set>

#include "permutation.h"
#include "plain.h"
#include "reader.h"
#include "significance.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

using permutation::NoR;
constexpr Direction Both[] = {Direction::EastWest, Direction::NorthSouth};

bool sameBits(std::optional<double> a, std::optional<double> b)
{
    return a.has_value() == b.has_value() && (!a || std::memcmp(&*a, &*b, sizeof(double)) == 0);
}

// A uniform draw in [0, 1), the same with every standard library.
double uniform(std::mt19937_64& random)
{
    return static_cast<double>(random() >> 11) * 0x1.0p-53;
}

class Significance : public StoreTest {
protected:
    // The shipped example, 80 districts and 12 variables, placed with N = 10.
    void readExample()
    {
        store.NBPoints = 80;
        store.NBVar = 12;
        Lit_Data(store, GEOLAGO_EXAMPLES_DIR "/quartiers.txt", true);
        store.NBMailles = 10;
        Calcul_Mailles(store);
    }

    // Points (x, y) with `variables` columns of value(), placed with `cells` per axis.
    template <typename Value>
    void place(const std::vector<std::array<double, 2>>& points, int variables, int cells, Value value)
    {
        store.NBPoints = static_cast<std::int32_t>(points.size());
        store.NBVar = variables;
        for (int i = 1; i <= store.NBPoints; ++i) {
            store.Coord[i][1] = points[static_cast<std::size_t>(i - 1)][0];
            store.Coord[i][2] = points[static_cast<std::size_t>(i - 1)][1];
            for (int v = 1; v <= variables; ++v)
                store.Donnees[i][v] = value();
        }
        store.NBMailles = cells;
        Calcul_Mailles(store);
    }
    std::vector<std::array<double, 2>> scattered(std::mt19937_64& random, int points)
    {
        std::vector<std::array<double, 2>> at;
        for (int i = 0; i < points; ++i)
            at.push_back({100 * uniform(random), 70 * uniform(random)});
        return at;
    }
    // One point on each node of the lattice 0..N x 0..N, hence in each cell; point
    // x (N + 1) + y + 1 in cell [x][y].
    void lattice(int cells, std::mt19937_64& random)
    {
        std::vector<std::array<double, 2>> at;
        for (int x = 0; x <= cells; ++x)
            for (int y = 0; y <= cells; ++y)
                at.push_back({double(x), double(y)});
        place(at, 1, cells, [&] { return uniform(random); });
    }

    // Both grids the plain way, `column` holding the values of `second`.
    void plainGrids(std::uint8_t first, std::uint8_t second, const std::vector<double>& column,
                    geolago::Grid& firstGrid, geolago::Grid& secondGrid)
    {
        auto copy = std::make_unique<Store>(store);
        for (int i = 1; i <= store.NBPoints; ++i)
            copy->Donnees[i][second] = column[static_cast<std::size_t>(i - 1)];
        copy->Num_Var = first;
        Remplit_Grille(*copy);
        firstGrid = copy->Grille;
        copy->Num_Var = second;
        Remplit_Grille(*copy);
        secondGrid = copy->Grille;
    }
    std::vector<double> column(std::uint8_t v)
    {
        std::vector<double> values;
        for (int i = 1; i <= store.NBPoints; ++i)
            values.push_back(store.Donnees[i][v]);
        return values;
    }

    // r of every shift, east-west then north-south, the plain way; NoR where it has none.
    std::vector<float> plainFigures(std::uint8_t first, std::uint8_t second, const std::vector<double>& values)
    {
        const std::int32_t n = store.NBMailles;
        std::vector<float> r(static_cast<std::size_t>(n + std::max(n - 1, 0)), NoR);
        auto grids = std::make_unique<geolago::Grid[]>(2);
        try {
            plainGrids(first, second, values, grids[0], grids[1]);
        } catch (const FloatFailure&) {
            return r;
        }
        auto out = r.begin();
        for (const Direction direction : Both)
            for (std::int32_t k = 0; k <= lastShift(direction, n); ++k, ++out)
                try {
                    const auto figures = plain::shiftFigures(direction, grids[0], grids[1], n, k);
                    *out = figures.pairs >= plain::MinPairs ? figures.r : NoR;
                } catch (const FloatFailure&) {
                }
        return r;
    }

    // The observed shifts of `result` against the plain definition: pairs, r bit for bit,
    // the fault, and no test.
    void expectObservedAsDefined(const geolago::Significance& result, std::uint8_t first, std::uint8_t second)
    {
        auto grids = std::make_unique<geolago::Grid[]>(2);
        plainGrids(first, second, column(second), grids[0], grids[1]);
        for (const Direction direction : Both) {
            ASSERT_EQ(std::ssize(result.of(direction)), lastShift(direction, store.NBMailles) + 1);
            for (std::int32_t k = 0; k <= lastShift(direction, store.NBMailles); ++k) {
                const ShiftSignificance& shift = result.of(direction)[static_cast<std::size_t>(k)];
                std::optional<double> r;
                std::optional<FloatFailure::Kind> fault;
                try {
                    const auto figures = plain::shiftFigures(direction, grids[0], grids[1], store.NBMailles, k);
                    EXPECT_EQ(shift.pairs, figures.pairs);
                    if (figures.pairs >= plain::MinPairs)
                        r = figures.r;
                } catch (const FloatFailure& failure) {
                    fault = failure.kind();
                }
                EXPECT_TRUE(sameBits(shift.r, r) && shift.fault == fault) << "shift " << k;
                EXPECT_TRUE(shift.used == 0 && !shift.p && !shift.low && !shift.high);
            }
        }
    }
};

TEST_F(Significance, ObservedFiguresAreThoseOfTheAnalysis)
{
    readExample();
    for (std::uint8_t v = 1; v <= 12; ++v) {
        const auto result = testSignificance(store, {.first = v});
        expectObservedAsDefined(result, v, v);
        // ... which are the tables Remplit_Grille and Correlation_EW / NS leave.
        store.Num_Var = v;
        Remplit_Grille(store);
        Correlation_EW(store);
        Correlation_NS(store);
        for (std::int32_t k = 0; k < 10; ++k) {
            const auto& eastWest = result.eastWest[static_cast<std::size_t>(k)];
            EXPECT_TRUE(eastWest.r.value_or(0.0) == store.R_EW[k] && (eastWest.r ? eastWest.pairs : 0) == store.Paires_EW[k]);
            if (k < 9) {
                const auto& northSouth = result.northSouth[static_cast<std::size_t>(k)];
                EXPECT_TRUE(northSouth.r.value_or(0.0) == store.R_NS[k]
                            && (northSouth.r ? northSouth.pairs : 0) == store.Paires_NS[k]);
            }
        }
        EXPECT_FALSE(result.eastWest[9].r);  // 4 pairs
    }

    // A square beyond single precision in cell [3][2]: the shifts whose pairs take that
    // cell fault, the others keep their r.
    std::mt19937_64 random(5);
    lattice(6, random);
    store.Donnees[3 * 7 + 2 + 1][1] = 1e20;
    const auto result = testSignificance(store, {.first = 1});
    expectObservedAsDefined(result, 1, 1);
    EXPECT_EQ(result.eastWest[4].fault, FloatFailure::Kind::Overflow);
    EXPECT_TRUE(result.eastWest[5].r && result.northSouth[4].r);
}

TEST_F(Significance, CrossCorrelograms)
{
    readExample();
    // Against a copy of itself, a variable takes the crossed road to its auto-correlogram.
    store.NBVar = 13;
    for (int i = 1; i <= 80; ++i)
        store.Donnees[i][13] = store.Donnees[i][7];
    const auto crossed = testSignificance(store, {.first = 7, .second = 13});
    const auto alone = testSignificance(store, {.first = 7, .second = 7});
    for (const Direction direction : Both)
        for (std::size_t k = 0; k < alone.of(direction).size(); ++k)
            EXPECT_TRUE(sameBits(crossed.of(direction)[k].r, alone.of(direction)[k].r)
                        && crossed.of(direction)[k].pairs == alone.of(direction)[k].pairs);
    // The cells of A paired with the cells of B k cells further.
    expectObservedAsDefined(testSignificance(store, {.first = 1, .second = 2}), 1, 2);
    expectObservedAsDefined(testSignificance(store, {.first = 2, .second = 1}), 2, 1);
}

TEST_F(Significance, PermutedFiguresAreThoseOfThePlainRoad)
{
    std::mt19937_64 random(11);
    permutation::Workspace workspace;
    for (int round = 0; round < 120; ++round) {
        const int cells = round % 10 == 0 ? MaxMailles : 2 + static_cast<int>(random() % 12);
        // Ordinary values; few distinct ones; squares beyond single precision; sums beyond
        // double precision in a cell.
        const int kind = static_cast<int>(random() % 4);
        place(scattered(random, 2 + static_cast<int>(random() % 400)), 2, cells, [&] {
            const double u = uniform(random);
            return kind == 1 ? std::floor(3 * u) : kind == 2 && u < 0.02 ? 3e19 : kind == 3 && u < 0.02 ? 1.5e308 : 1000 * u - 400;
        });
        for (const std::uint8_t first : {1, 2}) {  // crossed, then auto
            std::unique_ptr<permutation::Correlograms> prepared;
            try {
                prepared = std::make_unique<permutation::Correlograms>(store, first, 2);
            } catch (const FloatFailure&) {
                continue;  // A cannot be aggregated
            }
            auto values = prepared->secondColumn();
            std::vector<float> r(plainFigures(first, 2, values).size());
            auto draws = permutation::Random::forBlock(round, first);
            for (int p = 0; p < 6; ++p, permutation::shuffle(values, draws)) {
                prepared->figures(values, workspace, r);
                const auto expected = plainFigures(first, 2, values);
                ASSERT_EQ(std::memcmp(r.data(), expected.data(), r.size() * sizeof(float)), 0)
                    << "round " << round << ", N = " << cells << ", kind " << kind << ", permutation " << p;
            }
        }
    }
}

TEST_F(Significance, SameSeedSameFiguresOnAnyNumberOfThreads)
{
    readExample();
    auto run = [&](unsigned threads, std::uint64_t seed) {
        return testSignificance(store, {.first = 4, .second = 1, .permutations = 333, .seed = seed, .threads = threads});
    };
    const auto one = run(1, 1);
    for (const unsigned threads : {2u, 3u, 8u}) {
        const auto several = run(threads, 1);
        for (const Direction direction : Both)
            for (std::size_t k = 0; k < one.of(direction).size(); ++k) {
                const auto& a = one.of(direction)[k];
                const auto& b = several.of(direction)[k];
                EXPECT_TRUE(a.used == b.used && sameBits(a.p, b.p) && sameBits(a.low, b.low) && sameBits(a.high, b.high))
                    << threads << " threads, shift " << k;
            }
    }
    EXPECT_EQ(one.eastWest[1].used, 333);
    EXPECT_FALSE(sameBits(one.eastWest[1].low, run(2, 2).eastWest[1].low));  // the seed counts
}

TEST_F(Significance, RandomDataAreSignificantInAboutFivePercentOfShifts)
{
    std::mt19937_64 random(2024);
    place(scattered(random, 400), MaxVar, 10, [&] { return uniform(random); });
    int tests = 0, significant = 0;
    for (std::uint8_t v = 1; v <= MaxVar; ++v) {
        const auto result = testSignificance(store, {.first = v, .permutations = 199, .seed = v});
        for (const Direction direction : Both)
            for (const auto& shift : result.of(direction))
                if (shift.p) {
                    ++tests;
                    significant += *shift.p < 0.05;
                }
    }
    EXPECT_GT(tests, 400);
    EXPECT_NEAR(static_cast<double>(significant) / tests, 0.05, 0.03) << significant << " of " << tests;
}

TEST_F(Significance, StructuredVariablesOfTheExample)
{
    readExample();
    // r far above the envelope at shift 1: trends, the dense centre and the broad wave in
    // both directions, the strips of 5 and 6 in the direction that runs along them.
    const std::vector<std::pair<std::uint8_t, Direction>> structured = {
        {1, Direction::EastWest}, {1, Direction::NorthSouth}, {2, Direction::EastWest}, {2, Direction::NorthSouth},
        {4, Direction::EastWest}, {4, Direction::NorthSouth}, {7, Direction::EastWest}, {7, Direction::NorthSouth},
        {8, Direction::EastWest}, {8, Direction::NorthSouth}, {9, Direction::EastWest}, {9, Direction::NorthSouth},
        {10, Direction::EastWest}, {10, Direction::NorthSouth}, {5, Direction::EastWest}, {6, Direction::NorthSouth}};
    for (const auto& [v, direction] : structured) {
        const auto shift = testSignificance(store, {.first = v, .permutations = 999}).of(direction)[1];
        EXPECT_TRUE(*shift.p < 0.01 && *shift.r > *shift.high) << "variable " << int(v);
    }
    // The diagonal bands of 12 repeat every 3 districts, about 3.5 cells: r passes near 0
    // at shift 1 and is far below the envelope at shift 2.
    const auto bands = testSignificance(store, {.first = 12, .permutations = 999});
    for (const Direction direction : Both)
        EXPECT_TRUE(*bands.of(direction)[2].p < 0.01 && *bands.of(direction)[2].r < *bands.of(direction)[2].low);
    const auto noise = testSignificance(store, {.first = 3, .permutations = 999});
    EXPECT_TRUE(*noise.eastWest[1].p > 0.05 && *noise.northSouth[1].p > 0.05);
}

TEST_F(Significance, PermutationsThatFaultAreLeftOutOfTheirShiftsOnly)
{
    // A square beyond single precision at the origin, a cell of index 0 that is never
    // paired: the observed figures have no fault, but a permutation that moves it into an
    // inner cell faults at the shifts whose pairs take that cell.
    std::mt19937_64 random(9);
    lattice(6, random);
    store.Donnees[1][1] = 1e20;
    constexpr std::int32_t permutations = 200;
    const auto result = testSignificance(store, {.first = 1, .permutations = permutations, .seed = 7});

    // The same permutations the plain way: r per permutation (row) and shift (column).
    std::vector<std::vector<float>> rows;
    auto draws = permutation::Random::forBlock(7, 0);
    for (std::int32_t p = 0; p < permutations; ++p) {
        if (p % permutation::BlockSize == 0)
            draws = permutation::Random::forBlock(7, static_cast<std::uint64_t>(p / permutation::BlockSize));
        auto values = column(1);
        permutation::shuffle(values, draws);
        rows.push_back(plainFigures(1, 1, values));
    }
    std::size_t c = 0;
    std::set<std::int32_t> usedCounts;
    for (const Direction direction : Both)
        for (const auto& shift : result.of(direction)) {
            ASSERT_TRUE(shift.r && !shift.fault);
            std::vector<double> r;
            int asExtreme = 0;
            for (const auto& row : rows)
                if (!std::isnan(row[c])) {
                    r.push_back(row[c]);
                    asExtreme += std::fabs(r.back()) >= std::fabs(*shift.r);
                }
            ++c;
            EXPECT_EQ(shift.used, std::ssize(r));
            EXPECT_DOUBLE_EQ(*shift.p, (1.0 + asExtreme) / (1.0 + r.size()));
            std::sort(r.begin(), r.end());
            auto quantile = [&](double q) {  // linear between order statistics
                const double h = (r.size() - 1) * q;
                const auto lo = static_cast<std::size_t>(h);
                return r[lo] + (h - lo) * (r[std::min(lo + 1, r.size() - 1)] - r[lo]);
            };
            EXPECT_DOUBLE_EQ(*shift.low, quantile(0.025));
            EXPECT_DOUBLE_EQ(*shift.high, quantile(0.975));
            usedCounts.insert(shift.used);
        }
    // Shift 0 takes every inner cell, the last shifts only those of the first and last rows.
    EXPECT_GT(usedCounts.size(), 3u);
    EXPECT_TRUE(*usedCounts.begin() > 0 && *usedCounts.rbegin() < permutations);
}

TEST_F(Significance, DistancesFollowTheExtents)
{
    // X over 0..300 and Y over 0..40 with N = 4: east-west shifts step by 10 (along Y),
    // north-south ones by 75 (along X).
    place({{0, 40}, {300, 0}}, 0, 4, [] { return 0.0; });
    for (int k = 0; k <= 3; ++k)
        EXPECT_TRUE(shiftDistance(store, Direction::EastWest, k) == 10.0 * k
                    && shiftDistance(store, Direction::NorthSouth, k) == 75.0 * k);
    readExample();
    EXPECT_DOUBLE_EQ(shiftDistance(store, Direction::EastWest, 3), 3 * (store.YMax - store.YMin) / 10);
    EXPECT_DOUBLE_EQ(shiftDistance(store, Direction::NorthSouth, 7), 7 * (store.XMax - store.XMin) / 10);
}

}  // namespace
}  // namespace geolago::testing
