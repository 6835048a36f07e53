// The compiled half of the Python module geolago: an input read into columns, and one
// correlogram (with its map) of columns of numbers, on the path the batch command takes:
// a PointTable stored, its points placed, runJob. The Python half (geolago/__init__.py)
// turns what the user gives into columns and the figures into its result objects.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cancellation.h"
#include "correlogram.h"
#include "correlogram_map.h"
#include "failures.h"
#include "job.h"
#include "names.h"
#include "numbertext.h"
#include "pointlayout.h"
#include "readers.h"
#include "refusals.h"
#include "significance.h"
#include "store.h"

namespace py = pybind11;
using namespace geolago;

namespace {

// A failure as the user reads it: the French message, and where it arose (the file and
// line of a reading, the argument of a call), empty when nowhere in particular.
struct UserFailure {
    std::string message;
    std::string place;
};

// geolago.Error, a ValueError.
PyObject* errorType = nullptr;

[[noreturn]] void fail(std::string message, std::string place = {})
{
    throw UserFailure{std::move(message), std::move(place)};
}

void refuse(const std::optional<std::string>& refusal, const std::string& place)
{
    if (refusal)
        fail(*refusal, place);
}

// The failure being handled, as the batch command reports it: the reader's place when the
// failure has one, else `subject`.
UserFailure describeFailure(const std::exception_ptr& failure, const std::string& subject)
{
    try {
        std::rethrow_exception(failure);
    } catch (const UserFailure& refusal) {
        return refusal;
    } catch (const Failure& failure) {
        return {messageForDisplay(failure.what()), failure.place() ? placeText(*failure.place()) : subject};
    } catch (const std::exception& failure) {
        // Memory ran out, most likely.
        return {messageForDisplay(failureMessage(failure)), subject};
    }
}

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// `values` as a NumPy array that owns them, without a copy.
py::array_t<double> toArray(Values&& values)
{
    auto* owned = new Values(std::move(values));
    py::capsule owner(owned, [](void* held) { delete static_cast<Values*>(held); });
    return py::array_t<double>(static_cast<py::ssize_t>(owned->size()), owned->data(), owner);
}

template <typename T>
py::array_t<T> filled(std::size_t size, const auto& valueOf)
{
    py::array_t<T> array(static_cast<py::ssize_t>(size));
    T* at = array.mutable_data();
    for (std::size_t i = 0; i < size; ++i)
        at[i] = valueOf(i);
    return array;
}

double orNaN(const std::optional<double>& value)
{
    return value ? *value : std::nan("");
}

py::object orNone(const std::optional<double>& value)
{
    return value ? py::object(py::float_(*value)) : py::object(py::none());
}

// The figures every lag has, a column each: r, pairs and the test.
void addLagColumns(py::dict& columns, const std::vector<Shift>& lags)
{
    const std::size_t n = lags.size();
    columns["r"] = filled<double>(n, [&](std::size_t i) { return orNaN(lags[i].r); });
    columns["pairs"] = filled<std::int64_t>(n, [&](std::size_t i) { return lags[i].pairs; });
    columns["p"] = filled<double>(n, [&](std::size_t i) { return orNaN(lags[i].p); });
    columns["low"] = filled<double>(n, [&](std::size_t i) { return orNaN(lags[i].low); });
    columns["high"] = filled<double>(n, [&](std::size_t i) { return orNaN(lags[i].high); });
    columns["p_holm"] = filled<double>(n, [&](std::size_t i) { return orNaN(lags[i].pHolm); });
    columns["p_fwer"] = filled<double>(n, [&](std::size_t i) { return orNaN(lags[i].pFwer); });
    columns["permutations_used"] = filled<std::int64_t>(n, [&](std::size_t i) { return lags[i].permutationsUsed; });
}

py::dict directionColumns(const std::vector<Shift>& shifts)
{
    py::dict columns;
    columns["shift"] = filled<std::int64_t>(shifts.size(), [](std::size_t k) { return static_cast<std::int64_t>(k); });
    columns["distance"] = filled<double>(shifts.size(), [&](std::size_t k) { return shifts[k].distance(); });
    addLagColumns(columns, shifts);
    return columns;
}

py::dict mapColumns(const CorrelogramMap& map)
{
    const std::vector<Shift>& v = map.vectors;
    py::dict columns;
    columns["dx"] = filled<std::int64_t>(v.size(), [&](std::size_t i) { return v[i].vector.dx; });
    columns["dy"] = filled<std::int64_t>(v.size(), [&](std::size_t i) { return v[i].vector.dy; });
    columns["distance_x"] = filled<double>(v.size(), [&](std::size_t i) { return v[i].distanceX; });
    columns["distance_y"] = filled<double>(v.size(), [&](std::size_t i) { return v[i].distanceY; });
    addLagColumns(columns, v);
    return columns;
}

std::string nullName(Null null)
{
    return null == Null::Toroidal ? "toroidal" : "shuffle";
}

py::dict resultOf(const JobResult& job)
{
    const Correlogram& c = job.correlogram;
    py::dict result;
    result["cells"] = c.cellsPerAxis;
    result["fill"] = c.fill;
    result["null"] = c.testNull ? py::object(py::str(nullName(*c.testNull))) : py::object(py::none());
    result["permutations_made"] = c.permutationsMade;
    py::dict crossings;
    crossings["E_W"] = orNone(c.zeroCrossingEastWest);
    crossings["N_S"] = orNone(c.zeroCrossingNorthSouth);
    result["zero_crossing"] = crossings;
    result["E_W"] = directionColumns(c.eastWest);
    result["N_S"] = directionColumns(c.northSouth);
    result["notes"] = job.notes;
    if (job.map) {
        result["max_shift"] = job.map->maxShift;
        result["map"] = mapColumns(*job.map);
        py::dict anisotropy;
        anisotropy["direction"] = orNone(job.map->anisotropy.direction);
        anisotropy["ratio"] = orNone(job.map->anisotropy.ratio);
        result["anisotropy"] = anisotropy;
    }
    return result;
}

// One correlogram of columns: coordinates `x`, `y` and the variables `columns`, named
// `names`, variable `first` (1-based) crossed with `second` (0: none). The points without
// both coordinates are left out, as a delimited text's rows are.
py::dict correlogramOf(const Doubles& x, const Doubles& y, const std::vector<Doubles>& columns,
                     const std::vector<std::string>& names, std::int64_t first, std::int64_t second,
                     std::int64_t cells, std::optional<std::int64_t> maxShift, bool map, std::int64_t permutations,
                     std::uint64_t seed, const std::string& null, std::int64_t threads)
{
    const auto count = [](std::int64_t value) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -1, std::numeric_limits<std::int32_t>::max()));
    };
    refuse(refuseCellCount(count(cells), BatchLimits), "cells");
    refuse(refusePermutationCount(count(permutations)), "permutations");
    refuse(refuseThreadCount(count(threads)), "threads");
    if (maxShift)
        refuse(refuseMaxShift(count(*maxShift)), "max_shift");
    if (null != "shuffle" && null != "toroidal")
        fail("L'hypothèse nulle doit être \"shuffle\" ou \"toroidal\" !", "null");
    if (x.ndim() != 1 || y.ndim() != 1)
        fail("Les coordonnées doivent être des tableaux à une dimension !", x.ndim() != 1 ? "x" : "y");
    const std::size_t n = static_cast<std::size_t>(x.shape(0));
    if (static_cast<std::size_t>(y.shape(0)) != n)
        fail("x a " + std::to_string(n) + " valeurs, y en a " + std::to_string(y.shape(0)) + " !", "y");
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::string& name = names[c];
        if (columns[c].ndim() != 1)
            fail("Les valeurs doivent être un tableau à une dimension !", name);
        if (static_cast<std::size_t>(columns[c].shape(0)) != n)
            fail("La variable a " + std::to_string(columns[c].shape(0)) + " valeurs pour " + std::to_string(n)
                     + " points !",
                 name);
    }

    if (names.size() != columns.size())
        fail("Il faut un nom par variable !", "names");
    const auto variables = static_cast<std::int64_t>(columns.size());
    if (first < 1 || first > variables || second < 0 || second > variables)
        fail("La variable " + std::to_string(first < 1 || first > variables ? first : second)
                 + " n'a pas été lue : il y en a " + std::to_string(variables) + " !",
             first < 1 || first > variables ? "variable" : "cross");

    auto store = std::make_unique<Store>();
    std::optional<py::error_already_set> interrupted;
    std::exception_ptr failure;
    JobResult result;
    std::size_t skipped = 0;
    std::string subject;
    {
        py::gil_scoped_release unlocked;
        try {
            // The points with both coordinates, column after column: copied whole when
            // every point has them, the usual case.
            const double* xs = x.data();
            const double* ys = y.data();
            const auto located = [&](std::size_t i) { return !isMissing(xs[i]) && !isMissing(ys[i]); };
            for (std::size_t i = 0; i < n; ++i) {
                if (std::isinf(xs[i]) || std::isinf(ys[i]))
                    fail("La coordonnée du point " + std::to_string(i + 1) + " n'est pas finie !",
                         std::isinf(xs[i]) ? "x" : "y");
                skipped += !located(i);
            }
            if (skipped == n)
                fail(n == 0 ? "Aucun point : les tableaux sont vides !" : "Aucun point n'a ses deux coordonnées !", "x");
            PointTable table;
            table.source = "Python";  // a table is stored under its source
            table.format = "python";
            table.named = true;
            auto column = [&](std::string name, const double* values, bool coordinate) {
                if (!coordinate)
                    for (std::size_t i = 0; i < n; ++i)
                        if (std::isinf(values[i]) && located(i))
                            fail("La valeur du point " + std::to_string(i + 1) + " n'est pas finie !", name);
                NamedColumn copy{std::move(name), {}};
                if (skipped == 0) {
                    copy.values.assign(values, values + n);
                } else {
                    copy.values.reserve(n - skipped);
                    for (std::size_t i = 0; i < n; ++i)
                        if (located(i))
                            copy.values.push_back(values[i]);
                }
                table.columns.push_back(std::move(copy));
            };
            column("X", xs, true);
            column("Y", ys, true);
            for (std::size_t c = 0; c < columns.size(); ++c)
                column(names[c], columns[c].data(), false);
            for (const std::int64_t position : {first, second}) {
                if (position == 0)
                    continue;
                const Values& values = table.columns[static_cast<std::size_t>(position) + 1].values;
                if (std::all_of(values.begin(), values.end(), isMissing))
                    fail("La variable n'a aucune valeur aux points qui ont leurs coordonnées !",
                         names[static_cast<std::size_t>(position) - 1]);
            }

            storeReading(*store, TableReading{std::move(table), nullptr});
            refuse(refuseVariablePosition(*store, first, BatchLimits), "variable");
            if (second != 0)
                refuse(refuseVariablePosition(*store, second, BatchLimits), "cross");
            store->NBMailles = static_cast<std::int32_t>(cells);
            subject = "x, y";
            Calcul_Mailles(*store);

            JobRequest request;
            request.variable = {static_cast<VariablePosition>(first), names[static_cast<std::size_t>(first) - 1]};
            subject = describeVariable(request.variable);
            if (second != 0) {
                request.with = Named{static_cast<VariablePosition>(second), names[static_cast<std::size_t>(second) - 1]};
                subject += " × " + describeVariable(*request.with);
            }
            if (maxShift)
                request.maxShift = count(*maxShift);
            request.map = map;
            request.permutations = static_cast<std::int32_t>(permutations);
            request.seed = seed;
            request.threads = static_cast<unsigned>(threads);
            request.crossNull = null == "shuffle" ? Null::Shuffle : Null::Toroidal;
            // Between blocks of permutations, on this thread: Ctrl-C stops the test.
            request.progress = [&](std::int32_t) {
                py::gil_scoped_acquire locked;
                if (PyErr_CheckSignals() != 0) {
                    interrupted.emplace();
                    throw Cancelled();
                }
            };
            result = runJob(*store, request);
        } catch (...) {
            failure = std::current_exception();
        }
        store.reset();
    }
    if (interrupted)
        throw *interrupted;
    if (failure)
        throw describeFailure(failure, subject);
    py::dict figures = resultOf(result);
    figures["skipped"] = skipped;
    return figures;
}

// An input read as the batch command reads it: its coordinates, its variables and their
// names, its format and what the user should know of the reading.
py::dict readInput(const std::string& path, const std::optional<std::string>& x, const std::optional<std::string>& y,
              const std::optional<std::string>& layer, const std::optional<std::string>& namesFile)
{
    TableReading reading;
    std::vector<std::string> names, notes;
    std::exception_ptr failure;
    std::string subject = path;
    {
        py::gil_scoped_release unlocked;
        try {
            const Reader& reader = readerFor(path);
            if ((x || y) && &reader != &delimitedReader())
                fail("x et y ne s'appliquent qu'à un texte délimité avec une ligne d'en-tête !", x ? "x" : "y");
            if (layer && &reader != &vectorLayerReader())
                fail("layer ne s'applique qu'à un fichier SIG de couches !", "layer");
            ReadOptions options{Unbounded, Unbounded, false, InputKinds::StreamsToo, x.value_or(""), y.value_or(""),
                                layer.value_or(""), true};
            if (&reader == &pointFileReader()) {
                // A point file does not tell its counts: they are guessed as the command
                // guesses them.
                const std::optional<PointFileLayout> layout = guessPointFileLayoutOfFile(path);
                if (!layout && !std::filesystem::exists(path)) {
                    IoFailure missing(io::FileNotFound);
                    missing.setPlace(Place(path));
                    throw missing;
                }
                if (!layout)
                    fail("Les nombres de points et de variables ne se devinent pas de ce fichier !", path);
                options.points = layout->points;
                options.variables = layout->variables;
                options.rowsAreNumbered = layout->rowsAreNumbered;
                notes.push_back("comptes devinés : " + writeInteger(layout->points) + " points, "
                                + writeInteger(layout->variables) + " variables"
                                + (layout->rowsAreNumbered ? ", lignes numérotées" : ""));
            }
            reading = readPoints(reader, path, options);
            if (reading.failure)
                std::rethrow_exception(reading.failure);
            for (std::size_t c = 2; c < reading.table.columns.size(); ++c)
                names.push_back(reading.table.columns[c].name);
            if (namesFile) {
                subject = *namesFile;
                const std::vector<std::string> given = Lit_Noms_Vars(*namesFile, InputKinds::StreamsToo);
                for (std::size_t i = 0; i < given.size() && i < names.size(); ++i)
                    names[i] = given[i];
            }
            notes.insert(notes.end(), reading.table.notes.begin(), reading.table.notes.end());
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (failure)
        throw describeFailure(failure, subject);

    PointTable& table = reading.table;
    const std::size_t points = table.points();
    py::list columns;
    for (NamedColumn& column : table.columns) {
        column.values.resize(points);
        columns.append(toArray(std::move(column.values)));
    }
    py::dict read;
    read["source"] = path;
    read["format"] = table.format;
    read["names"] = names;
    read["columns"] = columns;
    read["notes"] = notes;
    return read;
}

}  // namespace

PYBIND11_MODULE(_geolago, module)
{
    module.doc() = "Le calcul de Geolago : lecture des entrées et corrélogrammes";
    static py::exception<UserFailure> error(module, "Error", PyExc_ValueError);
    errorType = error.ptr();
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const UserFailure& failure) {
            const std::string text = failure.place.empty() ? failure.message : failure.place + ": " + failure.message;
            py::object instance = py::reinterpret_borrow<py::object>(errorType)(text);
            instance.attr("message") = failure.message;
            instance.attr("place") = failure.place.empty() ? py::object(py::none()) : py::object(py::str(failure.place));
            PyErr_SetObject(errorType, instance.ptr());
        }
    });
    module.def("read", &readInput, py::arg("path"), py::arg("x"), py::arg("y"), py::arg("layer"), py::arg("names"));
    module.def("correlogram", &correlogramOf, py::arg("x"), py::arg("y"), py::arg("columns"), py::arg("names"),
               py::arg("first"), py::arg("second"), py::arg("cells"), py::arg("max_shift"), py::arg("map"),
               py::arg("permutations"), py::arg("seed"), py::arg("null"), py::arg("threads"));
    module.attr("MAX_PERMUTATIONS") = MaxPermutations;
}
