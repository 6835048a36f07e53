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

// Copies what `table` holds into Coord and Donnees, and its source into pointsFile.
void storePoints(const PointTable& table, Store& store)
{
    if (table.source.empty())
        return;
    store.pointsFile = table.source;
    // The rows the store's counts name, and the point a failure stopped in; when the
    // counts asked were only a bound too large to make room for, the rows read.
    const auto read = static_cast<std::int32_t>(table.points()) + 1;
    const auto variables = static_cast<std::int32_t>(table.variables());
    try {
        try {
            store.reserve(std::max(read, store.NBPoints), std::max(variables, store.NBVar));
        } catch (const std::bad_alloc&) {
            store.reserve(read, variables);
        }
    } catch (const std::bad_alloc&) {
        throw memoryFailure(static_cast<long long>(table.points()), variables, table.source);
    }
    // Point by point, each row of the store written whole; then, after a failed read,
    // the values read of the point it stopped in.
    auto put = [&](std::size_t k, std::size_t c) {
        const double value = table.columns[c].values[k];
        const int i = static_cast<int>(k) + 1;
        if (c < 2)
            store.Coord[i][static_cast<int>(c) + 1] = value;
        else
            store.Donnees[i][static_cast<int>(c) - 1] = value;
    };
    const std::size_t whole = table.points();
    for (std::size_t k = 0; k < whole; ++k)
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            put(k, c);
    for (std::size_t c = 0; c < table.columns.size() && table.columns[c].values.size() > whole; ++c)
        put(whole, c);
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
        storePoints(table, store);
        std::rethrow_exception(read.failure);
    }
    // The counts read first, so that room is made for the points read, not for a bound.
    store.NBPoints = static_cast<std::int32_t>(table.points());
    store.NBVar = static_cast<std::int32_t>(table.variables());
    storePoints(table, store);
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
