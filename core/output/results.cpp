#include "results.h"

#include <algorithm>

#include "numbertext.h"

namespace geolago {

bool Correlogram::tested() const
{
    const auto any = [](const std::vector<Shift>& shifts) {
        return std::any_of(shifts.begin(), shifts.end(), [](const Shift& shift) { return shift.permutationsUsed > 0; });
    };
    return any(eastWest) || any(northSouth);
}

void Correlogram::dropTest()
{
    for (std::vector<Shift>* shifts : {&eastWest, &northSouth})
        for (Shift& shift : *shifts)
            static_cast<ShiftTest&>(shift) = ShiftTest{};
    testNull.reset();
    permutationsMade = 0;
}

Correlogram windowFigures(const Store& store)
{
    Correlogram figures = store.result;
    figures.variable = {store.Num_Var, store.Nom_Var};
    figures.with.reset();
    figures.cellsPerAxis = store.NBMailles;
    figures.fill = store.PourCent;
    const auto shown = static_cast<std::size_t>(std::clamp<std::int32_t>(store.NBMailles, 0, MaxMailles));
    figures.eastWest.resize(shown);
    figures.northSouth.resize(shown);
    return figures;
}

TableConvention csvConvention(std::string_view decimalSeparator)
{
    return {decimalSeparator == "," ? ';' : ',', std::string(decimalSeparator)};
}

TableConvention tsvConvention(std::string_view decimalSeparator)
{
    return {'\t', std::string(decimalSeparator)};
}

namespace {

std::string field(const std::string& text, char separator)
{
    if (text.find_first_of(std::string{separator, '"', '\n', '\r'}) == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

void writeResultsTable(std::ostream& out, const Correlogram& result, const std::string& pointsFile,
                       const TableConvention& convention)
{
    const char sep = convention.fieldSeparator;
    auto line = [&](const std::vector<std::string>& fields) {
        bool first = true;
        for (const std::string& text : fields) {
            if (!first)
                out << sep;
            out << field(text, sep);
            first = false;
        }
        out << '\n';
    };
    auto real = [&](const std::optional<double>& value) {
        return value ? writeReal(*value, convention.decimalSeparator) : std::string("NA");
    };

    const auto cells = static_cast<std::int32_t>(result.eastWest.size());
    const bool tested = result.tested();
    line({"Variable", result.variable.name});
    line({"Fichier de points", pointsFile});
    line({"Mailles", writeInteger(cells)});
    line({"Mailles remplies (%)", real(result.fill)});
    line({"Passage à zéro E_W", real(result.zeroCrossingEastWest)});
    line({"Passage à zéro N_S", real(result.zeroCrossingNorthSouth)});
    out << '\n';
    std::vector<std::string> fields = {"Maille", "R E_W", "Paires E_W", "R N_S", "Paires N_S"};
    if (tested)
        fields.insert(fields.end(), {"p E_W", "Bas E_W", "Haut E_W", "p Holm E_W", "p maxT E_W", "p N_S", "Bas N_S",
                                     "Haut N_S", "p Holm N_S", "p maxT N_S"});
    line(fields);
    for (std::int32_t k = 0; k < cells; ++k) {
        const Shift& ew = result.eastWest[static_cast<std::size_t>(k)];
        const Shift& ns = result.northSouth[static_cast<std::size_t>(k)];
        fields = {writeInteger(k), real(ew.r), writeInteger(ew.pairs), real(ns.r), writeInteger(ns.pairs)};
        if (tested)
            fields.insert(fields.end(), {real(ew.p), real(ew.low), real(ew.high), real(ew.pHolm), real(ew.pFwer),
                                         real(ns.p), real(ns.low), real(ns.high), real(ns.pHolm), real(ns.pFwer)});
        line(fields);
    }
}

}  // namespace geolago
