#include "run.h"

#include <cstdint>
#include <optional>

#include "analysis.h"
#include "failures.h"
#include "names.h"
#include "numbertext.h"
#include "reader.h"
#include "refusals.h"
#include "report.h"
#include "store.h"

namespace geolago::cli {

namespace {

// A value or a choice the run will not take; the message ends in " !" and is shown as
// it stands, with no full stop added.
struct Refusal {
    std::string message;
};

void refuseIf(const std::optional<std::string>& refusal)
{
    if (refusal)
        throw Refusal{*refusal};
}

// The variable position a --variable text names. A text that reads as a whole number
// is a position, even when a name is spelled the same; any other text is looked up among
// the names (the first equal one). Without a names file, a text that is not a whole
// number fails as the conversion does.
std::int64_t positionOf(const std::string& text, const std::optional<std::vector<std::string>>& names)
{
    if (!names)
        return convert(text);
    try {
        return convert(text);
    } catch (const ConvertFailure&) {
        for (std::size_t p = 0; p < names->size(); ++p)
            if ((*names)[p] == text)
                return static_cast<std::int64_t>(p) + 1;
    }
    throw Refusal{"Aucune variable ne s'appelle \"" + text + "\" dans le fichier des noms !"};
}

// Nom_Var for a position: the name at that position, or the position in decimal.
std::string nameOf(std::int64_t position, const std::optional<std::vector<std::string>>& names)
{
    if (names && position <= static_cast<std::int64_t>(names->size()))
        return (*names)[static_cast<std::size_t>(position - 1)];
    return writeInteger(static_cast<std::int32_t>(position));
}

// Takes the results of the variable just computed out of the store.
VariableResult collectResult()
{
    VariableResult result;
    result.position = Num_Var;
    result.name = Nom_Var;
    result.fill = PourCent;
    for (int k = 0; k < NBMailles; ++k) {
        result.eastWest.push_back({R_EW[k], Paires_EW[k]});
        result.northSouth.push_back({R_NS[k], Paires_NS[k]});
    }
    return result;
}

}  // namespace

int runAnalysis(const Options& options, std::ostream& out, std::ostream& err)
{
    std::unique_ptr<ReportWriter> writer;
    try {
        // Every count is read and checked before anything is stored.
        const std::int32_t points = convert(options.points);
        const std::int32_t vars = convert(options.vars);
        const std::int32_t cells = convert(options.cells);
        refuseIf(refusePointCount(points));
        refuseIf(refuseVariableCount(vars));
        refuseIf(refuseCellCount(cells));

        NBPoints = points;
        NBVar = vars;
        Lit_Data(options.pointsFile, options.numbered);
        NBMailles = cells;
        Calcul_Mailles();
        std::optional<std::vector<std::string>> names;
        if (options.namesFile)
            names = Lit_Noms_Vars(*options.namesFile);

        writer = makeWriter(options.format, options.decimalComma, out);
        writer->begin({options.pointsFile, options.numbered, points, vars, cells, options.namesFile});

        for (const VariableRequest& request : options.variables) {
            // Positions are resolved one request at a time, so that the variables asked
            // before a bad one are still computed and written.
            std::vector<std::int64_t> asked;
            if (request.all) {
                for (std::int32_t v = 1; v <= NBVar; ++v)
                    asked.push_back(v);
            } else {
                asked.push_back(positionOf(request.text, names));
            }
            for (const std::int64_t position : asked) {
                refuseIf(refuseVariablePosition(position));
                Num_Var = static_cast<std::uint8_t>(position);
                Nom_Var = nameOf(position, names);
                Remplit_Grille();
                Correlation_EW();
                Correlation_NS();
                writer->variable(collectResult());
            }
        }
        writer->finish(std::nullopt);
        return ExitSuccess;
    } catch (const Refusal& refusal) {
        if (writer)
            writer->finish(refusal.message);
        err << refusal.message << '\n';
    } catch (const Failure& failure) {
        const std::string message = messageForDisplay(failure.what());
        if (writer)
            writer->finish(message);
        err << message << '\n';
    }
    err.flush();
    return ExitFailure;
}

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options options;
    try {
        options = parseCommandLine(args);
    } catch (const UsageError& error) {
        err << "geolago-cli : " << error.what() << '\n' << usageLine() << '\n';
        return ExitUsage;
    }
    if (options.help) {
        out << helpText();
        return ExitSuccess;
    }
    return runAnalysis(options, out, err);
}

}  // namespace geolago::cli
