"""Geolago in Python: the grid correlograms of points, computed by the program's own core.

    import geolago
    table = geolago.read("examples/quartiers.csv")
    result = geolago.correlogram(table, "Logements sociaux", permutations=999)
    result.E_W.r, result.N_S.p_holm, result.to_pandas()

read() reads any input geolago-cli reads; correlogram() and correlogram_map() take a table
read and a variable's name, or arrays of X, Y and values (NumPy, pandas, lists; NaN is a
missing value), or a GeoDataFrame of points and a column's name. A failure raises
geolago.Error, a ValueError whose text is the French message and its place. What the user
should know of a reading or of figures (rows left out, shifts without r) is kept in
`.notes` and shown as a GeolagoNote warning.
"""

import operator
import os
import warnings

import numpy as np

from . import _geolago
from ._geolago import Error

__all__ = ["read", "correlogram", "correlogram_map", "Error", "GeolagoNote", "Table", "Lags", "Correlogram",
           "CorrelogramMap", "MAX_PERMUTATIONS"]

# The most permutations a test takes.
MAX_PERMUTATIONS = _geolago.MAX_PERMUTATIONS

_TSV_COLUMNS = ["variable", "with", "cells", "fill", "direction", "shift", "distance", "r", "pairs", "p", "low",
                "high", "p_holm", "p_fwer", "null", "permutations"]
_MAP_TSV_COLUMNS = ["variable", "with", "cells", "fill", "dx", "dy", "distance_x", "distance_y", "r", "pairs", "p",
                    "low", "high", "p_holm", "p_fwer", "null", "permutations"]


class GeolagoNote(UserWarning):
    """What the user should know of a reading or of figures, in French."""


def _error(message, place=None):
    error = Error(f"{place}: {message}" if place else message)
    error.message = message
    error.place = place
    return error


def _note(notes):
    for note in notes:
        warnings.warn(note, GeolagoNote, stacklevel=3)


def _pandas():
    try:
        import pandas
    except ImportError:
        raise ImportError("to_pandas() demande pandas, qui n'est pas installé") from None
    return pandas


class Table:
    """Points read by read(): `x`, `y` and one NumPy array per variable, in the input's
    order; `names` the variables' names (their positions, "1", "2"..., for an input that
    names none), `format` what was read ("delimited", "points", "vector:GPKG"...),
    `source` the file, `notes` what the user should know of the reading."""

    def __init__(self, read):
        columns = read["columns"]
        self.x, self.y = columns[0], columns[1]
        self.columns = list(columns[2:])
        self.names = list(read["names"])
        self.format = read["format"]
        self.source = read["source"]
        self.notes = list(read["notes"])

    def __len__(self):
        return len(self.x)

    def position(self, variable):
        """The position, from 1, of a variable given by its name or its position."""
        if isinstance(variable, str):
            if variable in self.names:
                return self.names.index(variable) + 1
            raise _error(f"Le fichier n'a pas de variable « {variable} » : il a "
                         + ", ".join(f"« {name} »" for name in self.names) + " !", self.source)
        try:
            position = operator.index(variable)
        except TypeError:
            raise _error("Une variable se donne par son nom ou par sa position !", self.source) from None
        if not 1 <= position <= len(self.columns):
            raise _error(f"La variable {position} n'a pas été lue : le fichier de données en compte "
                         f"{len(self.columns)} !", self.source)
        return position

    def __getitem__(self, variable):
        return self.columns[self.position(variable) - 1]

    @property
    def variables(self):
        """The variables by name."""
        return dict(zip(self.names, self.columns))

    def to_pandas(self):
        """A DataFrame of columns X, Y and the variables."""
        pandas = _pandas()
        frame = pandas.DataFrame({"X": self.x, "Y": self.y})
        for name, values in zip(self.names, self.columns):
            frame[name] = values
        return frame

    def __repr__(self):
        return (f"<geolago.Table {self.source!r}: {len(self)} points, {len(self.columns)} variables "
                f"({', '.join(self.names[:6])}{', ...' if len(self.names) > 6 else ''})>")


def read(path, x=None, y=None, layer=None, *, names=None):
    """Reads the points of `path` as geolago-cli reads them: a point file (its counts
    guessed), a delimited text with a header (`x`, `y`: the coordinates' columns by name),
    a GIS layer (`layer`: which one) or a raster. `names`: a names file that names the
    variables, as --names. Returns a Table."""
    table = Table(_geolago.read(os.fspath(path), x, y, layer, None if names is None else os.fspath(names)))
    _note(table.notes)
    return table


class Lags:
    """The figures of the shifts of one direction, or of the vectors of a map: one NumPy
    array each, NaN where the command writes NA. A direction has shift, distance; a map
    dx, dy, distance_x, distance_y; both r, pairs, p, low, high, p_holm, p_fwer and
    permutations_used."""

    def __init__(self, columns):
        self._names = list(columns)
        for name, values in columns.items():
            setattr(self, name, values)

    def __len__(self):
        return len(getattr(self, self._names[0]))

    def to_pandas(self):
        pandas = _pandas()
        return pandas.DataFrame({name: getattr(self, name) for name in self._names})

    def __repr__(self):
        return f"<geolago.Lags: {len(self)} rows, {', '.join(self._names)}>"


class Correlogram:
    """A correlogram as geolago-cli computes it: `variable` and `cross` (B of a crossed
    correlogram, or None) by name, their positions, `cells` (N), `fill` (% of filled
    cells), `null` of the test ("shuffle", "toroidal", None without one),
    `permutations_made`, `zero_crossing` ({"E_W": ..., "N_S": ...}, NaN when r never
    falls below 0), the two directions `E_W` and `N_S` (Lags), and `notes`."""

    def __init__(self, figures, variable, cross, positions):
        self.variable, self.cross = variable, cross
        self.variable_position, self.cross_position = positions
        self.cells = figures["cells"]
        self.fill = figures["fill"]
        self.null = figures["null"]
        self.permutations_made = figures["permutations_made"]
        self.zero_crossing = {k: np.nan if v is None else v for k, v in figures["zero_crossing"].items()}
        self.E_W = Lags(figures["E_W"])
        self.N_S = Lags(figures["N_S"])
        self.notes = list(figures["notes"])
        if figures["skipped"]:
            self.notes.insert(0, f"{figures['skipped']} point(s) sans leurs deux coordonnées laissé(s) de côté.")

    def _leading(self, frame, rows):
        frame.insert(0, "variable", [self.variable] * rows)
        frame.insert(1, "with", [self.cross] * rows)
        frame.insert(2, "cells", np.full(rows, self.cells, dtype=np.int64))
        frame.insert(3, "fill", np.full(rows, self.fill))
        frame["null"] = [self.null] * rows
        frame["permutations"] = np.full(rows, self.permutations_made, dtype=np.int64)

    def to_pandas(self):
        """The rows of `geolago-cli --format tsv`, under its column names: both directions,
        None where it writes NA in a column of text, NaN in one of numbers."""
        pandas = _pandas()
        frames = []
        for label in ("E_W", "N_S"):
            frame = getattr(self, label).to_pandas()
            frame.insert(0, "direction", label)
            frames.append(frame)
        frame = pandas.concat(frames, ignore_index=True)
        self._leading(frame, len(frame))
        return frame[_TSV_COLUMNS]

    def __repr__(self):
        crossed = f" × {self.cross}" if self.cross is not None else ""
        return f"<geolago.Correlogram {self.variable}{crossed}, {self.cells} mailles, {self.fill:g} % remplies>"


class CorrelogramMap(Correlogram):
    """A correlogram map: the correlograms (its axes) as Correlogram has them, and `map`
    (Lags of the (2K + 1)^2 vectors, dx from -K to K and for each dy from -K to K),
    `max_shift` (K), `anisotropy` ({"direction": degrees, "ratio": ...}, NaN when none)."""

    def __init__(self, figures, variable, cross, positions):
        super().__init__(figures, variable, cross, positions)
        self.max_shift = figures["max_shift"]
        self.map = Lags(figures["map"])
        self.anisotropy = {k: np.nan if v is None else v for k, v in figures["anisotropy"].items()}

    def grid(self, figure="r"):
        """A figure of the map as a (2K + 1) x (2K + 1) array, [dx + K, dy + K]."""
        side = 2 * self.max_shift + 1
        return np.asarray(getattr(self.map, figure)).reshape(side, side)

    def to_pandas(self):
        """The rows of `geolago-cli --map --format tsv`: one per vector of the map."""
        frame = self.map.to_pandas().drop(columns=["permutations_used"])
        self._leading(frame, len(frame))
        return frame[_MAP_TSV_COLUMNS]

    def __repr__(self):
        return super().__repr__().replace("Correlogram", "CorrelogramMap", 1)[:-1] + f", K = {self.max_shift}>"


def _column(values, place):
    """`values` as one contiguous array of float64, converted at once, NaN for missing."""
    if hasattr(values, "to_numpy"):  # pandas: its nullable types' NA become NaN
        try:
            values = values.to_numpy(dtype=np.float64, na_value=np.nan)
        except (TypeError, ValueError):
            raise _error("Les valeurs ne sont pas toutes des nombres !", place) from None
    try:
        array = np.asarray(values, dtype=np.float64)
    except (TypeError, ValueError):
        raise _error("Les valeurs ne sont pas toutes des nombres !", place) from None
    if array.ndim != 1:
        raise _error(f"Il faut une suite de valeurs à une dimension, pas un tableau de forme {array.shape} !", place)
    return np.ascontiguousarray(array)


def _integer(value, place, allow_none=False):
    if value is None and allow_none:
        return None
    if isinstance(value, bool):
        raise _error("Il faut un nombre entier !", place)
    try:
        return operator.index(value)
    except TypeError:
        raise _error("Il faut un nombre entier !", place) from None


def _is_geodataframe(value):
    return hasattr(value, "geometry") and hasattr(value, "columns") and type(value).__name__ == "GeoDataFrame"


def _usable_cores():
    try:
        return max(len(os.sched_getaffinity(0)), 1)
    except (AttributeError, OSError):
        return os.cpu_count() or 1


def _compute(x, y, values, cells, max_shift, permutations, seed, null, cross, threads, with_map):
    if isinstance(x, Table):
        if values is not None:
            raise _error("Avec une table lue, donnez le nom de la variable, pas des valeurs !", "values")
        if y is None:
            raise _error("Aucune variable n'est choisie !", "variable")
        if cross is not None and not isinstance(cross, (str, int, np.integer)):
            raise _error("Avec une table lue, cross est le nom d'une variable !", "cross")
        table = x
        first = table.position(y)
        second = table.position(cross) if cross is not None else 0
        xs, ys, columns, names = table.x, table.y, table.columns, table.names
        positions = (first, second or None)
    else:
        if _is_geodataframe(x):
            if values is not None or not isinstance(y, str):
                raise _error("Avec un GeoDataFrame, donnez le nom de la colonne de la variable !", "variable")
            frame = x
            try:
                xs, ys = frame.geometry.x, frame.geometry.y
            except ValueError:
                raise _error("Les géométries du GeoDataFrame ne sont pas toutes des points !", "geometry") from None
            for name in [y] + ([cross] if cross is not None else []):
                if name not in frame.columns:
                    raise _error(f"Le GeoDataFrame n'a pas de colonne « {name} » !", "variable")
            given = [(y, frame[y])] + ([(cross, frame[cross])] if cross is not None else [])
        else:
            if y is None or values is None:
                raise _error("Il faut x, y et les valeurs de la variable !", "values")
            given = [(getattr(values, "name", None), values)]
            if cross is not None:
                if isinstance(cross, str):
                    raise _error("Sans table lue, cross donne les valeurs de la seconde variable !", "cross")
                given.append((getattr(cross, "name", None), cross))
            xs, ys = x, y
        names = [name if isinstance(name, str) else str(i + 1) for i, (name, _) in enumerate(given)]
        columns = [_column(column, place) for (_, column), place in zip(given, ["values", "cross"])]
        first, second = 1, 2 if cross is not None else 0
        positions = (1, 2 if cross is not None else None)
    xs, ys = _column(xs, "x"), _column(ys, "y")

    cells = _integer(cells, "cells")
    max_shift = _integer(max_shift, "max_shift", allow_none=True)
    permutations = _integer(permutations, "permutations")
    seed = _integer(seed, "seed")
    if not 0 <= seed < 2**64:
        raise _error("La graine doit être comprise entre 0 et 2^64 - 1 !", "seed")
    threads = _usable_cores() if threads is None else _integer(threads, "threads")
    if null is None:
        null = "toroidal" if second else "shuffle"
    elif null == "toroidal" and not second:
        raise _error("L'hypothèse nulle toroidal ne s'applique qu'à un corrélogramme croisé (cross) !", "null")

    figures = _geolago.correlogram(xs, ys, columns, names, first, second, cells, max_shift, with_map,
                                   permutations, seed, null, threads)
    result_type = CorrelogramMap if with_map else Correlogram
    result = result_type(figures, names[first - 1], names[second - 1] if second else None, positions)
    _note(result.notes)
    return result


def correlogram(x, y=None, values=None, *, cells=10, max_shift=None, permutations=0, seed=1, null=None, cross=None,
                threads=None):
    """The correlograms E_W and N_S of a variable, as geolago-cli computes them.

    correlogram(x, y, values, ...): arrays of the points' coordinates and values (NaN:
    missing; points without both coordinates are left out). correlogram(table, "name",
    ...): a variable of a Table read; correlogram(geodataframe, "column", ...): a column of
    a GeoDataFrame of points.
    cells: N; max_shift: the last shift; permutations (0 to MAX_PERMUTATIONS) and seed: the
    permutation test; cross: B of a crossed correlogram (a name with a table or a
    GeoDataFrame, else values); null: "shuffle" or "toroidal" for a cross (default
    toroidal); threads: the test's threads (default: the usable cores). Returns a
    Correlogram."""
    return _compute(x, y, values, cells, max_shift, permutations, seed, null, cross, threads, False)


def correlogram_map(x, y=None, values=None, *, cells=10, max_shift=None, permutations=0, seed=1, null=None,
                    cross=None, threads=None):
    """The correlogram map of a variable, as geolago-cli --map computes it: the arguments
    of correlogram(), max_shift the map's K (default min(N - 1, 10)); the same
    permutations test the correlograms and the map. Returns a CorrelogramMap."""
    return _compute(x, y, values, cells, max_shift, permutations, seed, null, cross, threads, True)
