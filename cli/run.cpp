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
#include "results.h"
#include "store.h"

namespace geolago::cli {

namespace {

// A value or a choice the run will not take; the message ends in " !" and is shown as
// it stands, with no full stop added.
class Refusal : public std::exception {
public:
    explicit Refusal(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

void refuseIf(const std::optional<std::string>& refusal)
{
    if (refusal)
        throw Refusal(*refusal);
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
    throw Refusal("Aucune variable ne s'appelle \"" + text + "\" dans le fichier des noms !");
}

// Nom_Var for a position: the name at that position, or the position in decimal.
std::string nameOf(std::int64_t position, const std::optional<std::vector<std::string>>& names)
{
    if (names && position <= static_cast<std::int64_t>(names->size()))
        return (*names)[static_cast<std::size_t>(position - 1)];
    return writeInteger(static_cast<std::int32_t>(position));
}

}  // namespace

std::string plotFileFor(const std::string& fileName, int position, bool severalVariables)
{
    if (!severalVariables)
        return fileName;
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? fileName.size() : dot;
    return fileName.substr(0, at) + "-" + std::to_string(position) + fileName.substr(at);
}

int runAnalysis(Store& store, const Options& options, std::ostream& out, std::ostream& err, ChartPlotter* plotter)
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

        store.NBPoints = points;
        store.NBVar = vars;
        Lit_Data(store, options.pointsFile, options.rowsAreNumbered);
        store.NBMailles = cells;
        Calcul_Mailles(store);
        std::optional<std::vector<std::string>> names;
        if (options.namesFile)
            names = Lit_Noms_Vars(*options.namesFile);

        writer = makeWriter(options.format, options.decimalComma, out);
        writer->begin({options.pointsFile, options.rowsAreNumbered, points, vars, cells, options.namesFile});

        std::size_t variablesAsked = 0;
        for (const VariableRequest& request : options.variables)
            variablesAsked += request.all ? static_cast<std::size_t>(vars) : 1;

        for (const VariableRequest& request : options.variables) {
            // Positions are resolved one request at a time, so that the variables asked
            // before a bad one are still computed and written.
            std::vector<std::int64_t> asked;
            if (request.all) {
                for (std::int32_t v = 1; v <= store.NBVar; ++v)
                    asked.push_back(v);
            } else {
                asked.push_back(positionOf(request.text, names));
            }
            for (const std::int64_t position : asked) {
                refuseIf(refuseVariablePosition(store, position));
                store.Num_Var = static_cast<std::uint8_t>(position);
                store.Nom_Var = nameOf(position, names);
                Remplit_Grille(store);
                Correlation_EW(store);
                Correlation_NS(store);
                writer->variable(resultOf(store));
                if (options.plotFile && plotter)
                    plotter->plot(store, plotFileFor(*options.plotFile, static_cast<int>(position), variablesAsked > 1));
            }
        }
        writer->finish(std::nullopt);
        return ExitSuccess;
    } catch (const Refusal& refusal) {
        if (writer)
            writer->finish(refusal.what());
        err << refusal.what() << '\n';
    } catch (const Failure& failure) {
        const std::string message = messageForDisplay(failure.what());
        if (writer)
            writer->finish(message);
        err << message << '\n';
    }
    err.flush();
    return ExitFailure;
}

int runCommand(Store& store, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               ChartPlotter* plotter)
{
    Options options;
    try {
        options = parseCommandLine(args);
        if (options.plotFile && !plotter)
            throw UsageError("l'option --plot n'est pas disponible : ce geolago-cli a été construit sans les fenêtres");
    } catch (const UsageError& error) {
        err << "geolago-cli : " << error.what() << '\n' << usageLine() << '\n';
        return ExitUsage;
    }
    if (options.help) {
        out << helpText();
        return ExitSuccess;
    }
    return runAnalysis(store, options, out, err, plotter);
}

}  // namespace geolago::cli
