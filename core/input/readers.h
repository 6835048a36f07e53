#pragma once
// The readers of the inputs, one per format, and the choice of the reader of a file:
// the formats are asked in turn, the point file of rows (pointlayout.h, reader.h) last,
// which takes whatever no other format claims. A new input format is a new Reader added
// to the list in readers.cpp.

#include <cstdint>
#include <limits>
#include <optional>
#include <exception>
#include <string>
#include <vector>

#include "failures.h"
#include "filehead.h"
#include "inputfile.h"
#include "pointlayout.h"
#include "pointtable.h"
#include "store.h"

namespace geolago {

// No bound on the points or variables a format that tells its counts reads.
inline constexpr std::int32_t Unbounded = std::numeric_limits<std::int32_t>::max();

// What a read takes besides the file: the counts and row layout of a format that does
// not tell them, and the kinds of input the front end takes. A format that tells its
// counts reads the first P points and V variables at most, the windows' limits, and says
// so in a note when it leaves some.
struct ReadOptions {
    std::int32_t points = 0;     // P
    std::int32_t variables = 0;  // V
    bool rowsAreNumbered = false;
    InputKinds kinds = InputKinds::RegularFiles;
    std::string xColumn{}, yColumn{};  // delimited text: the coordinates' columns by name; empty: found
    std::string layer{};               // a GIS file: the layer read; empty: the first with points
    // A point file may end before its P rows: P bounds the rows read (the batch command),
    // rather than naming them (the windows, where a file too short fails).
    bool pointsAtMost = false;
};

// A failure for memory that ran out while room was made for `points` points of
// `variables` variables, saying how much they take: "Mémoire insuffisante pour
// 2 000 000 000 points de 12 variables (environ 224 Go)".
Failure memoryFailure(long long points, long long variables, const std::string& fileName);

class Reader {
public:
    virtual ~Reader() = default;

    // Whether the regular file of `head` looks like this format, from a cheap look at its
    // first bytes: the counts and row layout it proposes for the read, or nothing when it
    // does not. The formats asked in turn share the head, which grows as a look needs.
    virtual std::optional<PointFileLayout> identify(const FileHead& head) const = 0;

    // Reads `fileName` into `table`: a point input replaces its columns with the points
    // of the file, the names from the format or else the positions; a names file names
    // the variables already there. On failure the table keeps what was read before it,
    // and the failure carries its place.
    virtual void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const = 0;

    // Whether the regular file of `head` is of this format, without the proposal's cost.
    virtual bool claims(const FileHead& head) const { return identify(head).has_value(); }

    // The names of the variables read() gives for `fileName`, in order.
    virtual std::vector<std::string> variableNames(const std::string& fileName, const ReadOptions& options) const;
};

// The point file of rows: an optional point number, X, Y and V values.
const Reader& pointFileReader();

// The names file: name p, on line p, names variable p; variables beyond the last name
// keep their positions.
const Reader& namesFileReader();

// Delimited text with a header line: CSV, TSV, ";" with decimal commas (delimited.h).
const Reader& delimitedReader();

// A point layer of a GIS file GDAL opens, its numeric fields the variables (gdal_readers.cpp).
const Reader& vectorLayerReader();

// A raster GDAL opens: each valid pixel a point at its centre, each band a variable.
const Reader& rasterReader();

struct Identified {
    const Reader& reader;
    std::optional<PointFileLayout> proposal;
};

// The proposals a choice of a reader makes besides the reader.
enum class Proposals {
    None,       // the reader alone: the counts are known
    PointFile,  // the point file's, when it is chosen: counts to guess, a format that tells them
    Every,      // the chosen format's, whichever it is: the counts the windows fill in
};

// The reader of `fileName`, the formats looking in turn at its head, read once: the first
// whose claims (identify, with Proposals::Every) takes the file, or else the point file;
// with the proposal asked of the reader chosen, none when it finds no data. A pipe or a
// device is looked at by no format.
Identified chooseReader(const std::string& fileName, Proposals proposals);

// The reader of `fileName` and what it proposes: chooseReader with Proposals::Every.
Identified identifyInput(const std::string& fileName);

// The reader of `fileName` when its counts are known: chooseReader with Proposals::None.
const Reader& readerFor(const std::string& fileName);

// The note of a reading that took only the first `taken` of the `found` `items` of its
// input, a plural noun of the given gender: "Le fichier contient 200 lignes de données ;
// seules les 150 premières ont été lues."
std::string firstOnlyNote(long long found, long long taken, const std::string& items, bool feminine);

// The note of coordinates that are a longitude and a latitude: a GIS layer's geographic
// reference system, a delimited text's lon/lat columns.
inline constexpr const char* DegreesNote = "Les coordonnées sont géographiques, en degrés : les distances le sont aussi.";

// What a reading tells besides the points.
struct Reading {
    std::string format;                             // PointTable::format
    std::optional<std::vector<std::string>> names;  // the variables' names, when the input has them
    std::vector<std::string> notes;                 // for the user: rows left or skipped, units
};

// Reads `fileName` with `reader` into Coord and Donnees of `store`, point by point from 1,
// and keeps `fileName` as its pointsFile once the file is open; NBPoints and NBVar become
// the counts read. On failure what was read before stays in the store, the counts too.
Reading loadPoints(Store& store, const Reader& reader, const std::string& fileName, const ReadOptions& options);

// The same with the reader readerFor gives: the front ends' "Lit Data".
Reading loadPoints(Store& store, const std::string& fileName, const ReadOptions& options);

// loadPoints() in two halves, for a front end that reads off its window's thread and
// stores on it: the table read apart from any store, with the failure that stopped it
// (the table then holds what was read before); then that reading stored as loadPoints()
// stores it, its failure thrown again once what was read is in the store.
struct TableReading {
    PointTable table;
    std::exception_ptr failure;
};
TableReading readPoints(const Reader& reader, const std::string& fileName, const ReadOptions& options);
Reading storeReading(Store& store, TableReading&& reading);

// The names the choice of a variable lists for `fileName`: a file a format claims names
// its variables itself (a header, a layer's fields, a raster's bands); any other is a
// names file, read by Lit_Noms_Vars.
std::vector<std::string> variableNamesIn(const std::string& fileName, InputKinds kinds = InputKinds::RegularFiles);

}  // namespace geolago
