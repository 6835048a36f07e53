#pragma once
// Delimited text with a header line, as spreadsheets and scripts export tables: CSV, TSV,
// ";" with decimal commas, runs of blanks (R's write.table, instruments' exports); fields
// quoted or not; UTF-8 with or without its BOM, UTF-16, or else Windows-1252 (utf8Text);
// LF, CR LF or CR; the first NUL ends it. Recognised from its content; readers.h's
// delimitedReader() reads it.
//
// The coordinates are the columns named by ReadOptions::xColumn and yColumn, else the
// first pair named x/y, lon/lat, longitude/latitude, easting/northing or e/n (in any
// case), else the first two numeric columns. Every other numeric column is a variable
// named by its header, except a first column holding 1, 2, 3... (the point number) and a
// column that identifies the rows, said in a note: one without a name in the header whose
// whole numbers increase (R's write.csv row names), or the rows' names of a header one
// field short (R's write.table). A column mostly of text is no variable; a text in a
// column mostly of numbers is a failure. Coordinates named lon/lat or longitude/latitude
// whose values lie within ±180 and ±90 are noted as degrees.
// An empty cell, NA, NaN, nan and - are missing: a missing variable's value is NaN, a row
// missing a coordinate is skipped and noted.
//
// The text is read in chunks: memory holds the rows read as columns of numbers (8 bytes a
// cell) and the longest record, not the file. The reading stops once the P points asked
// (ReadOptions::points) have both coordinates; what the columns are (text or numbers, and
// so the coordinates when the header does not name them, a row number, degrees) is then
// judged on the rows read, and the rest of the file is only counted: its rows with both
// coordinate fields present, and the lines of those without, for the notes, none of its
// fields judged. A file read to its end is judged as a whole.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pointtable.h"
#include "readers.h"

namespace geolago {

// The separator of a text whose first bytes are `head`: the first of tab, ";" and "," that
// splits its first line into fields of which one at least is a name, and one of the next
// lines into as many fields, two of them numbers, else into two numbers among another
// count (a row the reading refuses by its line); failing those ' ', runs of blanks, when
// they part a first line of names only and one of the next lines into as many fields, or
// one more, two of them numbers. A first line that `headIsCut` leaves
// without its end needs only the names. 0 when none does, or when the first line is a
// row of numbers (pointlayout.h): no delimited text.
char delimiterOf(std::string_view head, bool headIsCut = false);

// The separator delimitedReader() finds in a file of these bytes: delimiterOf on the head
// it reads, a UTF-16 text decoded; 0 when it is no delimited text.
char separatorOfText(std::string_view bytes);

// The columns of X and Y among `names`, a header's, as the reading finds them when no
// option names them: the first pair, in the order above, whose two names are there in any
// case, each the first column so named. None when no pair is there.
std::optional<std::pair<std::size_t, std::size_t>> coordinatesNamed(const std::vector<std::string>& names);

// Reads `text`, a delimited text separated by `separator`, into `table` as
// delimitedReader() reads a file, `source` naming it in the table and in the failures'
// places. The table is written only once the reading has ended. The text is taken a few
// bytes at a time, so that any difference with the file read in chunks of 1 MiB shows.
void readDelimited(std::string_view text, char separator, const std::string& source, const ReadOptions& options,
                   PointTable& table);

}  // namespace geolago
