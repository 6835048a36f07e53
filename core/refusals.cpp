#include "refusals.h"

namespace geolago {

std::optional<std::string> refusePointCount(std::int32_t count)
{
    if (count < 0 || count > MaxPoints)
        return "Le nombre de points doit être compris entre 0 et " + std::to_string(MaxPoints) + " !";
    return std::nullopt;
}

std::optional<std::string> refuseVariableCount(std::int32_t count)
{
    if (count < 0 || count > MaxVar)
        return "Le nombre de variables doit être compris entre 0 et " + std::to_string(MaxVar) + " !";
    return std::nullopt;
}

std::optional<std::string> refuseCellCount(std::int32_t cells)
{
    if (cells > MaxMailles)
        return "Mailles trop petites !";
    if (cells < 1)
        return "Il faut au moins une maille par côté !";
    return std::nullopt;
}

std::optional<std::string> refuseVariablePosition(const Store& store, std::int64_t position)
{
    if (position < 1)
        return "Aucune variable n'est choisie !";
    if (position > store.NBVar || position > MaxVar)
        return "La variable " + std::to_string(position) + " n'a pas été lue : le fichier de données en compte "
            + std::to_string(store.NBVar) + " !";
    return std::nullopt;
}

}  // namespace geolago
