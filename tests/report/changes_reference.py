#!/usr/bin/python3
"""The change search computed a second way, with NumPy and SciPy, for the
fixtures of tests/report/changes_test.cpp. Run by hand when the method
changes (python3-numpy, python3-scipy); the tests do not need it.

    python3 tests/report/changes_reference.py > /tmp/fixtures.inc
"""
import re
import sys
from pathlib import Path

import numpy as np
from scipy import stats

MIN_SEGMENT = 3
MAX_PHI = 0.5
ODD = 3.0
TRIM = 3.0

root = Path(__file__).resolve().parents[2]
table = [(int(n), float(steady), float(drifting)) for n, steady, drifting in
         re.findall(r"Calibrated\{(\d+), ([0-9.]+), ([0-9.]+)\}",
                    (root / "report/changes_thresholds.inc").read_text())]


def threshold(n, phi):
    def at(row):
        return row[1] + (row[2] - row[1]) * phi / MAX_PHI
    lengths = [row[0] for row in table]
    i = np.searchsorted(lengths, n)
    if i == len(table):
        return at(table[-1])
    if table[i][0] == n or i == 0:
        return at(table[i])
    return max(at(table[i]), at(table[i - 1]))


def lag_variance(x, lag):
    d = x[lag:] - x[:-lag]
    centre = np.median(d)
    scale = stats.median_abs_deviation(d, scale="normal")
    if scale > 0:
        kept = d[np.abs(d - centre) <= TRIM * scale]
        # E[z^2 | |z| < c] for a standard normal z
        expected = stats.chi2.cdf(TRIM**2, 3) / stats.chi2.cdf(TRIM**2, 1)
        return np.mean((kept - centre) ** 2) / expected
    return np.var(d)


def noise(x):
    v1, v2 = lag_variance(x, 1), lag_variance(x, 2)
    if not v1 > 0:
        return 0.0, 0.0, 0.0
    phi = min(max(v2 / v1 - 1, 0.0), MAX_PHI)
    var = v1 / (2 * (1 - phi))
    return np.sqrt(var), phi, np.sqrt(var * (1 + phi) / (1 - phi))


def damp(x, sigma):
    n = len(x)
    centres = np.array([np.median(x[max(0, i - 2):min(n, i + 3)]) for i in range(n)])
    return np.clip(x, centres - ODD * sigma, centres + ODD * sigma)


def cusum(y, tau):
    """Every split's standardised CUSUM, by the split's first index after."""
    n = len(y)
    k = np.arange(MIN_SEGMENT, n - MIN_SEGMENT + 1)
    before = np.array([y[:j].mean() for j in k])
    after = np.array([y[j:].mean() for j in k])
    return k, np.abs(after - before) / (tau * np.sqrt(1 / k + 1 / (n - k)))


def search(series):
    x = np.log(np.asarray(series, dtype=float))
    sigma, phi, tau = noise(x)
    y = damp(x, sigma)
    limit = threshold(len(x), phi)
    places, pending = [], [(0, len(x))]
    while pending:
        lo, hi = pending.pop()
        if hi - lo < 2 * MIN_SEGMENT:
            continue
        k, s = cusum(y[lo:hi], tau)
        best = int(np.argmax(s))  # the first largest, as the program takes it
        if s[best] > limit:
            places.append(lo + int(k[best]))
            pending += [(lo, lo + int(k[best])), (lo + int(k[best]), hi)]
    places.sort()
    t = stats.t.ppf(0.975, max(1.0, 0.37 * (len(x) - 2)))
    bounds = [0] + places + [len(x)]
    changes = []
    for c in range(1, len(bounds) - 1):
        lo, at, hi = bounds[c - 1], bounds[c], bounds[c + 1]
        diff = y[at:hi].mean() - y[lo:at].mean()
        half = t * tau * np.sqrt(1 / (at - lo) + 1 / (hi - at))
        changes.append((at, np.exp(diff), np.exp(diff - half), np.exp(diff + half)))
    first = cusum(y, tau)[1].max() if tau > 0 else 0.0
    return sigma, phi, tau, first, changes


def fixtures():
    rng = np.random.default_rng(35)
    idle = 460000 * np.exp(0.01 * rng.standard_normal(24))
    held = idle * np.r_[np.ones(8), np.full(8, 0.95), np.ones(8)]
    drift = np.empty(60)
    e = 0.0
    for i in range(60):
        e = 0.5 * e + 0.02 * np.sqrt(0.75) * rng.standard_normal()
        drift[i] = 300000 * np.exp(e) * (1.04 if i >= 30 else 1.0)
    odd = idle.copy()
    odd[9] *= 0.9
    build = idle * np.r_[np.ones(8), np.full(8, 1 / 3), np.ones(8)]
    flat = np.r_[np.full(10, 100.0), np.full(10, 110.0)]
    short = idle[:7] * np.r_[np.ones(3), np.full(4, 0.8)]
    return {"held": held, "idle": idle, "drift": drift, "odd": odd, "build": build, "flat": flat,
            "short": short}


def main():
    out = sys.stdout
    for name, series in fixtures().items():
        sigma, phi, tau, first, changes = search(series)
        out.write("    {\"%s\",\n     {%s},\n" % (name, ", ".join("%.17g" % v for v in series)))
        out.write("     %.17g, %.17g, %.17g, %.17g,\n" % (sigma, phi, tau, first))
        out.write("     {%s}},\n" % ", ".join("{%d, %.17g, %.17g, %.17g}" % c for c in changes))


if __name__ == "__main__":
    main()
