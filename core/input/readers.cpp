#include "readers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <span>

#include "names.h"

namespace geolago {

namespace {

// The formats asked before the point file, in turn: each new format goes here.
std::span<const Reader* const> claimingReaders()
{
    static const std::array<const Reader*, 3> readers{&delimitedReader(), &vectorLayerReader(), &rasterReader()};
    return readers;
}

// The first claiming reader of `head`, with its proposal when `proposal` is given.
const Reader* claimant(const FileHead& head, std::optional<PointFileLayout>* proposal)
{
    if (!head.isRegularFile())
        return nullptr;
    for (const Reader* reader : claimingReaders()) {
        if (!proposal) {
            if (reader->claims(head))
                return reader;
        } else if ((*proposal = reader->identify(head))) {
            return reader;
        }
    }
    return nullptr;
}

// Gives Coord and Donnees what `table` holds, and pointsFile its source; `failed` when the
// reading stopped at a failure. A column of the
// table at least as long as the store's is moved in whole, the store's own freed: that is
// every column of a reading of MaxPoints points or more (the store holds as many from the
// start), as long as any before; a shorter one is written over the first values of the
// store's, which keeps the rest.
void storePoints(PointTable& table, Store& store, bool failed)
{
    // A reading that failed before its input opened leaves the store as it was; a table
    // made in memory (the Python module, the R package) has no source, and is stored.
    if (table.source.empty() && failed)
        return;
    store.pointsFile = table.source;
    // The rows the store's counts name, and the point a failure stopped in; when the
    // counts asked were only a bound too large to make room for, the rows read. (A
    // reading that succeeds needs no row more: the columns it gives are kept as they are.)
    const auto read = static_cast<std::int32_t>(table.points()) + (failed ? 1 : 0);
    const auto variables = static_cast<std::int32_t>(table.variables());
    auto reserve = [&](std::int32_t points, std::int32_t columns) {
        try {
            try {
                store.reserve(points, columns);
            } catch (const std::bad_alloc&) {
                store.reserve(std::min(points, read), std::min(columns, variables));
            }
        } catch (const std::bad_alloc&) {
            throw memoryFailure(static_cast<long long>(table.points()), variables, table.source);
        }
    };
    // Room for the columns first, none for their points: the long ones come whole.
    reserve(0, std::max(variables, store.NBVar));
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        Values& values = table.columns[c].values;
        Values& held = c < 2 ? store.Coord.column(static_cast<int>(c) + 1) : store.Donnees.column(static_cast<int>(c) - 1);
        if (values.size() >= held.size())
            held = std::move(values);
        else if (!values.empty())
            std::copy(values.begin(), values.end(), held.begin());
    }
    reserve(std::max(read, store.NBPoints), std::max(variables, store.NBVar));
}
}  // namespace

Failure memoryFailure(long long points, long long variables, const std::string& fileName)
{
    // Thousands apart, as the French write them.
    auto grouped = [](long long value) {
        const std::string digits = std::to_string(value);
        std::string text;
        for (std::size_t at = 0; at < digits.size(); ++at)
            text.append(at > 0 && (digits.size() - at) % 3 == 0 ? " " : "").push_back(digits[at]);
        return text;
    };
    // X, Y and the values, as doubles.
    const double bytes = static_cast<double>(points) * static_cast<double>(variables + 2) * sizeof(double);
    const char* units[] = {"octets", "Ko", "Mo", "Go", "To"};
    double amount = bytes;
    std::size_t unit = 0;
    while (amount >= 1000 && unit + 1 < std::size(units)) {
        amount /= 1000;
        ++unit;
    }
    Failure failure("Mémoire insuffisante pour " + grouped(points) + " points de " + grouped(variables)
                    + " variables (environ " + grouped(std::llround(amount)) + " " + units[unit] + ")");
    failure.setPlace(Place(fileName));
    return failure;
}

std::string firstOnlyNote(long long found, long long taken, const std::string& items, bool feminine)
{
    std::string text = "Le fichier contient " + std::to_string(found) + " " + items + " ; ";
    if (taken == 0)
        text += feminine ? "aucune n'a été lue" : "aucun n'a été lu";
    else if (taken == 1)
        text += feminine ? "seule la première a été lue" : "seul le premier a été lu";
    else
        text += (feminine ? "seules les " : "seuls les ") + std::to_string(taken)
            + (feminine ? " premières ont été lues" : " premiers ont été lus");
    return text + ".";
}

std::vector<std::string> Reader::variableNames(const std::string& fileName, const ReadOptions& options) const
{
    PointTable table;
    read(fileName, options, table);
    std::vector<std::string> names;
    for (std::size_t c = 2; c < table.columns.size(); ++c)
        names.push_back(table.columns[c].name);
    return names;
}

Identified chooseReader(const std::string& fileName, Proposals proposals)
{
    const FileHead head(fileName);
    std::optional<PointFileLayout> proposal;
    if (const Reader* reader = claimant(head, proposals == Proposals::Every ? &proposal : nullptr))
        return {*reader, proposal};
    const Reader& points = pointFileReader();
    if (proposals != Proposals::None && head.isRegularFile())
        proposal = points.identify(head);
    return {points, proposal};
}

Identified identifyInput(const std::string& fileName)
{
    return chooseReader(fileName, Proposals::Every);
}

const Reader& readerFor(const std::string& fileName)
{
    return chooseReader(fileName, Proposals::None).reader;
}

TableReading readPoints(const Reader& reader, const std::string& fileName, const ReadOptions& options)
{
    TableReading reading;
    try {
        reader.read(fileName, options, reading.table);
    } catch (...) {
        reading.failure = std::current_exception();
    }
    return reading;
}

Reading storeReading(Store& store, TableReading&& read)
{
    // A reading, even one that fails, outdates the cells and everything computed from them.
    store.current = {};
    PointTable& table = read.table;
    if (read.failure) {
        storePoints(table, store, true);
        std::rethrow_exception(read.failure);
    }
    // The counts read first, so that room is made for the points read, not for a bound.
    store.NBPoints = static_cast<std::int32_t>(table.points());
    store.NBVar = static_cast<std::int32_t>(table.variables());
    storePoints(table, store, false);
    Reading reading{table.format, std::nullopt, std::move(table.notes)};
    if (table.named) {
        reading.names.emplace();
        for (std::size_t c = 2; c < table.columns.size(); ++c)
            reading.names->push_back(std::move(table.columns[c].name));
    }
    return reading;
}

Reading loadPoints(Store& store, const Reader& reader, const std::string& fileName, const ReadOptions& options)
{
    return storeReading(store, readPoints(reader, fileName, options));
}

Reading loadPoints(Store& store, const std::string& fileName, const ReadOptions& options)
{
    return loadPoints(store, readerFor(fileName), fileName, options);
}

std::vector<std::string> variableNamesIn(const std::string& fileName, InputKinds kinds)
{
    if (const Reader* reader = claimant(FileHead(fileName), nullptr))
        return reader->variableNames(fileName, {Unbounded, Unbounded, false, kinds, {}, {}, {}});
    return Lit_Noms_Vars(fileName, kinds);
}

}  // namespace geolago
