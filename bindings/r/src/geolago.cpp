// The R package's entry into the core: R vectors become a point table, stored and placed
// as the batch command stores and places a file's points, then one runJob() per call.
// Every failure leaves as an R error carrying the core's French message; an interrupt
// typed in R stops the permutations between two blocks.

#include <Rcpp.h>
#include <R_ext/Utils.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis.h"
#include "cancellation.h"
#include "correlogram_map.h"
#include "delimited.h"
#include "failures.h"
#include "job.h"
#include "pointtable.h"
#include "readers.h"
#include "refusals.h"
#include "significance.h"
#include "store.h"

using namespace geolago;

namespace {

// The refusal of the argument `argument` given as `value`, named as the call wrote it.
void refuseIf(const std::optional<std::string>& refusal, const std::string& argument, const std::string& value)
{
    if (refusal)
        throw Refusal(argument + " = " + value + " : " + *refusal);
}

std::optional<std::string> refusal(bool refused, const std::string& message)
{
    return refused ? std::optional<std::string>(message) : std::nullopt;
}

// R_CheckUserInterrupt() jumps out when an interrupt is pending: run inside
// R_ToplevelExec, the jump stops there and tells us, without crossing any C++ frame.
void checkInterrupt(void*)
{
    R_CheckUserInterrupt();
}

bool interruptPending()
{
    return R_ToplevelExec(checkInterrupt, nullptr) == FALSE;
}

std::uint64_t seedOfArgument(const std::string& text)
{
    if (const std::optional<std::uint64_t> seed = seedOf(text))
        return *seed;
    throw Refusal("seed = \"" + text + "\" : La graine doit être un nombre entier de 0 à 18446744073709551615 !");
}

// The points of the call as a reader would give them: X, Y, then A (and B), named. A
// point without both coordinates is left out, as the reading of a file skips its rows
// without both; an infinite coordinate or a variable without any value is refused.
struct Points {
    PointTable table;
    std::int64_t skipped = 0;
    std::vector<int> firstSkipped;  // the first 10, from 1
};

Points pointsOf(const Rcpp::NumericVector& x, const Rcpp::NumericVector& y,
                const std::vector<Rcpp::NumericVector>& variables, const std::vector<std::string>& names)
{
    Points points;
    const R_xlen_t n = x.size();
    const double* xs = x.begin();
    const double* ys = y.begin();
    std::vector<const double*> values;
    for (const Rcpp::NumericVector& v : variables)
        values.push_back(v.begin());
    std::vector<std::vector<double>> columns(2 + variables.size());
    for (auto& column : columns)
        column.reserve(static_cast<std::size_t>(n));
    // One pass: each point's values read once, written once.
    for (R_xlen_t i = 0; i < n; ++i) {
        const double px = xs[i], py = ys[i];
        if (!std::isfinite(px) || !std::isfinite(py)) [[unlikely]] {
            if (!std::isnan(px) && !std::isnan(py)) {
                const bool alongX = std::isinf(px);
                throw Refusal("La coordonnée « " + names[alongX ? 0 : 1] + " » du point " + std::to_string(i + 1)
                              + " est infinie (" + ((alongX ? px : py) > 0 ? "Inf" : "-Inf") + ") !");
            }
            if (points.firstSkipped.size() < 10)
                points.firstSkipped.push_back(static_cast<int>(i + 1));
            ++points.skipped;
            continue;
        }
        columns[0].push_back(px);
        columns[1].push_back(py);
        for (std::size_t v = 0; v < values.size(); ++v)
            columns[2 + v].push_back(values[v][i]);
    }
    if (columns[0].empty())
        throw Refusal("Aucun point n'a ses deux coordonnées !");
    for (std::size_t v = 0; v < variables.size(); ++v)
        if (std::all_of(columns[2 + v].begin(), columns[2 + v].end(), isMissing))
            throw Refusal("La variable « " + names[2 + v] + " » n'a aucune valeur : toutes manquent !");
    points.table.source = "R";
    points.table.format = "R";
    points.table.named = true;
    for (std::size_t c = 0; c < columns.size(); ++c)
        points.table.columns.push_back(NamedColumn{c < 2 ? (c == 0 ? "X" : "Y") : names[c], std::move(columns[c])});
    return points;
}

Rcpp::NumericVector optionals(const std::vector<std::optional<double>>& values)
{
    Rcpp::NumericVector out(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        out[i] = values[i] ? *values[i] : NA_REAL;
    return out;
}

double optional(const std::optional<double>& value)
{
    return value ? *value : NA_REAL;
}

// r, the pairs and the test of each lag, the columns every table of results ends with.
void appendTested(Rcpp::List& columns, const std::vector<const Shift*>& lags)
{
    const auto column = [&](auto field) {
        std::vector<std::optional<double>> values;
        values.reserve(lags.size());
        for (const Shift* lag : lags)
            values.push_back(field(*lag));
        return optionals(values);
    };
    Rcpp::IntegerVector pairs(lags.size());
    for (std::size_t i = 0; i < lags.size(); ++i)
        pairs[i] = lags[i]->pairs;
    columns["r"] = column([](const Shift& s) { return s.r; });
    columns["pairs"] = pairs;
    columns["p"] = column([](const Shift& s) { return s.p; });
    columns["low"] = column([](const Shift& s) { return s.low; });
    columns["high"] = column([](const Shift& s) { return s.high; });
    columns["p_holm"] = column([](const Shift& s) { return s.pHolm; });
    columns["p_fwer"] = column([](const Shift& s) { return s.pFwer; });
}

Rcpp::List correlogramRows(const Correlogram& result)
{
    std::vector<const Shift*> lags;
    Rcpp::CharacterVector direction;
    Rcpp::IntegerVector shift;
    Rcpp::NumericVector distance;
    for (const Direction d : {Direction::EastWest, Direction::NorthSouth}) {
        const std::vector<Shift>& of = result.of(d);
        for (std::size_t k = 0; k < of.size(); ++k) {
            lags.push_back(&of[k]);
            direction.push_back(d == Direction::EastWest ? "E_W" : "N_S");
            shift.push_back(static_cast<int>(k));
            distance.push_back(of[k].distance());
        }
    }
    Rcpp::List columns;
    columns["direction"] = direction;
    columns["shift"] = shift;
    columns["distance"] = distance;
    appendTested(columns, lags);
    return columns;
}

Rcpp::List mapRows(const CorrelogramMap& map)
{
    std::vector<const Shift*> lags;
    Rcpp::IntegerVector dx(map.vectors.size()), dy(map.vectors.size());
    Rcpp::NumericVector distanceX(map.vectors.size()), distanceY(map.vectors.size());
    for (std::size_t i = 0; i < map.vectors.size(); ++i) {
        const Shift& v = map.vectors[i];
        lags.push_back(&v);
        dx[i] = v.vector.dx;
        dy[i] = v.vector.dy;
        distanceX[i] = v.distanceX;
        distanceY[i] = v.distanceY;
    }
    Rcpp::List columns;
    columns["dx"] = dx;
    columns["dy"] = dy;
    columns["distance_x"] = distanceX;
    columns["distance_y"] = distanceY;
    appendTested(columns, lags);
    return columns;
}

// The request of one call, checked as the batch command checks its options.
struct Call {
    std::int32_t cellsPerAxis = 10;
    std::optional<std::int32_t> maxShift;
    std::int32_t permutations = 0;
    std::uint64_t seed = 1;
    Null crossNull = Null::Toroidal;
    bool map = false;
    unsigned threads = 0;
};

Call callOf(int cells, int maxShift, int permutations, const std::string& seed, const std::string& null, bool map,
            int threads)
{
    Call call;
    refuseIf(refuseCellCount(cells, BatchLimits), "cells", std::to_string(cells));
    call.cellsPerAxis = cells;
    if (maxShift != NA_INTEGER) {
        refuseIf(refuseMaxShift(maxShift), "max_shift", std::to_string(maxShift));
        call.maxShift = maxShift;
    }
    refuseIf(refusePermutationCount(permutations), "permutations", std::to_string(permutations));
    call.permutations = permutations;
    call.seed = seedOfArgument(seed);
    refuseIf(refusal(null != "toroidal" && null != "shuffle", "L'hypothèse nulle est \"shuffle\" ou \"toroidal\" !"),
             "null", "\"" + null + "\"");
    call.crossNull = null == "shuffle" ? Null::Shuffle : Null::Toroidal;
    call.map = map;
    if (threads != NA_INTEGER) {
        refuseIf(refuseThreadCount(threads), "threads", std::to_string(threads));
        call.threads = static_cast<unsigned>(threads);
    }
    return call;
}

}  // namespace

// The correlograms of z (crossed with w when given) at the points (x, y), and their map
// when asked: a list of the rows' columns and the heading's figures. `names` are those of
// x, y, z and w for the messages; the vectors come from R as long as each other.
// [[Rcpp::export(.geolago_run)]]
Rcpp::List geolagoRun(Rcpp::NumericVector x, Rcpp::NumericVector y, Rcpp::NumericVector z,
                      Rcpp::Nullable<Rcpp::NumericVector> w, std::vector<std::string> names, bool withIsVariable,
                      int cells, int maxShift, int permutations, std::string seed, std::string null, bool map,
                      int threads)
{
    std::string subject;
    try {
        const Call call = callOf(cells, maxShift, permutations, seed, null, map, threads);
        std::vector<Rcpp::NumericVector> variables{z};
        if (w.isNotNull() && !withIsVariable)
            variables.emplace_back(w);
        for (const Rcpp::NumericVector& v : variables)
            if (v.size() != x.size() || y.size() != x.size())
                throw Refusal("Les coordonnées et les variables n'ont pas toutes le même nombre de points !");
        refuseIf(refusePointCount(x.size() > INT32_MAX ? -1 : static_cast<std::int32_t>(x.size()), BatchLimits), "x",
                 std::to_string(x.size()) + " points");
        Points points = pointsOf(x, y, variables, names);
        const std::string& zName = names[2];
        const std::string& wName = names[3];

        // The store is too large for the stack.
        const auto store = std::make_unique<Store>();
        storeReading(*store, TableReading{std::move(points.table), nullptr});
        store->NBMailles = call.cellsPerAxis;
        Calcul_Mailles(*store);

        Cancellation cancellation;
        const CancellationScope scope(cancellation);
        JobRequest request{.variable = Named{1, zName},
                           .with = std::nullopt,
                           .maxShift = call.maxShift,
                           .map = call.map,
                           .permutations = call.permutations,
                           .seed = call.seed,
                           .threads = call.threads,
                           .crossNull = call.crossNull,
                           .progress = [&](std::int32_t) {
                               if (interruptPending())
                                   cancellation.raise();
                               checkCancelled();
                           }};
        if (w.isNotNull())
            request.with = Named{withIsVariable ? 1 : 2, wName};
        subject = describeVariable(request.variable);
        if (request.with)
            subject += " × " + describeVariable(*request.with);
        const JobResult job = runJob(*store, request);

        const Correlogram& result = job.correlogram;
        Rcpp::List out;
        out["rows"] = correlogramRows(result);
        out["points"] = store->NBPoints;
        out["cells"] = result.cellsPerAxis;
        out["fill"] = result.fill;
        out["zero_crossing"] = Rcpp::NumericVector::create(Rcpp::Named("E_W") = optional(result.zeroCrossingEastWest),
                                                           Rcpp::Named("N_S") = optional(result.zeroCrossingNorthSouth));
        out["null"] = result.testNull ? Rcpp::CharacterVector(result.testNull == Null::Toroidal ? "toroidal" : "shuffle")
                                      : Rcpp::CharacterVector::create(NA_STRING);
        out["permutations"] = result.permutationsMade;
        out["notes"] = Rcpp::wrap(job.notes);
        out["subject"] = subject;
        out["skipped"] = static_cast<double>(points.skipped);
        out["first_skipped"] = Rcpp::wrap(points.firstSkipped);
        if (job.map) {
            Rcpp::List m;
            m["rows"] = mapRows(*job.map);
            m["max_shift"] = job.map->maxShift;
            m["anisotropy"] = Rcpp::NumericVector::create(
                Rcpp::Named("direction") = optional(job.map->anisotropy.direction),
                Rcpp::Named("ratio") = optional(job.map->anisotropy.ratio));
            out["map"] = m;
        }
        return out;
    } catch (const Cancelled&) {
        throw Rcpp::internal::InterruptedException();
    } catch (const Refusal& refusal) {
        throw Rcpp::exception(refusal.what(), false);
    } catch (const Failure& failure) {
        const std::string where = failure.place() ? placeText(*failure.place()) : subject;
        const std::string message = messageForDisplay(failure.what());
        throw Rcpp::exception((where.empty() ? message : where + " : " + message).c_str(), false);
    } catch (const std::exception& failure) {
        const std::string message = messageForDisplay(failureMessage(failure));
        throw Rcpp::exception((subject.empty() ? message : subject + " : " + message).c_str(), false);
    }
}

// The positions, from 1, of the coordinates the core's delimited reading takes among
// `names`, a header's: x/y, lon/lat...; none when no pair is there.
// [[Rcpp::export(.geolago_coordinates_named)]]
Rcpp::Nullable<Rcpp::IntegerVector> coordinatesNamedR(std::vector<std::string> names)
{
    const auto named = coordinatesNamed(names);
    if (!named)
        return R_NilValue;
    return Rcpp::IntegerVector::create(static_cast<int>(named->first) + 1, static_cast<int>(named->second) + 1);
}

// The core's note on coordinates in degrees.
// [[Rcpp::export(.geolago_degrees_note)]]
std::string degreesNote()
{
    return DegreesNote;
}

// The core's own time, in seconds, of the call's path once the points are a table in
// memory: storing, placing, runJob() and freeing the store, the best of `repeats`; for
// the benchmark.
// [[Rcpp::export(.geolago_core_seconds)]]
double coreSeconds(Rcpp::NumericVector x, Rcpp::NumericVector y, Rcpp::NumericVector z, int cells, int repeats)
{
    const PointTable table = pointsOf(x, y, {z}, {"X", "Y", "z"}).table;
    double best = INFINITY;
    for (int i = 0; i < repeats; ++i) {
        PointTable copy = table;
        const auto start = std::chrono::steady_clock::now();
        {
            const auto store = std::make_unique<Store>();
            storeReading(*store, TableReading{std::move(copy), nullptr});
            store->NBMailles = cells;
            Calcul_Mailles(*store);
            runJob(*store, JobRequest{.variable = Named{1, "z"}});
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
