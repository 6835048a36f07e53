// The point reader over arbitrary bytes. The first bytes of the input give the layout:
// two bytes the point count (0..1000), one the variable count (0..30), one the flags
// (bit 0: rows begin with a point number; bit 1: the text is preceded by nearly 64 KiB
// of blanks, so that its tokens straddle the reader's buffer refills). The rest is the
// file. The run must end in a reading or in one of the reader's own failures, with the
// tables exactly as a plain in-memory reading of the same bytes leaves them.

#include <algorithm>
#include <cstring>
#include <string>

#include "failures.h"
#include "fuzz_support.h"
#include "reader.h"
#include "reference_reader.h"
#include "store.h"

using namespace geolago;
using namespace geolago::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int low = takeByte(data, size);
    const int high = takeByte(data, size);
    const int points = (low | high << 8) % (MaxPoints + 1);
    const int vars = takeByte(data, size) % (MaxVar + 1);
    const int flags = takeByte(data, size);
    const bool numbered = (flags & 1) != 0;

    std::string bytes;
    if (flags & 2)
        bytes.assign(64 * 1024 - (flags >> 2), ' ');
    bytes.append(reinterpret_cast<const char*>(data), size);

    // Only rows 1..P can change; they start at zero, as in the plain reading.
    static Store store;
    static ReferenceTables expected;
    for (int i = 1; i <= points; ++i) {
        store.Coord[i][1] = store.Coord[i][2] = 0;
        for (int v = 1; v <= MaxVar; ++v)
            store.Donnees[i][v] = 0;
        expected.coord[i - 1][0] = expected.coord[i - 1][1] = 0;
        std::fill_n(expected.data[i - 1], MaxVar, 0.0);
    }
    store.NBPoints = points;
    store.NBVar = vars;
    ReferenceOutcome::Kind kind = ReferenceOutcome::Kind::Read;
    int code = 0;
    try {
        Lit_Data(store, writeScratch(bytes), numbered);
    } catch (const IoFailure& failure) {
        kind = ReferenceOutcome::Kind::IoFailure;
        code = failure.code();
    } catch (const FloatFailure& failure) {
        check(failure.kind() == FloatFailure::Kind::Overflow, "the reader fails only by overflow");
        kind = ReferenceOutcome::Kind::Overflow;
    } catch (const LimitFailure&) {
        kind = ReferenceOutcome::Kind::TooLong;
    }
    check(store.NBPoints == points && store.NBVar == vars, "the counts are kept");

    const ReferenceOutcome outcome = referenceRead(bytes, points, vars, numbered, expected);
    check(kind == outcome.kind && code == outcome.code, "the outcome differs from the plain reading");
    // Every entry of rows 1..P, the columns beyond NBVar included, compared bit for bit.
    for (int i = 1; i <= points; ++i) {
        for (int axis = 1; axis <= 2; ++axis)
            check(std::memcmp(&store.Coord[i][axis], &expected.coord[i - 1][axis - 1], sizeof(double)) == 0,
                  "a coordinate differs from the plain reading");
        for (int v = 1; v <= MaxVar; ++v)
            check(std::memcmp(&store.Donnees[i][v], &expected.data[i - 1][v - 1], sizeof(double)) == 0,
                  "a value differs from the plain reading");
    }
    return 0;
}
