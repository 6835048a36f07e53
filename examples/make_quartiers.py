#!/usr/bin/env python3
"""Builds the example data set: 80 districts of an imaginary city, twelve variables.

Everything is synthetic and drawn from a fixed seed, so running this script again
writes the same three files byte for byte:

  quartiers.txt        one district per line: number X Y v1 ... v12
                       (metres and values with a point as decimal separator, LF line ends)
  quartiers_noms.txt   the twelve variable names, one per line, UTF-8
  quartiers.csv        the same districts as a French spreadsheet exports them: a header
                       of names, ";" between fields, decimal commas, CR LF line ends,
                       UTF-8 with its BOM, and the district's sector as a text column

Districts sit on a 9 x 9 lattice 400 m apart, each moved at random by up to 150 m
along both axes; the north-east corner is the river port and holds no district.
X grows eastwards, Y northwards.
"""

import math
import random

SEED = 20240607
SPACING = 400.0
JITTER = 150.0
SIDE = 9

NAMES = [
    "Revenu médian",
    "Part des 65 ans et plus",
    "Indice tiré au hasard",
    "Densité de population",
    "Logements sociaux",
    "Commerces de proximité",
    "Espaces verts",
    "Cadres",
    "Chômage",
    "Altitude",
    "Mortalité",
    "Ouvriers",
]


def districts(rng):
    """The (x, y) of each district, row by row from the south-west corner."""
    points = []
    for row in range(SIDE):
        for col in range(SIDE):
            if row == SIDE - 1 and col == SIDE - 1:
                continue  # the port
            x = col * SPACING + rng.uniform(-JITTER, JITTER) + 1000.0
            y = row * SPACING + rng.uniform(-JITTER, JITTER) + 1000.0
            points.append((x, y))
    return points


def values(x, y, rng):
    """The twelve variables of a district at (x, y)."""
    extent = (SIDE - 1) * SPACING
    u = (x - 1000.0) / extent  # 0 in the west, 1 in the east
    w = (y - 1000.0) / extent  # 0 in the south, 1 in the north
    g = rng.gauss

    income = 18000.0 + 14000.0 * u + g(0, 800)           # rises steadily eastwards
    elderly = 12.0 + 16.0 * w + g(0, 1.0)                # rises steadily northwards
    noise = 50.0 + g(0, 10.0)                            # no structure at all
    r2 = (u - 0.5) ** 2 + (w - 0.5) ** 2
    density = 2000.0 + 14000.0 * math.exp(-r2 / 0.08) + g(0, 600)  # one dense centre
    # Bands that repeat every 4 districts (1600 m): north-south strips, then east-west ones.
    social = 25.0 + 15.0 * math.cos(2 * math.pi * (x - 1000.0) / (4 * SPACING)) + g(0, 2.0)
    shops = 8.0 + 5.0 * math.cos(2 * math.pi * (y - 1000.0) / (4 * SPACING)) + g(0, 0.7)
    # A broad wave along X three times as strong as a shorter one along Y.
    green = (20.0 + 9.0 * math.sin(math.pi * u * 1.5)
             + 3.0 * math.sin(2 * math.pi * (y - 1000.0) / (3 * SPACING)) + g(0, 1.0))
    executives = 5.0 + 0.0012 * (income - 18000.0) + g(0, 2.5)      # follows income, noisier
    unemployment = 16.0 - 0.0006 * (income - 18000.0) + g(0, 1.2)   # mirrors income
    altitude = 40.0 + 60.0 * (u + w) / 2 + g(0, 3.0)                # slope towards the north-east
    mortality = 9.0 + 1.5 * u + g(0, 1.2)                           # weak trend, much noise
    # Diagonal bands, every 3 districts along each axis.
    workers = 30.0 + 12.0 * math.cos(2 * math.pi * ((x - 1000.0) + (y - 1000.0)) / (3 * SPACING)) + g(0, 2.0)

    return [income, elderly, noise, density, social, shops, green, executives,
            unemployment, altitude, mortality, workers]


def sector(x, y):
    """The district's quarter of the city, by its position."""
    middle = 1000.0 + (SIDE - 1) * SPACING / 2
    return ("Nord" if y >= middle else "Sud") + ("-Est" if x >= middle else "-Ouest")


def main():
    rng = random.Random(SEED)
    rows = []
    for number, (x, y) in enumerate(districts(rng), start=1):
        fields = [str(number), f"{x:.1f}", f"{y:.1f}"]
        fields += [f"{v:.2f}" for v in values(x, y, rng)]
        rows.append((fields, sector(x, y)))
    with open("quartiers.txt", "w", encoding="ascii", newline="\n") as out:
        for fields, _ in rows:
            out.write(" ".join(fields) + "\n")
    with open("quartiers_noms.txt", "w", encoding="utf-8", newline="\n") as out:
        for name in NAMES:
            out.write(name + "\n")
    with open("quartiers.csv", "w", encoding="utf-8-sig", newline="\r\n") as out:
        out.write(";".join(["N°", "X", "Y"] + NAMES + ["Secteur"]) + "\n")
        for fields, place in rows:
            out.write(";".join([f.replace(".", ",") for f in fields] + [place]) + "\n")


if __name__ == "__main__":
    main()
