#include "store.h"

namespace geolago {

std::int32_t NBPoints = 0;
std::int32_t NBVar = 0;
std::int32_t NBMailles = 0;
std::uint8_t Num_Var = 0;
std::string Nom_Var;

double XMin = 0.0, XMax = 0.0, YMin = 0.0, YMax = 0.0;
double PourCent = 0.0;

Table<Table<double, 1, 2>, 1, MaxPoints> Coord;
Table<Table<double, 1, MaxVar>, 1, MaxPoints> Donnees;
Table<TMaille, 1, MaxPoints> Maille_Point;
Table<Table<TCellule, 0, MaxMailles>, 0, MaxMailles> Grille;

Table<double, 0, MaxMailles> R_EW;
Table<double, 0, MaxMailles> R_NS;
Table<std::int32_t, 0, MaxMailles> Paires_EW;
Table<std::int32_t, 0, MaxMailles> Paires_NS;

void resetStore()
{
    NBPoints = 0;
    NBVar = 0;
    NBMailles = 0;
    Num_Var = 0;
    Nom_Var.clear();
    XMin = XMax = YMin = YMax = 0.0;
    PourCent = 0.0;
    Coord.clear();
    Donnees.clear();
    Maille_Point.clear();
    Grille.clear();
    R_EW.clear();
    R_NS.clear();
    Paires_EW.clear();
    Paires_NS.clear();
}

}  // namespace geolago
