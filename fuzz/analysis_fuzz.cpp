// The whole analysis over arbitrary bytes: read a point file, place the points in an
// N x N grid, aggregate one variable and compute both correlograms. The first bytes give
// the point count (two bytes), the variable count, the flags (bit 0: point numbers),
// N (1..30) and the variable (1..NBVar); the rest is the file. Every step must end or
// fail with one of the analysis's own failures, what it writes must stay within the
// bounds the next step relies on, and both correlograms must be those of their plain
// definition, figure for figure.

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "analysis.h"
#include "extended.h"
#include "correlation_reference.h"
#include "failures.h"
#include "fuzz_support.h"
#include "reader.h"
#include "store.h"

using namespace geolago;
using namespace geolago::fuzz;

namespace {

void analyse(const std::string& path, bool numbered, int cells, int variable)
{
    Lit_Data(path, numbered);

    NBMailles = cells;
    Calcul_Mailles();
    // Each index is the checked truncation of the point's quotient, within 0..N.
    const double widthX = toDouble(divide(static_cast<Ext>(XMax) - XMin, cells));
    const double widthY = toDouble(divide(static_cast<Ext>(YMax) - YMin, cells));
    auto index = [&](double v, double min, double width) {
        const std::int32_t raw = low32(truncToInt64(divide(static_cast<Ext>(v) - min, width)));
        return raw > cells ? cells : raw;
    };
    for (int i = 1; i <= NBPoints; ++i) {
        check(Maille_Point[i].IX == index(Coord[i][1], XMin, widthX), "IX is not the truncated quotient");
        check(Maille_Point[i].IY == index(Coord[i][2], YMin, widthY), "IY is not the truncated quotient");
        check(Maille_Point[i].IX >= 0 && Maille_Point[i].IX <= cells, "IX outside 0..N");
        check(Maille_Point[i].IY >= 0 && Maille_Point[i].IY <= cells, "IY outside 0..N");
    }
    if (NBVar == 0)
        return;

    Num_Var = static_cast<std::uint8_t>(variable);
    Remplit_Grille();
    std::uint32_t counted = 0;
    for (int c = 0; c <= cells; ++c)
        for (int r = 0; r <= cells; ++r) {
            const TCellule& cell = Grille[c][r];
            counted += cell.Nb;
            check((cell.Nb > 0) == (cell.Remplie != 0), "a cell is filled exactly when it has points");
            check(std::isfinite(cell.Somme), "a cell mean is finite");
        }
    check(counted == static_cast<std::uint32_t>(NBPoints), "every point is counted in one cell");
    check(PourCent >= 0 && PourCent <= 100, "the fill rate is a share");

    // Both correlograms, each against its plain shift-by-shift definition.
    for (const bool eastWest : {true, false}) {
        const reference::Figures expected = reference::correlogram(eastWest);
        const reference::Figures actual = reference::coreCorrelogram(eastWest);
        check(actual.failure == expected.failure, "a correlation fails otherwise than its definition");
        for (int k = 0; k <= MaxMailles; ++k)
            check(std::memcmp(&actual.r[k], &expected.r[k], sizeof(double)) == 0
                      && actual.pairs[k] == expected.pairs[k],
                  "a correlation differs from its definition");
        if (actual.failure)
            throw FloatFailure(*actual.failure);
    }
    for (int k = 0; k <= MaxMailles; ++k) {
        check(std::isfinite(R_EW[k]) && std::isfinite(R_NS[k]), "a correlation is finite");
        check(Paires_EW[k] >= 0 && Paires_EW[k] <= cells * (cells - k > 0 ? cells - k : 0),
              "east-west pairs beyond the cells");
        check(Paires_NS[k] >= 0 && Paires_NS[k] <= cells * (cells - k > 0 ? cells - k : 0),
              "north-south pairs beyond the cells");
        check(k < cells || R_EW[k] == 0, "an east-west shift beyond the grid");
        check(k < cells - 1 || R_NS[k] == 0, "a north-south shift beyond the grid");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int low = takeByte(data, size);
    const int high = takeByte(data, size);
    const int points = (low | high << 8) % (MaxPoints + 1);
    const int vars = takeByte(data, size) % (MaxVar + 1);
    const bool numbered = (takeByte(data, size) & 1) != 0;
    const int cells = 1 + takeByte(data, size) % MaxMailles;
    const int variable = vars == 0 ? 0 : 1 + takeByte(data, size) % vars;

    resetStore();
    NBPoints = points;
    NBVar = vars;
    try {
        analyse(writeScratch({reinterpret_cast<const char*>(data), size}), numbered, cells, variable);
    } catch (const Failure&) {
        // One of the analysis's own failures: a normal end.
    }
    return 0;
}
