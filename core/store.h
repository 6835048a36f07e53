#pragma once
// The data store: every table and count of one analysis, fixed in size, zero at start.
// The steps of an analysis (reader.h, analysis.h) take the store they work on; the
// windows and the batch command share one process-wide instance, sharedStore(), and
// tests or parallel work make stores of their own.

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "columnarray.h"
#include "correlogram.h"
#include "pointtable.h"

namespace geolago {

inline constexpr int MaxPoints = 1000;  // rows of the point tables
inline constexpr int MaxVar = 30;       // variable columns of Donnees
inline constexpr int MaxMailles = 30;   // cells per axis; cell indices and shifts go 0..30

// A fixed array indexed Lo..Hi inclusive. Points and variables count from 1, cells and
// shifts from 0; this keeps each table's own numbering and refuses any other index.
template <typename T, int Lo, int Hi>
class Table {
public:
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

// Cell of a point: X-cell index, then Y-cell index. Placement gives indices up to
// MaxCellIndex, 4 bytes a point in all.
struct TMaille {
    std::int16_t IX = 0;
    std::int16_t IY = 0;
};
inline constexpr int MaxCellIndex = INT16_MAX;

// One cell of the grid: mean of the chosen variable, point count, and whether any point
// fell in it.
struct TCellule {
    double Somme = 0.0;
    std::uint32_t Nb = 0;
    std::uint8_t Remplie = 0;
};

// The cells of a grid, indices 0..N on both axes, [IX][IY], with its N and the share of
// its N x N cells that are filled, as the filling (fillGrid()) leaves them. It holds the
// cells of the largest N it was given, so a grid filled for a smaller N keeps the cells
// beyond it.
class Grid {
public:
    // One column of cells, [IY].
    template <typename Cell>
    class CellColumn {
    public:
        CellColumn(Cell* cells, std::int32_t size) : cells_(cells), size_(size) {}
        Cell& operator[](int iy) const
        {
            assert(iy >= 0 && iy < size_);
            return cells_[iy];
        }

    private:
        Cell* cells_;
        std::int32_t size_;
    };

    // Cells 0..MaxMailles on both axes, all empty, N = 0.
    Grid() { reserve(MaxMailles); }
    // Cells 0..cellsPerAxis on both axes, all empty, N = cells.
    explicit Grid(std::int32_t cells) { setCellsPerAxis(cells); }

    // N, the cells 1..N on both axes that count, and the fill percentage of those cells.
    std::int32_t cellsPerAxis() const { return n_; }
    double fill() const { return fill_; }
    // N from now on, its cells held; the fill percentage is that of the filling.
    void setCellsPerAxis(std::int32_t cells)
    {
        reserve(cells);
        n_ = cells;
    }
    void setFill(double fill) { fill_ = fill; }

    // Cells 0..cellsPerAxis on both axes exist from now on; every cell already held keeps its
    // place and its content.
    void reserve(std::int32_t cells)
    {
        const std::int32_t side = cells + 1;
        if (side <= side_)
            return;
        std::vector<TCellule> grown(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
        for (std::int32_t ix = 0; ix < side_; ++ix)
            std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(ix) * side_, side_,
                        grown.begin() + static_cast<std::ptrdiff_t>(ix) * side);
        cells_ = std::move(grown);
        side_ = side;
    }
    // The largest N whose cells the grid holds.
    std::int32_t capacity() const { return side_ - 1; }

    CellColumn<TCellule> operator[](int ix)
    {
        assert(ix >= 0 && ix < side_);
        return {cells_.data() + static_cast<std::ptrdiff_t>(ix) * side_, side_};
    }
    CellColumn<const TCellule> operator[](int ix) const
    {
        assert(ix >= 0 && ix < side_);
        return {cells_.data() + static_cast<std::ptrdiff_t>(ix) * side_, side_};
    }

private:
    std::int32_t side_ = 0;
    std::int32_t n_ = 0;
    double fill_ = 0.0;
    std::vector<TCellule> cells_;
};

// The values of points 1..P in columns 1..C, [point][column], each column held whole as a
// reader gives it (pointtable.h): a reader's column is moved in, not copied. Each column
// holds the values of the most points it was given, so that values beyond the current P or
// C keep what an earlier reading left there, and a column read for many points does not
// make every other one as long.
class PointColumns {
public:
    template <typename Table, typename Value>
    class Row {
    public:
        Row(Table* table, int point) : table_(table), point_(point) {}
        Value& operator[](int c) const { return table_->column(c)[static_cast<std::size_t>(point_ - 1)]; }

    private:
        Table* table_;
        int point_;
    };

    // Points 1..points of columns 1..columns, all zero.
    PointColumns(int points, int columns) { reserve(points, columns); }

    // Columns 1..columns hold points 1..points from now on, every value already held
    // keeping its place.
    void reserve(int points, int columns)
    {
        if (columns > static_cast<int>(columns_.size()))
            columns_.resize(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c)
            if (points > static_cast<int>(columns_[static_cast<std::size_t>(c)].size()))
                columns_[static_cast<std::size_t>(c)].resize(static_cast<std::size_t>(points));
    }

    // The columns held, and column c, 1-based, point i at index i - 1.
    int columns() const { return static_cast<int>(columns_.size()); }
    Values& column(int c)
    {
        assert(c >= 1 && c <= columns());
        return columns_[static_cast<std::size_t>(c - 1)];
    }
    const Values& column(int c) const
    {
        assert(c >= 1 && c <= columns());
        return columns_[static_cast<std::size_t>(c - 1)];
    }

    Row<PointColumns, double> operator[](int i)
    {
        assert(i >= 1);
        return {this, i};
    }
    Row<const PointColumns, const double> operator[](int i) const
    {
        assert(i >= 1);
        return {this, i};
    }

private:
    std::vector<Values> columns_;
};

// One value per point 1..P, holding as many points as it was given, as PointColumns does.
template <typename T>
class PointList {
public:
    explicit PointList(int points) { reserve(points); }
    void reserve(int points)
    {
        if (points > static_cast<int>(values_.size()))
            values_.resize(static_cast<std::size_t>(points));
    }
    T& operator[](int i)
    {
        assert(i >= 1 && i <= static_cast<int>(values_.size()));
        return values_[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const
    {
        assert(i >= 1 && i <= static_cast<int>(values_.size()));
        return values_[static_cast<std::size_t>(i - 1)];
    }
    // Point i at index i - 1.
    T* data() { return values_.data(); }
    const T* data() const { return values_.data(); }

private:
    ColumnArray<T> values_;
};

// Which tables are up to date, holding figures of the data now in the store. Each step
// marks what it writes as up to date, and what was computed from the tables it replaces
// as outdated; each step refuses to run on inputs that are not up to date, and the main
// window enables its buttons from it.
struct UpToDate {
    bool cellsPlaced = false;  // the extent and Maille_Point: the points read, placed for N = NBMailles
    bool gridFilled = false;   // Grille and PourCent: variable Num_Var aggregated on those cells
    bool calculated = false;   // result: both correlograms of that grid
};

// Where the points lie in the grid: the extent of the points, N and the cell of each point,
// as Calcul_Mailles() writes them. The steps that only need where the points are (the
// distances of the shifts, the filling of a grid from a column of values) take this.
struct Placement {
    double XMin = 0.0, XMax = 0.0, YMin = 0.0, YMax = 0.0;  // extent of the points
    std::int32_t NBMailles = 0;                              // cells per axis, N
    PointList<TMaille> Maille_Point{MaxPoints};              // [point]
};

// Everything one analysis reads and writes, under the names the steps use; its placement
// (XMin.., NBMailles, Maille_Point) is the Placement it derives from. About 280 KB: make it
// static or on the heap rather than on a small stack.
struct Store : Placement {
    // Counts and choice.
    std::int32_t NBPoints = 0;   // points held, P
    std::int32_t NBVar = 0;      // values per row after the coordinates
    std::uint8_t Num_Var = 0;    // chosen variable, 1-based; 0 = none
    std::string Nom_Var;         // name shown for the chosen variable
    std::string pointsFile;      // the file Lit_Data last read points from

    // Share of filled cells, in percent: Grille.fill(), as Remplit_Grille leaves it, under
    // the name the windows read.
    double PourCent = 0.0;

    // The point tables (Maille_Point among them) hold the windows' limits from the start and
    // grow for the batch command: reserve() before writing beyond them.
    PointColumns Coord{MaxPoints, 2};                     // [point][1 = X, 2 = Y]
    PointColumns Donnees{MaxPoints, MaxVar};              // [point][variable]
    Grid Grille;                                          // [IX][IY]

    // The correlogram of the last calculation, as the windows show and save it.
    Correlogram result;

    // What is up to date: Lit_Data outdates everything, Calcul_Mailles places,
    // Remplit_Grille fills, Correlation_EW then Correlation_NS calculate.
    UpToDate current;

    // Room for points 1..points with `variables` values each in Coord, Donnees and
    // Maille_Point, what they hold kept.
    void reserve(std::int32_t points, std::int32_t variables)
    {
        Coord.reserve(points, 2);
        Donnees.reserve(points, variables);
        Maille_Point.reserve(points);
    }

    // Back to the state at process start.
    void reset() { *this = Store{}; }
};

// The store the windows and the batch command work on, for the whole run.
Store& sharedStore();

}  // namespace geolago
