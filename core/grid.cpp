#include "analysis.h"

#include <cstring>

#include "extended.h"
#include "store.h"

namespace geolago {

namespace {

// The quotient q truncated toward zero, as truncToInt64() gives it, without switching the
// x87 rounding mode for each point, which costs more than the division. For 0 <= q < 2^62,
// q + 2^63 lands where the spacing of extended-precision values is 1, so the addition
// rounds q to the nearest integer, and the 64-bit significand of the sum is that integer
// plus 2^63; one less when it was rounded up. Any other q goes the checked way.
[[gnu::always_inline]] inline std::int64_t truncated(Ext q)
{
    if (!(q >= 0 && q < 0x1p62L))
        return truncToInt64(q);
    const Ext shifted = q + 0x1p63L;
    std::uint64_t significand;
    std::memcpy(&significand, &shifted, sizeof significand);  // x86: the low 8 bytes
    std::int64_t rounded = static_cast<std::int64_t>(significand - (std::uint64_t{1} << 63));
    if (static_cast<Ext>(rounded) > q)
        --rounded;
    return rounded;
}

// The cell index of a point at `offset` from the minimum, for cells of `width`: the
// extended-precision quotient truncated toward zero, of which the low 32 bits are kept.
[[gnu::always_inline]] inline std::int32_t cellIndex(Ext offset, double width, std::int32_t cells)
{
    const std::int32_t index = low32(truncated(divide(offset, width)));
    // Only a subnormal cell width, rounded far from extent / N, can put a point beyond
    // the last cell; it belongs in that last cell, and the grid has no cell further on.
    return index > cells ? cells : index;
}

}  // namespace

void Cherche_MinMax(double& plusGrand, double& plusPetit, std::uint8_t axis)
{
    plusGrand = Coord[1][axis];
    plusPetit = Coord[1][axis];
    for (int i = 2; i <= NBPoints; ++i) {
        const double v = Coord[i][axis];
        if (v > plusGrand)
            plusGrand = v;
        else if (v < plusPetit)
            plusPetit = v;
    }
}

void Calcul_Mailles()
{
    Cherche_MinMax(XMax, XMin, 1);
    Cherche_MinMax(YMax, YMin, 2);
    const std::int32_t n = NBMailles;
    const double tailleX = toDouble(divide(static_cast<Ext>(XMax) - XMin, n));
    const double tailleY = toDouble(divide(static_cast<Ext>(YMax) - YMin, n));
    for (int i = 1; i <= NBPoints; ++i) {
        // IX is stored before IY is computed, so a fault on Y leaves the new IX behind.
        Maille_Point[i].IX = cellIndex(static_cast<Ext>(Coord[i][1]) - XMin, tailleX, n);
        Maille_Point[i].IY = cellIndex(static_cast<Ext>(Coord[i][2]) - YMin, tailleY, n);
    }
}

void Remplit_Grille()
{
    const std::int32_t n = NBMailles;
    for (int c = 0; c <= n; ++c)
        for (int r = 0; r <= n; ++r)
            Grille[c][r] = TCellule{};

    for (int i = 1; i <= NBPoints; ++i) {
        TCellule& cell = Grille[Maille_Point[i].IX][Maille_Point[i].IY];
        cell.Somme = toDouble(static_cast<Ext>(cell.Somme) + Donnees[i][Num_Var]);
        ++cell.Nb;
        cell.Remplie = 1;
    }

    std::int32_t filled = 0;
    for (int c = 0; c <= n; ++c)
        for (int r = 0; r <= n; ++r)
            if (Grille[c][r].Remplie != 0)
                ++filled;
    // Share of the (N + 1)^2 cells examined, so never above 100.
    PourCent = toDouble(divide(static_cast<Ext>(filled), static_cast<Ext>((n + 1) * (n + 1))) * 100);

    for (int c = 0; c <= n; ++c)
        for (int r = 0; r <= n; ++r) {
            TCellule& cell = Grille[c][r];
            // A single point's value is kept as it is, bit for bit.
            if (cell.Nb > 1)
                cell.Somme = toDouble(divide(cell.Somme, cell.Nb));
        }
}

}  // namespace geolago
