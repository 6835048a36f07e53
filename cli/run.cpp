#include "run.h"

#include <cstdint>
#include <optional>

#include "analysis.h"
#include "failures.h"
#include "names.h"
#include "numbertext.h"
#include "output.h"
#include "reader.h"
#include "refusals.h"
#include "report.h"
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

// Where a failure of the reader arose: "FILE:LINE", or "FILE" without a line.
std::string placeText(const Place& place)
{
    return place.line > 0 ? place.file + ":" + std::to_string(place.line) : place.file;
}

// Writes one failure line on `err`: "geolago-cli: SUBJECT: message", the subject left out
// when there is none; control characters are escaped so that it stays one line.
void reportFailure(std::ostream& err, const std::string& subject, const std::string& message)
{
    err << "geolago-cli: " << escapeControls(subject.empty() ? message : subject + ": " + message) << '\n';
}

// Takes the results of the variable just computed out of the store.
VariableResult collectResult(const Store& store)
{
    VariableResult result;
    result.position = store.Num_Var;
    result.name = store.Nom_Var;
    result.fill = store.PourCent;
    for (int k = 0; k < store.NBMailles; ++k) {
        result.eastWest.push_back({store.R_EW[k], store.Paires_EW[k]});
        result.northSouth.push_back({store.R_NS[k], store.Paires_NS[k]});
    }
    return result;
}

}  // namespace

int runAnalysis(Store& store, const Options& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<ReportWriter> writer = makeWriter(options.format, options.decimalComma, out);
    RunContext context{options.pointsFile, options.rowsAreNumbered, {}, {}, {}, options.namesFile};
    // What the run is about, for a failure that does not carry its place: the option being
    // read, the point file being placed, the variable being computed.
    std::string subject;
    try {
        // Every count is read and checked before anything is stored.
        auto count = [&](const char* option, const std::string& text, auto refuse) {
            subject = option;
            const std::int32_t value = convert(text);
            refuseIf(refuse(value));
            return value;
        };
        context.points = count("--points", options.points, refusePointCount);
        context.vars = count("--vars", options.vars, refuseVariableCount);
        context.cells = count("--cells", options.cells, refuseCellCount);

        subject.clear();  // the readers' failures say where they arose
        store.NBPoints = *context.points;
        store.NBVar = *context.vars;
        Lit_Data(store, options.pointsFile, options.rowsAreNumbered);
        store.NBMailles = *context.cells;
        subject = options.pointsFile;
        Calcul_Mailles(store);
        subject.clear();
        std::optional<std::vector<std::string>> names;
        if (options.namesFile)
            names = Lit_Noms_Vars(*options.namesFile);

        writer->begin(context);
        for (const VariableRequest& request : options.variables) {
            // Positions are resolved one request at a time, so that the variables asked
            // before a bad one are still computed and written.
            std::vector<std::int64_t> asked;
            if (request.all) {
                for (std::int32_t v = 1; v <= store.NBVar; ++v)
                    asked.push_back(v);
            } else {
                subject = "--variable " + request.text;
                asked.push_back(positionOf(request.text, names));
            }
            for (const std::int64_t position : asked) {
                subject = "variable " + std::to_string(position);
                refuseIf(refuseVariablePosition(store, position));
                store.Num_Var = static_cast<std::uint8_t>(position);
                store.Nom_Var = nameOf(position, names);
                if (store.Nom_Var != std::to_string(position))
                    subject += " (" + store.Nom_Var + ")";
                Remplit_Grille(store);
                Correlation_EW(store);
                Correlation_NS(store);
                writer->variable(collectResult(store));
            }
        }
        writer->finish(context, std::nullopt);
        return ExitSuccess;
    } catch (const Refusal& refusal) {
        writer->finish(context, refusal.what());
        reportFailure(err, subject, refusal.what());
    } catch (const Failure& failure) {
        const std::string message = messageForDisplay(failure.what());
        writer->finish(context, message);
        reportFailure(err, failure.place() ? placeText(*failure.place()) : subject, message);
    } catch (const std::exception& failure) {
        // Memory ran out, most likely: the run ends as on any failure.
        const std::string message = messageForDisplay(failureMessage(failure));
        writer->finish(context, message);
        reportFailure(err, subject, message);
    }
    return ExitFailure;
}

int runCommand(Store& store, const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        Options options;
        try {
            options = parseCommandLine(args);
        } catch (const UsageError& error) {
            err << "geolago-cli : " << error.what() << '\n' << usageLine() << '\n';
            return ExitUsage;
        }
        int status = ExitSuccess;
        if (options.help)
            out << helpText();
        else
            status = runAnalysis(store, options, out, err);

        // Whatever the run gave, output that did not reach its file is a failure.
        out.flush();
        if (!out) {
            reportFailure(err, {}, "Erreur d'écriture : " + writeFailureReason(out));
            status = ExitFailure;
        }
        err.flush();
        return status;
    } catch (const std::exception& failure) {
        reportFailure(err, {}, messageForDisplay(failureMessage(failure)));
        return ExitFailure;
    }
}

}  // namespace geolago::cli
