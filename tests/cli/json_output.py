#!/usr/bin/env python3
"""geolago-cli's JSON read back by Python's strict parser: crossed correlograms with their
maps and their toroidal tests, and a crossed request refused, in one document.
    json_output.py GEOLAGO_CLI EXAMPLES_DIR"""
import json
import subprocess
import sys


def main(cli, examples):
    run = subprocess.run([cli, examples + "/quartiers.txt", "--cross", "1:5", "--cross", "1:2", "--cross", "1:99", "--permutations",
                          "99", "--max-shift", "1", "--map", "--format", "json"], capture_output=True, text=True)
    assert run.returncode == 1, run.stderr  # the refused request
    document = json.loads(run.stdout)
    crossed, second, refused = document["results"]
    assert document["cross_null"] == "toroidal" and crossed["null"] == "toroidal"
    assert crossed["with"] == {"position": 5, "name": "5"}, crossed["with"]
    assert (crossed["cells"], crossed["permutations_made"], crossed["max_shift"]) == (10, 99, 1)
    # A crossed shift 0 is tested; r as numpy's corrcoef gives it on the same pairs.
    origin = second["E_W"][0]
    assert (origin["r"], origin["pairs"], origin["permutations_used"]) == (0.04615636693574086, 71, 99), origin
    assert len(crossed["map"]) == 9 and len(crossed["E_W"]) == 2 and "direction" in crossed["anisotropy"]
    vector = crossed["map"][5]
    assert (vector["dx"], vector["dy"], vector["pairs"], vector["p"]) == (0, 1, 45, 0.74), vector
    assert vector["r"] == -0.1036801244220736, vector["r"]
    assert refused["with"] == {"position": 99, "name": "99"} and "E_W" not in refused, refused
    assert refused["error"].startswith("La variable 99 n'a pas été lue"), refused["error"]
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
