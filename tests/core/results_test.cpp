// The table file of the results window: its header, its rows and its two conventions.

#include <gtest/gtest.h>

#include <sstream>

#include "results.h"

namespace geolago {
namespace {

TEST(ResultsTable, HeaderThenBothCorrelogramsSideBySideInTheRegionalConvention)
{
    Correlogram result;
    result.variable.name = "Part; \"65 ans\"";
    result.fill = 58.67768595041322;
    auto lag = [](double r, std::int32_t pairs) {
        Shift row;
        row.r = r;
        row.pairs = pairs;
        return row;
    };
    result.eastWest = {lag(1.0, 55), lag(static_cast<double>(0.8f), 30)};
    result.northSouth = {lag(-0.25, 54), lag(0.0, 0)};
    result.zeroCrossingNorthSouth = 0.5;

    std::ostringstream french;
    writeResultsTable(french, result, "données/points.txt", csvConvention(","));
    EXPECT_EQ(french.str(),
              "Variable;\"Part; \"\"65 ans\"\"\"\n"
              "Fichier de points;données/points.txt\n"
              "Mailles;2\n"
              "Mailles remplies (%);58,6776859504132\n"
              "Passage à zéro E_W;NA\n"
              "Passage à zéro N_S;0,5\n"
              "\n"
              "Maille;R E_W;Paires E_W;R N_S;Paires N_S\n"
              "0;1;55;-0,25;54\n"
              "1;0,800000011920929;30;0;0\n");

    std::ostringstream english;
    writeResultsTable(english, result, "a,b.txt", csvConvention("."));
    EXPECT_NE(english.str().find("Fichier de points,\"a,b.txt\"\n"), std::string::npos);
    EXPECT_NE(english.str().find("\n1,0.800000011920929,30,0,0\n"), std::string::npos);

    std::ostringstream tabs;
    writeResultsTable(tabs, result, "p.txt", tsvConvention(","));
    EXPECT_EQ(tabs.str().rfind("Variable\t\"Part; \"\"65 ans\"\"\"\n", 0), 0u);
    EXPECT_NE(tabs.str().find("\n1\t0,800000011920929\t30\t0\t0\n"), std::string::npos);

    // With a permutation test, p, the envelope, Holm's p and the maxT p of each direction
    // follow; NA where a shift has none.
    result.eastWest[1].permutationsUsed = 999;
    result.eastWest[1].p = 0.002;
    result.eastWest[1].low = -0.375;
    result.eastWest[1].high = 0.5;
    result.eastWest[1].pHolm = 0.006;
    result.eastWest[1].pFwer = 0.004;
    std::ostringstream tested;
    writeResultsTable(tested, result, "p.txt", csvConvention(","));
    EXPECT_NE(tested.str().find("Maille;R E_W;Paires E_W;R N_S;Paires N_S;p E_W;Bas E_W;Haut E_W;p Holm E_W;p maxT E_W;"
                                "p N_S;Bas N_S;Haut N_S;p Holm N_S;p maxT N_S\n"
                                "0;1;55;-0,25;54;NA;NA;NA;NA;NA;NA;NA;NA;NA;NA\n"
                                "1;0,800000011920929;30;0;0;0,002;-0,375;0,5;0,006;0,004;NA;NA;NA;NA;NA\n"),
              std::string::npos)
        << tested.str();
}

}  // namespace
}  // namespace geolago
