// The refusals of counts and choices, and the error box's full-stop rule.

#include "refusals.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Refusal : public StoreTest {};

TEST_F(Refusal, CountsOutsideTheirRanges)
{
    for (int accepted : {0, 1, 1000})
        EXPECT_FALSE(refusePointCount(accepted)) << accepted;
    for (int refused : {-1, 1001, -2147483647 - 1})
        EXPECT_EQ(refusePointCount(refused), "Le nombre de points doit être compris entre 0 et 1000 !");
    EXPECT_FALSE(refuseVariableCount(0));
    EXPECT_FALSE(refuseVariableCount(30));
    EXPECT_EQ(refuseVariableCount(31), "Le nombre de variables doit être compris entre 0 et 30 !");
    EXPECT_EQ(refuseVariableCount(-1), "Le nombre de variables doit être compris entre 0 et 30 !");

    EXPECT_FALSE(refuseCellCount(1));
    EXPECT_FALSE(refuseCellCount(30));
    EXPECT_EQ(refuseCellCount(31), "Mailles trop petites !");
    EXPECT_EQ(refuseCellCount(0), "Il faut au moins une maille par côté !");
    EXPECT_EQ(refuseCellCount(-5), "Il faut au moins une maille par côté !");
}

TEST_F(Refusal, VariablePositionMustNameAColumnRead)
{
    store.NBVar = 3;
    EXPECT_FALSE(refuseVariablePosition(store, 1));
    EXPECT_FALSE(refuseVariablePosition(store, 3));
    EXPECT_EQ(refuseVariablePosition(store, 0), "Aucune variable n'est choisie !");
    EXPECT_EQ(refuseVariablePosition(store, 4), "La variable 4 n'a pas été lue : le fichier de données en compte 3 !");
    store.NBVar = 30;
    EXPECT_EQ(refuseVariablePosition(store, 31), "La variable 31 n'a pas été lue : le fichier de données en compte 30 !");
    EXPECT_EQ(refuseVariablePosition(store, 256), "La variable 256 n'a pas été lue : le fichier de données en compte 30 !");
}

TEST(FullStopRule, AddedAfterALetterOrADigitOnly)
{
    EXPECT_EQ(messageForDisplay("Fichier introuvable"), "Fichier introuvable.");
    EXPECT_EQ(messageForDisplay("Erreur E/S 1005"), "Erreur E/S 1005.");
    EXPECT_EQ(messageForDisplay("'12 ' n'est pas une valeur entière correcte"),
              "'12 ' n'est pas une valeur entière correcte.");
    EXPECT_EQ(messageForDisplay("Mailles trop petites !"), "Mailles trop petites !");
    EXPECT_EQ(messageForDisplay("Fin."), "Fin.");
    EXPECT_EQ(messageForDisplay("Fin "), "Fin ");
    EXPECT_EQ(messageForDisplay("Entrée refusée"), "Entrée refusée.");  // ends in an accented letter
    EXPECT_EQ(messageForDisplay(""), "");
}

}  // namespace
}  // namespace geolago::testing
