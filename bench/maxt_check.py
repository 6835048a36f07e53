#!/usr/bin/python3
"""The step-down maxT p of a small fixed family, computed straightforwardly in float64
with numpy, independently of the program: the figures core's test of MaxTStepDown holds.
Run: /usr/bin/python3 bench/maxt_check.py"""
import numpy as np

nan = np.nan
# 30 permutations (rows) of 6 columns; the last permutation gave no r anywhere, column 1
# misses one r, column 2 is untested, column 3 ties its observed r twice, column 4 has no
# spread at all.
rows = np.array([
    [0.13, 0.25, 0.48, 0.42, 0.25, 0.44],
    [-0.95, -0.18, -0.58, -0.72, 0.25, -0.24],
    [-0.03, -0.15, 0.07, 0.05, 0.25, 0.21],
    [-0.05, nan, -0.13, -0.27, 0.25, 0.03],
    [-0.11, -0.22, -0.02, -0.57, 0.25, 0.03],
    [-0.36, -0.02, -0.23, 0.12, 0.25, -0.22],
    [-0.16, -0.07, -0.73, -0.4, 0.25, -0.42],
    [0.28, -0.27, 0.04, -0.24, 0.25, -0.04],
    [-0.2, -0.47, 0.21, 0.02, 0.25, 0.1],
    [0.57, 0.37, 0.34, 0.34, 0.25, 0.21],
    [-0.09, -0.03, 0.08, 0.15, 0.25, -0.31],
    [-0.05, 0.19, 0.1, -0.01, 0.25, 0.01],
    [-0.09, 0.12, -0.2, -0.02, 0.25, 0.07],
    [-0.06, 0.41, 0.2, 0.2, 0.25, -0.17],
    [-0.28, -0.05, -0.61, 0.08, 0.25, -0.42],
    [-0.25, -0.22, -0.05, 0.07, 0.25, -0.1],
    [0.23, 0.1, 0.42, 0.22, 0.25, -0.14],
    [-0.07, -0.2, 0.27, 0.1, 0.25, -0.13],
    [0.24, 0.0, -0.04, 0.24, 0.25, 0.09],
    [-0.14, -0.26, -0.3, 0.08, 0.25, -0.03],
    [0.07, 0.03, 0.03, -0.3, 0.25, 0.03],
    [0.08, 0.14, 0.07, 0.17, 0.25, 0.15],
    [0.05, 0.24, 0.21, 0.42, 0.25, 0.25],
    [-0.17, -0.05, 0.09, 0.14, 0.25, -0.04],
    [0.29, -0.08, -0.06, 0.13, 0.25, 0.4],
    [0.28, 0.52, 0.08, 0.0, 0.25, 0.23],
    [0.17, 0.37, 0.29, 0.61, 0.25, 0.5],
    [-0.17, -0.23, -0.18, -0.28, 0.25, 0.17],
    [-0.0, 0.09, 0.29, 0.02, 0.25, -0.09],
    [nan, nan, nan, nan, nan, nan],
])
observed = np.array([0.66, -0.5, nan, 0.42, 0.25, -0.45])

family = [c for c in range(rows.shape[1]) if not np.isnan(observed[c])]
mean, sd, t, p = {}, {}, {}, {}
for c in family:
    col = rows[:, c][~np.isnan(rows[:, c])]
    arrangements = np.append(col, observed[c])  # the observed one is standardised with them
    mean[c] = arrangements.mean()
    sd[c] = np.sqrt(((arrangements - mean[c]) ** 2).mean())
    below, above = (col <= observed[c]).sum(), (col >= observed[c]).sum()
    p[c] = min(1.0, 2 * min(1 + below, 1 + above) / (1 + len(col)))

def z(c, x):
    d = np.abs(x - mean[c])
    return d / sd[c] if sd[c] > 0 else d * 0.0  # no spread: every arrangement at the mean

for c in family:
    t[c] = float(z(c, observed[c]))
order = sorted(family, key=lambda c: -t[c])  # stable: ties in column order
Z = {c: z(c, rows[:, c]) for c in family}
adjusted, running = {}, 0.0
for j, c in enumerate(order):
    block = np.column_stack([Z[k] for k in order[j:]])
    valid = ~np.all(np.isnan(block), axis=1)
    u = np.nanmax(np.where(valid[:, None], block, 0.0), axis=1)[valid]
    stepdown = (1 + (u >= t[c]).sum()) / (1 + valid.sum())
    running = max(running, stepdown, p[c])
    print("  step-down", c, stepdown, "own p", p[c])
    adjusted[c] = min(1.0, running)
for c in range(rows.shape[1]):
    print(c, repr(adjusted.get(c, nan)), "t =", t.get(c), "p =", p.get(c))
