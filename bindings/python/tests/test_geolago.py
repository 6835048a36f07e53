"""The module's figures against geolago-cli's on the README's example, its inputs, its
failures and Ctrl-C. GEOLAGO_CLI names the built command, GEOLAGO_SOURCE the sources."""
import io
import json
import math
import os
import signal
import subprocess
import sys
import textwrap
import time
import types

import numpy as np
import pandas as pd
import pytest

import geolago

SOURCE = os.environ.get("GEOLAGO_SOURCE", os.path.join(os.path.dirname(__file__), "..", "..", ".."))
CLI = os.environ["GEOLAGO_CLI"]
CSV = os.path.join(SOURCE, "examples", "quartiers.csv")
SOCIAL = "Logements sociaux"

# The example's column of text is noted at every reading.
pytestmark = pytest.mark.filterwarnings("ignore::geolago.GeolagoNote")


def cli(*args):
    run = subprocess.run([CLI, CSV, *args], capture_output=True, text=True, check=True)
    return run.stdout


def same(ours, theirs):
    """Equal to the last bit, NaN standing for the command's null."""
    ours = float(ours)
    return math.isnan(ours) if theirs is None else ours == theirs


LAG_FIGURES = ["r", "pairs", "p", "low", "high", "p_holm", "p_fwer", "permutations_used"]

CASES = {
    "correlogram": (dict(), ["--variable", SOCIAL]),
    "cross": (dict(cross="Revenu médian", permutations=199, seed=11),
              ["--cross", SOCIAL + ":Revenu médian", "--permutations", "199", "--seed", "11"]),
    "shuffled cross, K = 4": (dict(cross="Revenu médian", permutations=99, seed=5, null="shuffle", max_shift=4),
                              ["--cross", SOCIAL + ":Revenu médian", "--permutations", "99", "--seed", "5",
                               "--cross-null", "shuffle", "--max-shift", "4"]),
    "test, 7 cells": (dict(permutations=499, seed=42, cells=7),
                      ["--variable", SOCIAL, "--permutations", "499", "--seed", "42", "--cells", "7"]),
    "map": (dict(permutations=99, seed=3, max_shift=3, map=True),
            ["--variable", SOCIAL, "--permutations", "99", "--seed", "3", "--max-shift", "3", "--map"]),
}


@pytest.mark.parametrize("case", CASES)
def test_figures_are_the_commands(case):
    kwargs, args = CASES[case]
    kwargs = dict(kwargs)
    compute = geolago.correlogram_map if kwargs.pop("map", False) else geolago.correlogram
    table = geolago.read(CSV)
    result = compute(table, SOCIAL, **kwargs)
    expected = json.loads(cli(*args, "--format", "json"))["results"][0]

    assert (result.variable, result.variable_position) == (expected["name"], expected["position"])
    assert result.cross == (expected["with"]["name"] if expected["with"] else None)
    assert (result.cells, result.fill, result.null, result.permutations_made) == (
        expected["cells"], expected["fill"], expected["null"], expected["permutations_made"])
    for label in ("E_W", "N_S"):
        assert same(result.zero_crossing[label], expected["zero_crossing"][label])
        lags = getattr(result, label)
        assert len(lags) == len(expected[label])
        for k, shift in enumerate(expected[label]):
            for figure in ["shift", "distance"] + LAG_FIGURES:
                assert same(getattr(lags, figure)[k], shift[figure]), (label, k, figure)
    if "map" in expected:
        assert result.max_shift == expected["max_shift"]
        assert len(result.map) == len(expected["map"])
        for i, vector in enumerate(expected["map"]):
            for figure in ["dx", "dy", "distance_x", "distance_y"] + LAG_FIGURES:
                assert same(getattr(result.map, figure)[i], vector[figure]), (i, figure)
        for key in ("direction", "ratio"):
            assert same(result.anisotropy[key], expected["anisotropy"][key])
        assert result.grid("r")[3 + 1, 3 + 0] == result.N_S.r[1]  # vector (1, 0)

    # The tsv's table: the same columns and rows, its 15 digits of our figures.
    tsv = pd.read_csv(io.StringIO(cli(*args, "--format", "tsv")), sep="\t", keep_default_na=False,
                      na_values=["NA"], dtype={"with": str})
    ours = result.to_pandas()
    assert list(ours.columns) == list(tsv.columns)
    assert len(ours) == len(tsv)
    for column in tsv.columns:
        if tsv[column].dtype == object:
            mine = ["" if v is None else v for v in ours[column]] if column == "with" else list(ours[column])
            theirs = [v if v == v else None for v in tsv[column]] if column == "null" else list(tsv[column])
            assert mine == theirs, column
        else:
            np.testing.assert_allclose(ours[column].to_numpy(float), tsv[column].to_numpy(float), rtol=1e-14,
                                       err_msg=column)


def test_inputs_of_every_kind_give_the_same_figures():
    table = geolago.read(CSV)
    expected = geolago.correlogram(table, SOCIAL, permutations=99, seed=2, threads=1)
    values = table[SOCIAL]
    # A point file with its names file, the counts guessed.
    points = geolago.read(os.path.join(SOURCE, "examples", "quartiers.txt"),
                          names=os.path.join(SOURCE, "examples", "quartiers_noms.txt"))
    assert points.format == "points" and points.names == table.names
    assert points.notes[0] == "comptes devinés : 80 points, 12 variables, lignes numérotées"
    # Arrays, pandas Series with a missing coordinate added, two threads.
    x = pd.Series(np.append(table.x, np.nan))
    y = pd.Series(np.append(table.y, 5.0))
    series = pd.Series(np.append(values, 1.0), name=SOCIAL)
    with pytest.warns(geolago.GeolagoNote, match="1 point"):
        from_series = geolago.correlogram(x, y, series, permutations=99, seed=2, threads=2)
    for result in (geolago.correlogram(points, 5, permutations=99, seed=2),
                   geolago.correlogram(list(table.x), table.y, values, permutations=99, seed=2),
                   from_series):
        for figure in LAG_FIGURES:
            np.testing.assert_array_equal(getattr(result.E_W, figure), getattr(expected.E_W, figure))
            np.testing.assert_array_equal(getattr(result.N_S, figure), getattr(expected.N_S, figure))
    assert from_series.variable == SOCIAL
    # A GeoDataFrame of points, through its geometry.
    class GeoDataFrame(pd.DataFrame):
        @property
        def geometry(self):
            return types.SimpleNamespace(x=self["X"], y=self["Y"])

    points = GeoDataFrame({"X": table.x, "Y": table.y, "social": values, "income": table["Revenu médian"]})
    crossed = geolago.correlogram(points, "social", cross="income", permutations=99, seed=2)
    direct = geolago.correlogram(table, SOCIAL, cross="Revenu médian", permutations=99, seed=2)
    assert (crossed.variable, crossed.cross, crossed.null) == ("social", "income", "toroidal")
    np.testing.assert_array_equal(crossed.N_S.p, direct.N_S.p)
    assert geolago.correlogram(table.x, table.y, values).variable == "1"


def failure(call):
    with pytest.raises(geolago.Error) as raised:
        call()
    assert isinstance(raised.value, ValueError)
    return raised.value.place, raised.value.message


def test_bad_inputs_raise_with_their_message_and_place():
    table = geolago.read(CSV)
    x, y, v = table.x, table.y, table[SOCIAL]
    assert failure(lambda: geolago.correlogram(x, y[:-1], v)) == ("y", "x a 80 valeurs, y en a 79 !")
    assert failure(lambda: geolago.correlogram(x, y, v[:3])) == ("1", "La variable a 3 valeurs pour 80 points !")
    assert failure(lambda: geolago.correlogram(x, y, ["a"] * 80)) == ("values", "Les valeurs ne sont pas toutes des nombres !")
    assert failure(lambda: geolago.correlogram(x, y, np.full(80, np.nan))) == (
        "1", "La variable n'a aucune valeur aux points qui ont leurs coordonnées !")
    assert failure(lambda: geolago.correlogram(table, SOCIAL, cells=0)) == ("cells", "Il faut au moins une maille par côté !")
    assert failure(lambda: geolago.correlogram(table, SOCIAL, permutations=100001)) == (
        "permutations", "Le nombre de permutations doit être compris entre 0 et 100000 !")
    assert failure(lambda: geolago.correlogram(table, SOCIAL, null="toroidal"))[0] == "null"
    assert failure(lambda: geolago.correlogram(table, "Zinc"))[1].startswith("Le fichier n'a pas de variable « Zinc »")
    # A constant variable: the core's message, naming it.
    assert failure(lambda: geolago.correlogram(x, y, pd.Series(np.ones(80), name="un"))) == (
        "variable 1 (un)", "Opération en virgule flottante incorrecte : la variable 1 (un) a la même valeur dans "
        "toutes les mailles remplies.")
    # A reading that fails names its file and line.
    bad = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"geolago-test-{os.getpid()}.csv")
    with open(bad, "w") as f:
        f.write("X,Y,zinc\n1,2,3\n4,5,6\n7,8\n")
    try:
        place, message = failure(lambda: geolago.read(bad))
        assert place.startswith(bad + ":4")
    finally:
        os.remove(bad)


def test_ctrl_c_stops_a_long_test():
    script = textwrap.dedent("""
        import sys, numpy as np, geolago
        rng = np.random.default_rng(1)
        x, y = rng.random(200000), rng.random(200000)
        print("ready", flush=True)
        try:
            geolago.correlogram_map(x, y, x + y, cells=60, max_shift=20, permutations=100000, threads=1)
        except KeyboardInterrupt:
            print("interrupted", flush=True)
    """)
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline().strip() == "ready"
        time.sleep(1.5)
        start = time.monotonic()
        child.send_signal(signal.SIGINT)
        out, _ = child.communicate(timeout=20)
        assert out.strip() == "interrupted"
        assert time.monotonic() - start < 5
    finally:
        child.kill()
        child.wait()
