// The correlations on many grids, against the plain shift-by-shift definition: the same
// figures bit for bit, and on a fault the same failure with the same shifts written; the
// same for shift vectors in any direction.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>

#include "fast_correlation.h"
#include "plain_definitions.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

struct Outcome {
    std::vector<Shift> shifts;
    std::optional<FloatFailure::Kind> failure;
};

template <typename Compute>
Outcome outcomeOf(Compute compute)
{
    Outcome out;
    try {
        compute(out.shifts);
    } catch (const FloatFailure& failure) {
        out.failure = failure.kind();
    }
    return out;
}

// Both directions of the core against the definition, first grid paired with `second`.
// The fast path computes them itself unless the values may leave the double range
// (`mayFault`): a fault it reports hands them to the plain path.
void expectAsDefined(const Grid& first, const Grid& second, std::int32_t n, bool mayFault, const std::string& context)
{
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        std::vector<std::int32_t> fastPairs;
        std::vector<double> fastR;
        ASSERT_TRUE(fast::correlogram(direction, first, second, fastPairs, fastR) || mayFault) << context;
        Outcome expected = outcomeOf([&](std::vector<Shift>& shifts) {
            plain::correlogram(direction, first, second, shifts);
        });
        // Shifts whose paired values are all equal have no r; with no r left at all, the
        // correlogram fails.
        const auto& plainShifts = expected.shifts;
        if (!expected.failure && std::any_of(plainShifts.begin(), plainShifts.end(), [](const Shift& s) { return s.equalValues; })
            && std::none_of(plainShifts.begin(), plainShifts.end(), [](const Shift& s) { return s.r.has_value(); }))
            expected.failure = FloatFailure::Kind::Invalid;
        const Outcome actual = outcomeOf([&](std::vector<Shift>& shifts) {
            correlate(direction, first, second, shifts);
        });
        const std::string where = context + (direction == Direction::EastWest ? " E_W" : " N_S");
        ASSERT_EQ(actual.failure, expected.failure) << where;
        ASSERT_EQ(actual.shifts.size(), expected.shifts.size()) << where;
        for (std::size_t k = 0; k < actual.shifts.size(); ++k) {
            const double r = actual.shifts[k].r.value_or(-9), plainR = expected.shifts[k].r.value_or(-9);
            ASSERT_EQ(std::memcmp(&r, &plainR, sizeof(double)), 0)
                << where << " shift " << k << ": " << r << " instead of " << plainR;
            ASSERT_EQ(actual.shifts[k].pairs, expected.shifts[k].pairs) << where << " shift " << k;
            ASSERT_EQ(actual.shifts[k].equalValues, expected.shifts[k].equalValues) << where << " shift " << k;
        }
        // Bounded shifts: the first shifts of the whole correlogram, and no others.
        if (!expected.failure) {
            std::vector<Shift> bounded;
            correlate(direction, first, second, bounded, n / 3);
            ASSERT_EQ(bounded.size(), static_cast<std::size_t>(std::min(n, n / 3 + 1))) << where;
            for (std::size_t k = 0; k < bounded.size(); ++k)
                ASSERT_TRUE(bounded[k].r == expected.shifts[k].r && bounded[k].pairs == expected.shifts[k].pairs);
        }
    }
}

// The fast path over shift vectors of both signs and layouts, wide steps included, against
// the definition of each vector. Only values whose squares leave the double range make it
// fault (`mayFault`); elsewhere it must compute.
void expectVectorsAsDefined(const Grid& first, const Grid& second, std::int32_t n, std::mt19937_64& random,
                            bool mayFault, const std::string& context)
{
    std::vector<ShiftVector> vectors;
    for (int i = 0; i < 12; ++i)
        vectors.push_back({static_cast<std::int32_t>(random() % (2 * n + 1)) - n,
                           static_cast<std::int32_t>(random() % (2 * n + 1)) - n});
    std::vector<std::int32_t> pairs(vectors.size());
    std::vector<double> r(vectors.size());
    const bool computed = fast::correlations(first, second, vectors, pairs.data(), r.data());
    ASSERT_TRUE(computed || mayFault) << context;
    if (!computed)
        return;
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        const Shift expected = plain::vectorFigures(first, second, vectors[i]);
        const double plainR = expected.r.value_or(fast::NoR);
        const std::string where = context + " vector (" + std::to_string(vectors[i].dx) + ", "
            + std::to_string(vectors[i].dy) + ")";
        ASSERT_EQ(std::memcmp(&r[i], &plainR, sizeof(double)), 0) << where << ": " << r[i] << " instead of " << plainR;
        ASSERT_EQ(expected.r ? pairs[i] : 0, expected.pairs) << where;
    }
}

TEST(CorrelationShifts, RandomGridsGiveTheFiguresOfTheDefinition)
{
    std::mt19937_64 random(7);
    auto first = std::make_unique<Grid>();
    auto second = std::make_unique<Grid>();
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + static_cast<int>(random() % MaxMailles);
        const double fill = (random() % 100) / 100.0;
        // Values of one scale, some constant grids (no spread), magnitudes whose squares
        // leave the double range, and few distinct values on a large offset.
        const int kind = static_cast<int>(random() % 10);
        const double scale = std::pow(10.0, static_cast<int>(random() % 13) - 6);
        std::uniform_real_distribution<double> value(-1.0, 1.0);
        auto draw = [&] {
            double v = scale * value(random);
            if (kind == 0)
                v = 2.5;
            else if (kind == 1)
                v = 1e154 * (1 + value(random));
            else if (kind == 2 && random() % 50 == 0)
                v = 1e300;
            else if (kind == 3)
                v = 1000 + std::round(value(random));  // few distinct values
            return v;
        };
        for (int a = 0; a <= MaxMailles; ++a)
            for (int b = 0; b <= MaxMailles; ++b) {
                const bool filled = value(random) * 0.5 + 0.5 < fill;
                const auto flag = static_cast<std::uint8_t>(filled);
                (*first)[a][b] = {filled ? draw() : 0.0, flag, flag};
                (*second)[a][b] = {filled ? draw() : 0.0, flag, flag};
            }
        const std::string context = "round " + std::to_string(round) + ", N = " + std::to_string(n);
        const bool mayFault = kind == 1 || kind == 2;
        first->setCellsPerAxis(n);
        second->setCellsPerAxis(n);
        expectAsDefined(*first, *first, n, mayFault, context);
        expectAsDefined(*first, *second, n, mayFault, context + " crossed");
        expectVectorsAsDefined(*first, *first, n, random, mayFault, context);
        expectVectorsAsDefined(*first, *second, n, random, mayFault, context + " crossed");
    }
}

}  // namespace
}  // namespace geolago::testing
