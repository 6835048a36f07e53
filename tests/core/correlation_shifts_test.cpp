// The correlations on many grids, against the plain shift-by-shift definition: the same
// figures bit for bit, and on a fault the same failure with the same shifts written.

#include <cmath>
#include <cstring>
#include <random>

#include "analysis.h"
#include "correlation_reference.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class CorrelationShifts : public StoreTest {
protected:
    // Runs one direction of the core and compares it with the definition.
    void expectAsDefined(bool eastWest, const std::string& context)
    {
        const reference::Figures expected = reference::correlogram(eastWest);
        const reference::Figures actual = reference::coreCorrelogram(eastWest);
        ASSERT_EQ(actual.failure, expected.failure) << context;
        for (int k = 0; k <= MaxMailles; ++k) {
            ASSERT_EQ(std::memcmp(&actual.r[k], &expected.r[k], sizeof(double)), 0)
                << context << " shift " << k << ": " << actual.r[k] << " instead of " << expected.r[k];
            ASSERT_EQ(actual.pairs[k], expected.pairs[k]) << context << " shift " << k;
        }
    }
};

TEST_F(CorrelationShifts, RandomGridsGiveTheFiguresOfTheDefinition)
{
    std::mt19937_64 random(7);
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + static_cast<int>(random() % MaxMailles);
        const double fill = (random() % 100) / 100.0;
        // Values of one scale, some constant grids (zero deviation), and now and then
        // magnitudes that leave single precision in a sum or in a cell.
        const int kind = static_cast<int>(random() % 10);
        const double scale = std::pow(10.0, static_cast<int>(random() % 13) - 6);
        std::uniform_real_distribution<double> value(-1.0, 1.0);
        NBMailles = n;
        for (int a = 0; a <= MaxMailles; ++a)
            for (int b = 0; b <= MaxMailles; ++b) {
                const bool filled = value(random) * 0.5 + 0.5 < fill;
                double v = scale * value(random);
                if (kind == 0)
                    v = 2.5;
                else if (kind == 1)
                    v = 1e19 * (1 + value(random));
                else if (kind == 2 && random() % 50 == 0)
                    v = 1e39;
                else if (kind == 3)
                    v = 1000 + std::round(value(random));  // few distinct values
                Grille[a][b] = {filled ? v : 0.0, filled ? 1u : 0u, static_cast<std::uint8_t>(filled)};
            }
        const std::string context = "round " + std::to_string(round) + ", N = " + std::to_string(n);
        expectAsDefined(true, context);
        expectAsDefined(false, context);
    }
}

}  // namespace
}  // namespace geolago::testing
