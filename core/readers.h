#pragma once
// The readers of the inputs, one per format, and the choice of the reader of a file:
// the formats are asked in turn, the point file of rows (pointlayout.h, reader.h) last,
// which takes whatever no other format claims. A new input format is a new Reader added
// to the list in readers.cpp.

#include <cstdint>
#include <optional>
#include <string>

#include "inputfile.h"
#include "pointlayout.h"
#include "pointtable.h"
#include "store.h"

namespace geolago {

// What a read takes besides the file: the counts and row layout of a format that does
// not tell them, and the kinds of input the front end takes.
struct ReadOptions {
    std::int32_t points = 0;     // P
    std::int32_t variables = 0;  // V
    bool rowsAreNumbered = false;
    InputKinds kinds = InputKinds::RegularFiles;
};

class Reader {
public:
    virtual ~Reader() = default;

    // Whether the regular file `fileName` looks like this format, from a cheap look: the
    // counts and row layout it proposes for the read, or nothing when it does not.
    virtual std::optional<PointFileLayout> identify(const std::string& fileName) const = 0;

    // Reads `fileName` into `table`: a point input replaces its columns with the points
    // of the file, the names from the format or else the positions; a names file names
    // the variables already there. On failure the table keeps what was read before it,
    // and the failure carries its place.
    virtual void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const = 0;
};

// The point file of rows: an optional point number, X, Y and V values.
const Reader& pointFileReader();

// The names file: name p, on line p, names variable p; variables beyond the last name
// keep their positions.
const Reader& namesFileReader();

struct Identified {
    const Reader& reader;
    std::optional<PointFileLayout> proposal;
};

// The reader of `fileName` and what it proposes: the first format whose identify claims
// the file, or else the point file with its own look's proposal, none when it finds no
// data. A pipe or a device is looked at by no format.
Identified identifyInput(const std::string& fileName);

// The reader of `fileName` when its counts are known: as identifyInput, without the point
// file's look, which only proposes counts.
const Reader& readerFor(const std::string& fileName);

// Reads `fileName` with `reader` into Coord and Donnees of `store`, point by point from 1
// (at most MaxPoints points of MaxVar variables), and keeps `fileName` as its pointsFile
// once the file is open. On failure what was read before stays in the store.
void loadPoints(Store& store, const Reader& reader, const std::string& fileName, const ReadOptions& options);

// The same with the reader readerFor gives: the front ends' "Lit Data".
void loadPoints(Store& store, const std::string& fileName, const ReadOptions& options);

}  // namespace geolago
