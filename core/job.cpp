#include "job.h"

#include "failures.h"
#include "significance.h"

namespace geolago {

namespace {

// One line per direction naming its shifts whose paired values are all equal on one side.
std::vector<std::string> equalValuesNotes(const Correlogram& result)
{
    std::vector<std::string> notes;
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        std::vector<std::string> shifts;
        const std::vector<Shift>& of = result.of(direction);
        for (std::size_t k = 0; k < of.size(); ++k)
            if (of[k].equalValues)
                shifts.push_back(std::to_string(k));
        if (shifts.empty())
            continue;
        std::string list = shifts.front();
        for (std::size_t i = 1; i < shifts.size(); ++i)
            list += (i + 1 == shifts.size() ? " et " : ", ") + shifts[i];
        notes.push_back(std::string(direction == Direction::EastWest ? "E_W" : "N_S")
                        + (shifts.size() > 1 ? ", décalages " : ", décalage ") + list
                        + " : valeurs appariées toutes égales, pas de r");
    }
    return notes;
}

}  // namespace

std::string describeVariable(const VariableRef& variable)
{
    std::string text = "variable " + std::to_string(variable.position);
    if (variable.name != std::to_string(variable.position))
        text += " (" + variable.name + ")";
    return text;
}

JobResult runJob(const Store& store, const JobRequest& request)
{
    const VariablePosition first = request.variable.position;
    const VariablePosition second = request.with ? request.with->position : 0;
    const std::int32_t maxShift = request.maxShift.value_or(AllShifts);
    JobResult result;
    try {
        result.correlogram = computeCorrelogram(store, request.variable, request.with, maxShift);
    } catch (EqualValuesFailure& failure) {
        const bool isSecond = request.with && failure.constantVariable() == second;
        failure.addDetail("la " + describeVariable(isSecond ? *request.with : request.variable)
                          + " a la même valeur dans toutes les mailles remplies");
        throw;
    }
    result.notes = equalValuesNotes(result.correlogram);

    SignificanceRequest test{.first = first,
                             .second = second,
                             .permutations = request.permutations,
                             .seed = request.seed,
                             .threads = request.threads,
                             .crossNull = request.crossNull,
                             .maxShift = maxShift,
                             .progress = request.progress};
    testSignificance(store, result.correlogram, test);
    if (request.map) {
        result.map = computeCorrelogramMap(store, request.variable, request.with,
                                           request.maxShift.value_or(defaultMaxShift(store.NBMailles)));
        // The correlograms' request, its null included, so that the map's axes are tested
        // as the correlograms are; its progress too, so that a front end that stops a long
        // test from the progress can stop the map's.
        testCorrelogramMap(store, *result.map, test);
    }
    return result;
}

}  // namespace geolago
