#pragma once
// The data store: every table and count of one analysis, process-wide, fixed in size,
// zero at start. The readers, the grid steps, the correlations and the windows all
// read and write these items directly.

#include <array>
#include <cassert>
#include <cstdint>
#include <string>

namespace geolago {

inline constexpr int MaxPoints = 1000;  // rows of the point tables
inline constexpr int MaxVar = 30;       // variable columns of Donnees
inline constexpr int MaxMailles = 30;   // cells per axis; cell indices and shifts go 0..30

// A fixed array indexed Lo..Hi inclusive. Points and variables count from 1, cells and
// shifts from 0; this keeps each table's own numbering and refuses any other index.
template <typename T, int Lo, int Hi>
class Table {
public:
    static constexpr int low = Lo;
    static constexpr int high = Hi;

    // Element i, Lo <= i <= Hi.
    T& operator[](int i)
    {
        assert(i >= Lo && i <= Hi);
        return items_[static_cast<std::size_t>(i - Lo)];
    }
    const T& operator[](int i) const
    {
        assert(i >= Lo && i <= Hi);
        return items_[static_cast<std::size_t>(i - Lo)];
    }
    // Every element back to its value-initialised state.
    void clear() { items_ = {}; }

private:
    std::array<T, Hi - Lo + 1> items_{};
};

// Cell of a point: X-cell index, then Y-cell index.
struct TMaille {
    std::int32_t IX = 0;
    std::int32_t IY = 0;
};

// One cell of the grid: running sum then mean of the chosen variable, point count,
// and whether any point fell in it.
struct TCellule {
    double Somme = 0.0;
    std::uint32_t Nb = 0;
    std::uint8_t Remplie = 0;
};

// Counts and choice.
extern std::int32_t NBPoints;   // points held, P
extern std::int32_t NBVar;      // values per row after the coordinates
extern std::int32_t NBMailles;  // cells per axis, N
extern std::uint8_t Num_Var;    // chosen variable, 1-based; 0 = none
extern std::string Nom_Var;     // name shown for the chosen variable

// Extent of the points, written by the placement.
extern double XMin, XMax, YMin, YMax;

// Share of filled cells, in percent.
extern double PourCent;

extern Table<Table<double, 1, 2>, 1, MaxPoints> Coord;            // [point][1 = X, 2 = Y]
extern Table<Table<double, 1, MaxVar>, 1, MaxPoints> Donnees;     // [point][variable]
extern Table<TMaille, 1, MaxPoints> Maille_Point;                 // [point]
extern Table<Table<TCellule, 0, MaxMailles>, 0, MaxMailles> Grille;  // [IX][IY]

extern Table<double, 0, MaxMailles> R_EW;         // correlation per shift, east-west
extern Table<double, 0, MaxMailles> R_NS;         // correlation per shift, north-south
extern Table<std::int32_t, 0, MaxMailles> Paires_EW;  // pairs behind R_EW
extern Table<std::int32_t, 0, MaxMailles> Paires_NS;  // pairs behind R_NS

// Brings every item back to its state at process start. For tests and tools that run
// several analyses in one process.
void resetStore();

}  // namespace geolago
