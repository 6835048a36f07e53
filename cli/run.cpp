#include "run.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "analysis.h"
#include "correlogram_map.h"
#include "failures.h"
#include "job.h"
#include "names.h"
#include "numbertext.h"
#include "output.h"
#include "progress.h"
#include "pointlayout.h"
#include "reader.h"
#include "readers.h"
#include "refusals.h"
#include "report.h"
#include "significance.h"
#include "store.h"

namespace geolago::cli {

namespace {

void refuseIf(const std::optional<std::string>& refusal)
{
    if (refusal)
        throw Refusal(*refusal);
}

// The names of the variables, from the names file or the input itself, and where they
// were found, for a refusal.
struct VariableNames {
    std::vector<std::string> list;
    std::string where;  // "le fichier des noms", "le fichier sols.csv"
};

// The variable position a --variable text names. A text that reads as a whole number
// is a position, even when a name is spelled the same; any other text is looked up among
// the names (the first equal one). Without names, a text that is not a whole number fails
// as the conversion does.
std::int64_t positionOf(const std::string& text, const std::optional<VariableNames>& names)
{
    if (!names)
        return convert(text);
    try {
        return convert(text);
    } catch (const ConvertFailure&) {
        for (std::size_t p = 0; p < names->list.size(); ++p)
            if (names->list[p] == text)
                return static_cast<std::int64_t>(p) + 1;
    }
    throw Refusal("Aucune variable ne s'appelle \"" + text + "\" dans " + names->where + " !");
}

// Nom_Var for a position: the name at that position, or the position in decimal (also for
// a position no variable has, which is refused afterwards).
std::string nameOf(std::int64_t position, const std::optional<VariableNames>& names)
{
    if (names && position >= 1 && position <= static_cast<std::int64_t>(names->list.size()))
        return names->list[static_cast<std::size_t>(position - 1)];
    return writeInteger(static_cast<std::int32_t>(position));
}

// Writes one failure line on `err`: "geolago-cli: SUBJECT: message", the subject left out
// when there is none; control characters are escaped so that it stays one line.
void reportFailure(std::ostream& err, const std::string& subject, const std::string& message)
{
    err << "geolago-cli: " << escapeControls(subject.empty() ? message : subject + ": " + message) << '\n';
}

// Writes a warning on `err`, a line as a failure's: the run goes on.
void warn(std::ostream& err, const std::string& subject, const std::string& text)
{
    reportFailure(err, subject, text);
}

// The cell counts of --cells: one whole number, a list "5,10,20" or a range "5..30",
// each N read as a typed count and checked.
std::vector<std::int32_t> cellCounts(const std::string& text)
{
    std::vector<std::int32_t> counts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (const std::size_t dots = item.find(".."); dots != std::string::npos) {
            const std::int32_t from = convert(item.substr(0, dots));
            const std::int32_t to = convert(item.substr(dots + 2));
            if (from > to)
                throw Refusal("La plage de mailles " + item + " est vide !");
            for (std::int64_t n = from; n <= to; ++n) {
                refuseIf(refuseCellCount(static_cast<std::int32_t>(n), BatchLimits));
                counts.push_back(static_cast<std::int32_t>(n));
            }
        } else {
            counts.push_back(convert(item));
            refuseIf(refuseCellCount(counts.back(), BatchLimits));
        }
        if (comma == std::string::npos)
            return counts;
        start = comma + 1;
    }
}

// The seed: a decimal whole number from 0 to 2^64 - 1, any other text failing as a count's.
std::uint64_t seedOfOption(const std::string& text)
{
    if (const std::optional<std::uint64_t> seed = seedOf(text))
        return *seed;
    throw ConvertFailure(text);
}

// The pairs of positions a request names: a variable alone (second 0) or crossed.
std::vector<std::pair<std::int64_t, std::int64_t>> positionsOf(const VariableRequest& request, const Store& store,
                                                               const std::optional<VariableNames>& names)
{
    switch (request.kind) {
    case VariableRequest::Kind::All: {
        std::vector<std::pair<std::int64_t, std::int64_t>> all;
        for (std::int32_t v = 1; v <= store.NBVar; ++v)
            all.emplace_back(v, 0);
        return all;
    }
    case VariableRequest::Kind::Cross: {
        // Names may hold ":": the first split whose two sides both name a variable.
        const std::string& text = request.text;
        for (std::size_t colon = text.find(':'); colon != std::string::npos; colon = text.find(':', colon + 1)) {
            try {
                return {{positionOf(text.substr(0, colon), names), positionOf(text.substr(colon + 1), names)}};
            } catch (const std::exception&) {
                if (text.find(':', colon + 1) == std::string::npos)
                    throw;
            }
        }
        throw Refusal("Un corrélogramme croisé se demande --cross A:B, pas \"" + text + "\" !");
    }
    case VariableRequest::Kind::One: break;
    }
    return {{positionOf(request.text, names), 0}};
}

// What tells the chart of `result` from the others of a run: the variable's position,
// "AxB" for a cross-correlogram, then "-mN" for its N when the run sweeps over N.
std::string plotSuffix(const Correlogram& result, bool severalCellCounts)
{
    std::string suffix = std::to_string(result.variable.position);
    if (result.with)
        suffix += "x" + std::to_string(result.with->position);
    if (severalCellCounts)
        suffix += "-m" + std::to_string(result.cellsPerAxis);
    return suffix;
}

}  // namespace

std::string plotFileFor(const std::string& fileName, const std::string& suffix, bool severalCharts)
{
    if (!severalCharts)
        return fileName;
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? fileName.size() : dot;
    return fileName.substr(0, at) + "-" + suffix + fileName.substr(at);
}

namespace {

// Reads and checks every count of `options` into `context` and `threads` before anything
// is stored; `subject` names the option being read.
void readCounts(const Options& options, RunContext& context, unsigned& threads, std::string& subject)
{
    auto count = [&](const char* option, const std::string& text, auto refuse) {
        subject = option;
        const std::int32_t value = convert(text);
        refuseIf(refuse(value));
        return value;
    };
    if (options.points)
        context.points = count("--points", *options.points, [](std::int32_t p) { return refusePointCount(p, BatchLimits); });
    if (options.vars)
        context.vars = count("--vars", *options.vars, [](std::int32_t v) { return refuseVariableCount(v, BatchLimits); });
    subject = "--cells";
    context.cellsPerAxis = cellCounts(options.cellsPerAxis);
    context.permutations = count("--permutations", options.permutations, refusePermutationCount);
    subject = "--seed";
    context.seed = seedOfOption(options.seed);
    threads = usableCores();
    if (options.threads)
        threads = static_cast<unsigned>(count("--threads", *options.threads, refuseThreadCount));
    context.map = options.map;
    if (options.maxShift)
        context.maxShift = count("--max-shift", *options.maxShift, refuseMaxShift);
    subject.clear();
}

// The counts of a point file that --points or --vars leave out, guessed as the windows
// propose them (pointlayout.h), and written on `err`; the layout too without --numbered.
void guessCounts(const Options& options, const std::optional<PointFileLayout>& layout, RunContext& context,
                 std::ostream& err)
{
    if (!layout) {
        // A file that does not open is told so, as its reading would tell it, rather than
        // that its counts cannot be guessed.
        struct stat info;
        if (::stat(options.pointsFile.c_str(), &info) != 0 || S_ISDIR(info.st_mode)
            || ::access(options.pointsFile.c_str(), R_OK) != 0)
            TokenReader unopened(options.pointsFile, InputKinds::StreamsToo);
        throw Refusal("Les nombres de points et de variables ne se devinent pas de ce fichier :"
                      " donnez --points et --vars !");
    }
    const bool numbered = options.rowsAreNumbered || layout->rowsAreNumbered;
    const std::int64_t values = std::int64_t{layout->variables} + (layout->rowsAreNumbered ? 1 : 0);
    if (!context.points) {
        context.points = layout->points;
        refuseIf(refusePointCount(*context.points, BatchLimits));
    }
    if (!context.vars) {
        context.vars = static_cast<std::int32_t>(values - (numbered ? 1 : 0));
        refuseIf(refuseVariableCount(*context.vars, BatchLimits));
    }
    context.rowsAreNumbered = numbered;
    warn(err, options.pointsFile,
         "comptes devinés : --points " + writeInteger(*context.points) + " --vars "
             + writeInteger(*context.vars) + (numbered ? " --numbered" : ""));
}

// One correlogram the run computes, or the refusal of the request that named it.
struct Job {
    VariableRef variable;
    std::optional<VariableRef> with;
    std::string subject;  // what a failure of it is reported under, "variable 2 (Altitude)"
    std::exception_ptr refusal;
};

// The correlograms `options` asks for, request after request. A request that names no
// variable gives a job holding its refusal, so that the jobs before it still run.
std::vector<Job> jobsOf(const Options& options, const Store& store, const std::optional<VariableNames>& names)
{
    std::vector<Job> jobs;
    for (const VariableRequest& request : options.variables) {
        std::string subject =
            request.kind == VariableRequest::Kind::Cross ? "--cross " + request.text : "--variable " + request.text;
        try {
            for (const auto& [first, second] : positionsOf(request, store, names)) {
                Job job;
                job.variable = {static_cast<VariablePosition>(first), nameOf(first, names)};
                job.subject = describeVariable(job.variable);
                try {
                    refuseIf(refuseVariablePosition(store, first, BatchLimits));
                    if (second != 0) {
                        job.with = VariableRef{static_cast<VariablePosition>(second), nameOf(second, names)};
                        job.subject += " × " + describeVariable(*job.with);
                        refuseIf(refuseVariablePosition(store, second, BatchLimits));
                    }
                } catch (...) {
                    job.refusal = std::current_exception();
                }
                jobs.push_back(std::move(job));
            }
        } catch (...) {
            jobs.push_back({{}, {}, std::move(subject), std::current_exception()});
        }
    }
    return jobs;
}

// The message of the failure being handled, as the front ends show it, and where it arose:
// the reader's place when it has one, else `subject`.
std::pair<std::string, std::string> describeFailure(const std::string& subject)
{
    try {
        throw;
    } catch (const Refusal& refusal) {
        return {subject, refusal.what()};
    } catch (const Failure& failure) {
        return {failure.place() ? placeText(*failure.place()) : subject, messageForDisplay(failure.what())};
    } catch (const std::exception& failure) {
        // Memory ran out, most likely.
        return {subject, messageForDisplay(failureMessage(failure))};
    }
}

// One run of the command: reading the points and the names, planning the jobs, running
// each job for each N with the core's runJob(), writing each result as it comes.
class Run {
public:
    Run(Store& store, const Options& options, std::ostream& out, std::ostream& err, ChartPlotter* plotter,
        bool errIsTerminal)
        : store_(store), options_(options), err_(err), plotter_(plotter),
          writer_(makeWriter(options.format, options.decimalComma, out)),
          progress_(errIsTerminal && !options.quiet ? &err : nullptr),
          context_{options.pointsFile, options.rowsAreNumbered, {}, {}, {}, options.namesFile, {}, {}, {}, {},
                   options.crossShuffle ? Null::Shuffle : Null::Toroidal}
    {
    }

    int run()
    {
        try {
            readCounts(options_, context_, threads_, subject_);
            const std::optional<VariableNames> names = read();
            const std::vector<Job> jobs = plan(names);
            writer_->begin(context_);
            // Each N is an analysis of its own, as if it were the only one asked; a
            // correlogram that fails leaves the others to be computed.
            for (std::size_t c = 0; c < context_.cellsPerAxis->size(); ++c) {
                const std::int32_t n = (*context_.cellsPerAxis)[c];
                store_.NBMailles = n;
                subject_ = options_.pointsFile;
                progress_.show("Placement des points, " + std::to_string(n) + " mailles…");
                Calcul_Mailles(store_);
                for (const Job& job : jobs)
                    // A refused request is reported once, with the first N.
                    if (!job.refusal || c == 0)
                        runAndWrite(job, jobs.size() * context_.cellsPerAxis->size());
            }
            progress_.stop();
            writer_->finish(context_, std::nullopt);
            return anyFailed_ ? ExitFailure : ExitSuccess;
        } catch (...) {
            progress_.stop();
            const auto [where, message] = describeFailure(subject_);
            writer_->finish(context_, message);
            reportFailure(err_, where, message);
        }
        return ExitFailure;
    }

private:
    // Reads the points into the store, with the counts guessed or given, and the names of
    // the variables, from the names file or the input; writes the reading's notes on the
    // error stream.
    std::optional<VariableNames> read()
    {
        progress_.show("Lecture de " + escapeControls(options_.pointsFile) + "…");
        // Unlike the windows, the command reads pipes and devices too (`<(...)`, /dev/stdin).
        // The point file's counts are guessed from the same look that chooses its reader.
        const bool countsToGuess = !context_.points || !context_.vars;
        const Identified identified
            = chooseReader(options_.pointsFile, countsToGuess ? Proposals::PointFile : Proposals::None);
        reader_ = &identified.reader;
        subject_ = "--x";
        if (!options_.xColumn.empty() && reader_ != &delimitedReader())
            throw Refusal("--x et --y ne s'appliquent qu'à un texte délimité avec une ligne d'en-tête !");
        subject_ = "--layer";
        if (!options_.layer.empty() && reader_ != &vectorLayerReader())
            throw Refusal("--layer ne s'applique qu'à un fichier SIG de couches !");
        subject_.clear();
        if (reader_ == &pointFileReader()) {
            if (!context_.points || !context_.vars) {
                subject_ = options_.pointsFile;
                guessCounts(options_, identified.proposal, context_, err_);
                subject_.clear();
            }
            store_.NBPoints = *context_.points;
            store_.NBVar = *context_.vars;
        }
        // A format that tells its counts reads them all, or those given at most.
        const ReadOptions read{context_.points.value_or(Unbounded), context_.vars.value_or(Unbounded),
                               context_.rowsAreNumbered, InputKinds::StreamsToo, options_.xColumn, options_.yColumn,
                               options_.layer, true};
        const Reading reading = loadPoints(store_, *reader_, options_.pointsFile, read);
        context_.points = store_.NBPoints;
        context_.vars = store_.NBVar;
        context_.format = reading.format;
        for (const std::string& note : reading.notes)
            warn(err_, options_.pointsFile, note);
        if (options_.namesFile)
            return VariableNames{Lit_Noms_Vars(*options_.namesFile, InputKinds::StreamsToo), "le fichier des noms"};
        if (reading.names)
            return VariableNames{*reading.names, "le fichier " + options_.pointsFile};
        return std::nullopt;
    }

    // The jobs of the requests; a run without a correlogram to compute has nothing to
    // give: a failure.
    std::vector<Job> plan(const std::optional<VariableNames>& names)
    {
        std::vector<Job> jobs = jobsOf(options_, store_, names);
        if (jobs.empty()) {
            subject_ = options_.pointsFile;
            throw Refusal(std::string("Aucune variable à analyser : ")
                          + (reader_ == &pointFileReader() ? "--vars vaut 0" : "le fichier n'en a aucune") + " !");
        }
        return jobs;
    }

    // Runs `job` on the points placed for the store's N and writes its result, or its
    // failure, which leaves the run going; `total` is the count of jobs of the run.
    void runAndWrite(const Job& job, std::size_t total)
    {
        const std::int32_t n = store_.NBMailles;
        const bool severalCellCounts = context_.cellsPerAxis->size() > 1;
        const std::string doing = "Corrélogramme " + std::to_string(++done_) + "/" + std::to_string(total) + " ("
            + escapeControls(job.subject) + ")";
        progress_.show(doing + "…");
        subject_ = job.subject + (severalCellCounts && !job.refusal ? ", " + std::to_string(n) + " mailles" : std::string());
        JobResult result;
        try {
            if (job.refusal)
                std::rethrow_exception(job.refusal);
            const JobRequest request{.variable = job.variable,
                                     .with = job.with,
                                     .maxShift = context_.maxShift,
                                     .map = context_.map,
                                     .permutations = *context_.permutations,
                                     .seed = *context_.seed,
                                     .threads = threads_,
                                     .crossNull = context_.crossNull,
                                     .progress = [&](std::int32_t started) {
                                         progress_.show(doing + ", permutations " + std::to_string(started) + "/"
                                                        + std::to_string(*context_.permutations) + "…");
                                     }};
            result = runJob(store_, request);
        } catch (...) {
            const auto [where, message] = describeFailure(subject_);
            writer_->failed(Heading{job.variable, job.with, n, 0.0, std::nullopt, 0}, message);
            progress_.interrupt([&, &where = where, &message = message] { reportFailure(err_, where, message); });
            anyFailed_ = true;
            return;
        }
        for (const std::string& note : result.notes)
            progress_.interrupt([&] { warn(err_, subject_, note); });
        write(result, total > 1);
    }

    // Writes a job's result, and its charts with --plot.
    void write(const JobResult& result, bool severalCharts)
    {
        writer_->correlogram(result.correlogram, result.map ? &*result.map : nullptr);
        if (!options_.plotFile || !plotter_)
            return;
        const std::string suffix = plotSuffix(result.correlogram, context_.cellsPerAxis->size() > 1);
        plotter_->plot(result.correlogram, plotFileFor(*options_.plotFile, suffix, severalCharts));
        if (result.map)
            plotter_->plotMap(*result.map, plotFileFor(*options_.plotFile, severalCharts ? suffix + "-carte" : "carte", true));
    }

    Store& store_;
    const Options& options_;
    std::ostream& err_;
    ChartPlotter* plotter_;
    const std::unique_ptr<ReportWriter> writer_;
    Progress progress_;
    RunContext context_;
    const Reader* reader_ = nullptr;
    unsigned threads_ = 1;
    // What the run is about, for a failure that does not carry its place: the option being
    // read, the point file being placed, the variable being computed.
    std::string subject_;
    std::size_t done_ = 0;  // the jobs started
    bool anyFailed_ = false;
};

}  // namespace

unsigned usableCores()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
        return static_cast<unsigned>(CPU_COUNT(&allowed));
    // More processors than the set holds, or no affinity to ask: the machine's.
    return std::max(std::thread::hardware_concurrency(), 1u);
}

int runAnalysis(Store& store, const Options& options, std::ostream& out, std::ostream& err, ChartPlotter* plotter,
                bool errIsTerminal)
{
    return Run(store, options, out, err, plotter, errIsTerminal).run();
}

int runCommand(Store& store, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               ChartPlotter* plotter, bool errIsTerminal)
{
    try {
        Options options;
        try {
            options = parseCommandLine(args);
            if (options.plotFile && !plotter)
                throw UsageError("l'option --plot n'est pas disponible : ce geolago-cli a été construit sans les fenêtres");
        } catch (const UsageError& error) {
            // The message quotes what was typed: its control characters are escaped, so
            // that it stays one line and sends nothing to the terminal.
            err << "geolago-cli : " << escapeControls(error.what()) << '\n' << usageLine() << '\n';
            return ExitUsage;
        }
        int status = ExitSuccess;
        if (options.help)
            out << helpText();
        else
            status = runAnalysis(store, options, out, err, plotter, errIsTerminal);

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
