#include "readers.h"

#include <algorithm>
#include <array>
#include <span>
#include <sys/stat.h>

#include "names.h"

namespace geolago {

namespace {

// The formats asked before the point file, in turn: each new format goes here.
std::span<const Reader* const> claimingReaders()
{
    static const std::array<const Reader*, 3> readers{&delimitedReader(), &vectorLayerReader(), &rasterReader()};
    return readers;
}

// Only a regular file is looked at: opening a pipe to look would take bytes from its
// reader, or wait for a writer.
bool isRegularFile(const std::string& fileName)
{
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The first claiming reader of `fileName`, with its proposal when `propose`.
const Reader* claimant(const std::string& fileName, std::optional<PointFileLayout>* proposal)
{
    if (!isRegularFile(fileName))
        return nullptr;
    for (const Reader* reader : claimingReaders()) {
        if (!proposal) {
            if (reader->claims(fileName))
                return reader;
        } else if ((*proposal = reader->identify(fileName))) {
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
    // The rows the store's counts name, and the point a failure stopped in.
    store.reserve(std::max(static_cast<std::int32_t>(table.points()) + 1, store.NBPoints),
                  std::max(static_cast<std::int32_t>(table.variables()), store.NBVar));
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

Identified identifyInput(const std::string& fileName)
{
    std::optional<PointFileLayout> proposal;
    if (const Reader* reader = claimant(fileName, &proposal))
        return {*reader, proposal};
    return {pointFileReader(), pointFileReader().identify(fileName)};
}

const Reader& readerFor(const std::string& fileName)
{
    const Reader* reader = claimant(fileName, nullptr);
    return reader ? *reader : pointFileReader();
}

Reading loadPoints(Store& store, const Reader& reader, const std::string& fileName, const ReadOptions& options)
{
    // A reading, even one that fails, outdates the cells and everything computed from them.
    store.current = {};
    PointTable table;
    try {
        reader.read(fileName, options, table);
    } catch (...) {
        storePoints(table, store);
        throw;
    }
    storePoints(table, store);
    store.NBPoints = static_cast<std::int32_t>(table.points());
    store.NBVar = static_cast<std::int32_t>(table.variables());
    Reading reading{table.format, std::nullopt, std::move(table.notes)};
    if (table.named) {
        reading.names.emplace();
        for (std::size_t c = 2; c < table.columns.size(); ++c)
            reading.names->push_back(std::move(table.columns[c].name));
    }
    return reading;
}

Reading loadPoints(Store& store, const std::string& fileName, const ReadOptions& options)
{
    return loadPoints(store, readerFor(fileName), fileName, options);
}

std::vector<std::string> variableNamesIn(const std::string& fileName, InputKinds kinds)
{
    if (const Reader* reader = claimant(fileName, nullptr))
        return reader->variableNames(fileName, {Unbounded, Unbounded, false, kinds, {}, {}, {}});
    return Lit_Noms_Vars(fileName, kinds);
}

}  // namespace geolago
