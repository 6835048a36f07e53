#!/usr/bin/env python3
"""The Python module's call against the core's own time for the same correlogram of 10^6
points already in memory (docs/performance.md):
    /usr/bin/python3 bench/python_bench.py BUILD [--points P] [--repeats R]
BUILD is a build configured with -DGEOLAGO_BENCH=ON -DGEOLAGO_PYTHON=ON whose targets
geolago_python and geolago-job-time are built. Each line: the case, the fastest of R
calls of geolago.correlogram(x, y, v, ...) and of the core's path from the same doubles
in memory (bench/job_time.cpp: their PointTable, storeReading, the placement and runJob),
taken in turn, in ms,
and their ratio; then the same in processor time (every thread's), which the other work
of a busy machine sways less."""
import argparse
import os
import subprocess
import sys
import tempfile
import time

import numpy as np


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--points", type=int, default=1_000_000)
    parser.add_argument("--repeats", type=int, default=7)
    arguments = parser.parse_args()
    sys.path.insert(0, os.path.join(arguments.build, "bindings", "python"))
    import geolago

    # Points over 12 km by 9 km, a smooth field of waves of about 2 km plus as much noise.
    rng = np.random.default_rng(20261209)
    n = arguments.points
    x, y = rng.uniform(0, 12000, n), rng.uniform(0, 9000, n)
    v = np.sin(x / 2000 * np.pi) * np.cos(y / 2000 * np.pi) + rng.normal(0, 0.7, n)
    timer = os.path.join(arguments.build, "bench", "geolago-job-time")
    cases = [("N = 30", 30, 0, 1, False), ("N = 200", 200, 0, 1, False),
             ("N = 30, 99 permutations, 1 thread", 30, 99, 1, False),
             ("N = 30, 99 permutations, 2 threads", 30, 99, 2, False),
             ("map N = 30, K = 10, 99 permutations, 2 threads", 30, 99, 2, True)]
    with tempfile.TemporaryDirectory() as folder:
        for name, values in (("x", x), ("y", y), ("v", v)):
            values.astype(np.float64).tofile(os.path.join(folder, name + ".f64"))
        print(f"{n} points, fastest of {arguments.repeats}")
        print(f"{'case':48} {'Python ms':>10} {'core ms':>10} {'ratio':>6}   {'processor time: Python':>22} "
              f"{'core':>8} {'ratio':>6}")
        for label, cells, permutations, threads, with_map in cases:
            compute = geolago.correlogram_map if with_map else geolago.correlogram
            # Turn about, so that the load of the machine weighs on both alike.
            times, processor, core_times, core_processor = [], [], [], []
            for _ in range(arguments.repeats):
                start, processor_start = time.perf_counter(), time.process_time()
                compute(x, y, v, cells=cells, permutations=permutations, threads=threads)
                times.append((time.perf_counter() - start) * 1000)
                processor.append((time.process_time() - processor_start) * 1000)
                core = subprocess.run([timer, folder, str(cells), str(permutations), str(threads), "1"]
                                      + (["map"] if with_map else []), capture_output=True, text=True, check=True)
                clock, cpu = map(float, core.stdout.split())
                core_times.append(clock)
                core_processor.append(cpu)
            print(f"{label:48} {min(times):10.1f} {min(core_times):10.1f} {min(times) / min(core_times):6.2f}   "
                  f"{min(processor):22.1f} {min(core_processor):8.1f} {min(processor) / min(core_processor):6.2f}")


if __name__ == "__main__":
    main()
