#include "refusals.h"

#include <charconv>

#include "significance.h"

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
    if (cells > limits.cellsPerAxis)
        return "Mailles trop petites !";
    if (cells < 1)
        return "Il faut au moins une maille par côté !";
    return std::nullopt;
}

std::optional<std::string> refusePermutationCount(std::int32_t permutations)
{
    if (permutations < 0 || permutations > MaxPermutations)
        return "Le nombre de permutations doit être compris entre 0 et " + std::to_string(MaxPermutations) + " !";
    return std::nullopt;
}

std::optional<std::string> refuseThreadCount(std::int32_t threads)
{
    if (threads < 1 || threads > MaxThreads)
        return "Le nombre de fils de calcul doit être compris entre 1 et " + std::to_string(MaxThreads) + " !";
    return std::nullopt;
}

std::optional<std::string> refuseMaxShift(std::int32_t maxShift)
{
    if (maxShift < 0)
        return "Le décalage maximal ne peut pas être négatif !";
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

std::optional<std::uint64_t> seedOf(std::string_view text)
{
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return seed;
}

}  // namespace geolago
