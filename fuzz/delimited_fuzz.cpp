// The delimited reader over arbitrary bytes. The first byte gives the options: bits 0-1
// the points read at most (all, 0, 1 or 3), bits 2-3 the variables (all, 0, 1 or 2),
// bit 4 the coordinates named "x" and "y" (--x, --y). The rest is the file. The run must
// end in a reading or in one of the reader's own failures, with its place; the file read
// from the disk gives the table of the same bytes read in memory; a table read holds
// points with both coordinates, as many values in every column, within the bounds asked.

#include <cmath>
#include <cstring>
#include <string>

#include "delimited.h"
#include "failures.h"
#include "fuzz_support.h"
#include "readers.h"

using namespace geolago;
using namespace geolago::fuzz;

namespace {

constexpr std::int32_t Bounds[] = {Unbounded, 0, 1, 3};

bool sameTables(const PointTable& a, const PointTable& b)
{
    if (a.columns.size() != b.columns.size() || a.notes != b.notes || a.format != b.format)
        return false;
    for (std::size_t c = 0; c < a.columns.size(); ++c) {
        const auto& x = a.columns[c].values;
        const auto& y = b.columns[c].values;
        if (a.columns[c].name != b.columns[c].name || x.size() != y.size()
            || (!x.empty() && std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) != 0))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int flags = takeByte(data, size);
    ReadOptions options{Bounds[flags & 3], Bounds[(flags >> 2) & 3]};
    if (flags & 16) {
        options.xColumn = "x";
        options.yColumn = "y";
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char separator = separatorOfText(text);
    if (separator == 0)
        return 0;

    PointTable table;
    bool read = false;
    try {
        readDelimited(text, separator, "fuzz.csv", options, table);
        read = true;
    } catch (const FloatFailure& failure) {
        check(failure.kind() == FloatFailure::Kind::Overflow, "the reader fails only by overflow");
        check(failure.place() && failure.place()->line > 0, "an overflow without its line");
    } catch (const Failure& failure) {
        check(failure.place() && failure.place()->file == "fuzz.csv", "a failure without its file");
        check(table.columns.empty(), "a failure leaves a table half-written");
    }

    // The file gives what the bytes give, through the choice of its reader.
    const std::string& file = writeScratch(text);
    check(&readerFor(file) == &delimitedReader(), "the file is not taken as delimited text");
    PointTable fromFile;
    try {
        delimitedReader().read(file, options, fromFile);
        check(read, "the file reads where the bytes fail");
    } catch (const Failure&) {
        check(!read, "the file fails where the bytes read");
    }
    if (!read)
        return 0;
    fromFile.source = table.source;
    check(sameTables(table, fromFile), "the file's table differs from that of its bytes");

    check(table.columns.size() >= 2 && table.named && table.format == "delimited", "not a table of points");
    const std::size_t points = table.points();
    check(points <= static_cast<std::size_t>(options.points), "more points than asked");
    check(table.variables() <= static_cast<std::size_t>(options.variables), "more variables than asked");
    check(points > 0 || options.points == 0, "a reading without a point");
    for (const NamedColumn& column : table.columns)
        check(column.values.size() == points, "columns of different lengths");
    for (std::size_t k = 0; k < points; ++k)
        check(!isMissing(table.columns[0].values[k]) && !isMissing(table.columns[1].values[k]),
              "a point without its coordinates");
    return 0;
}
