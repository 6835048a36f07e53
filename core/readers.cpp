#include "readers.h"

#include <algorithm>
#include <array>
#include <span>
#include <sys/stat.h>

namespace geolago {

namespace {

// The formats asked before the point file, in turn: each new format goes here.
std::span<const Reader* const> claimingReaders()
{
    static const std::array<const Reader*, 0> readers{};
    return readers;
}

// Only a regular file is looked at: opening a pipe to look would take bytes from its
// reader, or wait for a writer.
bool isRegularFile(const std::string& fileName)
{
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

const Reader* claimant(const std::string& fileName, std::optional<PointFileLayout>& proposal)
{
    if (claimingReaders().empty() || !isRegularFile(fileName))
        return nullptr;
    for (const Reader* reader : claimingReaders())
        if ((proposal = reader->identify(fileName)))
            return reader;
    return nullptr;
}

// Copies what `table` holds into Coord and Donnees, and its source into pointsFile.
void storePoints(const PointTable& table, Store& store)
{
    if (table.source.empty())
        return;
    store.pointsFile = table.source;
    // Room for what was read, the point it stopped in included.
    store.reserve(static_cast<std::int32_t>(table.points()) + 1,
                  static_cast<std::int32_t>(std::max<std::size_t>(table.columns.size(), 2) - 2));
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

Identified identifyInput(const std::string& fileName)
{
    std::optional<PointFileLayout> proposal;
    if (const Reader* reader = claimant(fileName, proposal))
        return {*reader, proposal};
    return {pointFileReader(), pointFileReader().identify(fileName)};
}

const Reader& readerFor(const std::string& fileName)
{
    std::optional<PointFileLayout> proposal;
    const Reader* reader = claimant(fileName, proposal);
    return reader ? *reader : pointFileReader();
}

void loadPoints(Store& store, const Reader& reader, const std::string& fileName, const ReadOptions& options)
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
}

void loadPoints(Store& store, const std::string& fileName, const ReadOptions& options)
{
    loadPoints(store, readerFor(fileName), fileName, options);
}

}  // namespace geolago
