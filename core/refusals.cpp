#include "refusals.h"

namespace geolago {

namespace {

// "compris entre 0 et M" for a bound, "positif" without one.
std::string countRange(std::int32_t bound)
{
    return bound == std::numeric_limits<std::int32_t>::max() ? "positif" : "compris entre 0 et " + std::to_string(bound);
}

}  // namespace

std::optional<std::string> refusePointCount(std::int32_t count, const Limits& limits)
{
    if (count < 0 || count > limits.points)
        return "Le nombre de points doit être " + countRange(limits.points) + " !";
    return std::nullopt;
}

std::optional<std::string> refuseVariableCount(std::int32_t count, const Limits& limits)
{
    if (count < 0 || count > limits.variables)
        return "Le nombre de variables doit être " + countRange(limits.variables) + " !";
    return std::nullopt;
}

std::optional<std::string> refuseCellCount(std::int32_t cells, const Limits& limits)
{
    if (cells > limits.cells)
        return "Mailles trop petites !";
    if (cells < 1)
        return "Il faut au moins une maille par côté !";
    return std::nullopt;
}

std::optional<std::string> refuseVariablePosition(const Store& store, std::int64_t position, const Limits& limits)
{
    if (position < 1)
        return "Aucune variable n'est choisie !";
    if (position > store.NBVar || position > limits.variables)
        return "La variable " + std::to_string(position) + " n'a pas été lue : le fichier de données en compte "
            + std::to_string(store.NBVar) + " !";
    return std::nullopt;
}

}  // namespace geolago
