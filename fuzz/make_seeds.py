#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into FOLDER/<target>/ (fuzz/run.sh makes them
in its build folder before each run; nothing of it is kept in the repository).

Each reader seed starts with the layout bytes its target takes from the head of an input
(see the targets' comments), followed by the file's bytes. The seeds are made from the
examples and the byte strings below, the same at every run.
"""
import os
import pathlib
import struct
import sys

here = pathlib.Path(__file__).resolve().parent
corpus = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here.parent / "build-fuzz" / "seeds"
example = (here.parent / "examples" / "quartiers.txt").read_bytes()
names_example = (here.parent / "examples" / "quartiers_noms.txt").read_bytes()


def layout(points, variables, flags):
    return bytes([points & 0xFF, points >> 8, variables, flags])


def grid_file(columns, rows, variables):
    """A regular lattice of points with values that vary along both axes."""
    lines = []
    for i in range(columns * rows):
        x, y = i % columns, i // columns
        values = " ".join(f"{(x * (v + 1) + y * y * 0.5 - v):.17g}" for v in range(variables))
        lines.append(f"{x * 10.25:.17g} {y * 7.5 + x * 0.125:.17g} {values}")
    return ("\n".join(lines) + "\n").encode()


reader = {
    "example": layout(80, 12, 1) + example,
    "example_straddling": layout(80, 12, 3 | 40 << 2) + example,
    "token_table": layout(2, 4, 0) + b"-.5 +3 1. 2e3 2E-3 .\n\t1e-4  -0 7 8 9\r\n",
    "numbered_hex": layout(3, 1, 1) + b"$1F 1 2 3\n0x1f 4 5 6\n2147483647 7 8 9\n",
    "bad_point_number": layout(1, 1, 1) + b"12.0 1 2 3\n",
    "comma": layout(1, 1, 0) + b"1,5 2 3\n",
    "cr_only": layout(3, 1, 0) + b"1 2 3\r4 5 6\r7 8 9\r",
    "ctrl_z": layout(3, 1, 0) + b"1 2 3\n\x1a4 5 6\n7 8 9\n",
    "huge_and_tiny": layout(2, 2, 0) + b"1e400 1 2 3\n1e-400 5e-324 1.7976931348623157e308 -4.9e-324\n",
    "many_digits": layout(2, 1, 0)
    + b"12345678901234567890123 0.000000000000000000000012345678901234567 "
    + b"98765432109876543210.98765e-3\n184467440737095516151 18446744073709551616 1\n",
    "long_token": layout(1, 0, 0) + b"1" * 70 + b" 2\n",
    "grid": layout(64, 3, 0) + grid_file(8, 8, 3),
    "empty": layout(0, 0, 0),
}

analysis = {
    "example_n10": layout(80, 12, 1) + bytes([9, 3]) + example,
    "grid_n8": layout(64, 3, 0) + bytes([7, 1]) + grid_file(8, 8, 3),
    "grid_n30": layout(144, 2, 0) + bytes([29, 0]) + grid_file(12, 12, 2),
    "grid_n1": layout(9, 1, 0) + bytes([0, 0]) + grid_file(3, 3, 1),
    "one_point": layout(1, 1, 0) + bytes([4, 0]) + b"1 2 3\n",
    "same_x": layout(3, 1, 0) + bytes([4, 0]) + b"1 2 3\n1 5 6\n1 8 9\n",
    "equal_values": layout(25, 1, 0) + bytes([4, 0])
    + "".join(f"{x} {y} 5\n" for x in range(5) for y in range(5)).encode(),
}

names = {
    "example": names_example,
    "line_ends": b"a\r\nb\nc\rd\n\re",
    "nul": b"un\ndeux\x00trois\n",
    "empty_lines": b"\n\n \t\n",
}

convert = {
    "plain": b"12", "spaces": b"   +12", "dollar": b"$1E", "x": b"x10", "zero_x": b"0X7fffffff",
    "min": b"-2147483648", "too_big": b"2147483648", "trailing_blank": b"12 ", "tab": b"\t1",
    "hex_negative": b"-$80000000", "hex_leading_zeros": b"$000000001F", "lone_sign": b"-",
}

doubles = {
    "single_0_8": struct.unpack("<f", struct.pack("<f", 0.8))[0], "minus_quarter": -0.25, "one": 1.0,
    "37_5": 37.5, "single_1e-5": struct.unpack("<f", struct.pack("<f", 1e-5))[0],
    "below_one": 0.999999940395355, "1e15": 1e15, "1e16": 1e16, "nines": 999999999999999.9,
    "max": 1.7976931348623157e308, "denormal": 5e-324, "1e-4": 1e-4, "9_99e-5": 9.9999999999999999e-5,
}
write_real = {}
for name, value in doubles.items():
    for sep, tag in ((0, "point"), (1, "comma")):
        write_real[f"{name}_{tag}"] = struct.pack(">d", value) + bytes([sep])



def command(args, points=b"", names_text=b""):
    """A cli input: the number of arguments, each ended by a NUL, the point file's length,
    both files."""
    encoded = [a if isinstance(a, bytes) else a.encode() for a in args]
    return (bytes([len(encoded)]) + b"".join(a + b"\0" for a in encoded) + struct.pack("<H", len(points))
            + points + names_text)


example_args = ["@P", "--points", "80", "--vars", "12", "--numbered", "--names", "@N"]
square = b"0 0 1 10\n0 1 2 20\n1 0 3 30\n1 1 4 40\n"
cli = {
    "example_all_tsv": command(example_args + ["--all", "--format", "tsv"], example, names_example),
    "example_json_cross": command(example_args + ["--variable", "Revenu m\u00e9dian", "--cross", "1:2",
                                                  "--cells", "5,10", "--format", "json"], example, names_example),
    "example_permuted_text": command(example_args + ["--variable", "5", "--permutations", "9", "--seed", "7",
                                                     "--decimal-comma"], example, names_example),
    "example_map_tsv": command(example_args + ["--cross", "1:5", "--map", "--max-shift", "4", "--permutations", "9",
                                               "--format", "tsv"], example, names_example),
    "square_control_names": command(["@P", "--points", "4", "--vars", "2", "--cells=1..3", "--names", "@N",
                                     "--all", "--format", "json"], square, b"R&D\t\x01\n\xe9t\xe9\n"),
    "cut_file_json": command(["@P", "--points", "2", "--vars", "1", "--all", "--format", "json"],
                             b"0 0 1\n1 1\n"),
    "usage": command(["@P", "--points", "4", "--all"], square),
    "usage_control": command(["@P", "--points", "4", "--vars", "2", "--all", b"--ver\nbose\x1b[2J"], square),
    "help": command(["--help"]),
    "csv_by_name": command(["@P", "--variable", "clay", "--cells", "2", "--format", "json"],
                           b"id,x,y,ph,clay\n1,0,0,6.5,20\n2,1,0,6.7,22\n3,0,1,NA,25\n4,1,1,6.1,19\n"
                           + b"5,2,2,6,21\n6,,2,5,5\n"),
    "guessed_counts": command(["@P", "--all", "--cells", "2"], square),
}

delimited = {
    "csv": bytes([0]) + b"id,x,y,ph,clay,quartier\n1,0,0,6.5,20,Nord\n2,1,0,6.7,22,Sud\n3,2,0,NA,25,Sud\n"
    + b"4,0,1,6.1,,Est\n5,1,1,6,19,Est\n6,,1,5,5,Est\n7,2,1,6.2,21,Ouest\n",
    "french": bytes([0]) + "\ufeffNum;X;Y;pH;argile\r\n1;0,5;1,5;6,5;20\r\n2;1,5;0,5;6,75;-\r\n3;2;2;7;21\r\n".encode(),
    "quoted_tsv_bounded": bytes([1 | 2 << 2 | 16]) + b'"name"\t"x"\t"y"\t"v"\r"a\tb"\t1\t2\t3\r"c ""d"""\t4\t5\t6\r'
    + b'"e\nf"\t7\t8\t9\r',
    "lon_lat_ragged": bytes([0]) + b"lat,lon,v\n45.5,2.25,1\n45.75,2.5\n",
}

for target, seeds in (("point_reader", reader), ("delimited", delimited), ("analysis", analysis), ("names", names),
                      ("convert", convert), ("write_real", write_real), ("cli", cli)):
    folder = corpus / target
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)
    print(f"{target}: {len(seeds)} seeds")
