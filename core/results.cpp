#include "results.h"

#include <algorithm>

#include "numbertext.h"

namespace geolago {

VariableResult resultOf(const Store& store)
{
    VariableResult result;
    result.position = store.Num_Var;
    result.name = store.Nom_Var;
    result.fill = store.PourCent;
    const std::int32_t cells = std::clamp<std::int32_t>(store.NBMailles, 0, MaxMailles);
    for (std::int32_t k = 0; k < cells; ++k) {
        result.eastWest.push_back({store.R_EW[k], store.Paires_EW[k]});
        result.northSouth.push_back({store.R_NS[k], store.Paires_NS[k]});
    }
    return result;
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

void writeResultsTable(std::ostream& out, const VariableResult& result, const std::string& pointsFile,
                       const TableConvention& convention)
{
    const char sep = convention.fieldSeparator;
    auto line = [&](std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& text : fields) {
            if (!first)
                out << sep;
            out << field(text, sep);
            first = false;
        }
        out << '\n';
    };
    auto real = [&](double value) { return writeReal(value, convention.decimalSeparator); };

    const auto cells = static_cast<std::int32_t>(result.eastWest.size());
    line({"Variable", result.name});
    line({"Fichier de points", pointsFile});
    line({"Mailles", writeInteger(cells)});
    line({"Mailles remplies (%)", real(result.fill)});
    out << '\n';
    line({"Maille", "R E_W", "Paires E_W", "R N_S", "Paires N_S"});
    for (std::int32_t k = 0; k < cells; ++k) {
        const Lag& ew = result.eastWest[static_cast<std::size_t>(k)];
        const Lag& ns = result.northSouth[static_cast<std::size_t>(k)];
        line({writeInteger(k), real(ew.r), writeInteger(ew.pairs), real(ns.r), writeInteger(ns.pairs)});
    }
}

}  // namespace geolago
