#pragma once
// The steps of an analysis on the store: placement of the points in an N x N grid,
// aggregation of the chosen variable per cell, and the lagged correlations. They check
// none of their inputs (see refusals.h); floating-point faults leave as FloatFailure,
// with what was written before kept.

#include <cstdint>

namespace geolago {

// The largest and smallest coordinate `axis` (1 = X, 2 = Y) of points 1..P; point 1 is
// read even when P is 0.
void Cherche_MinMax(double& plusGrand, double& plusPetit, std::uint8_t axis);

// Writes the extent and the cell (IX, IY) of points 1..P for N = NBMailles; needs N >= 1.
void Calcul_Mailles();

// Fills Grille[0..N][0..N] with the means of variable Num_Var and sets PourCent, the
// share of the (N + 1)^2 cells that are filled.
void Remplit_Grille();

// Clears R_EW and Paires_EW, then writes the east-west correlogram, shifts 0..N-1.
void Correlation_EW();

// Clears R_NS and Paires_NS, then writes the north-south correlogram, shifts 0..N-2.
void Correlation_NS();

}  // namespace geolago
