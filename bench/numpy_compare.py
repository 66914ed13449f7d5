#!/usr/bin/python3
"""Times the NumPy equivalents of the package benchmarks (bench/packages_bench.cpp),
to be run in the same session so the figures can be compared as ratios.

  OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 /usr/bin/python3 bench/numpy_compare.py

Each figure is the best of several repeats, in milliseconds per call: wall-clock time, and
the process's CPU time (steadier on a shared machine; compare it with the CPU column of the
kernel benchmarks).
"""
import os
import time
import timeit

import numpy as np


def best_ms(fn, timer, number=3, repeat=7):
    fn()  # warm-up: plans, caches, first-touch of memory
    return min(timeit.repeat(fn, timer=timer, number=number, repeat=repeat)) / number * 1e3


def hann_power(x):
    """The windowed one-sided power spectrum of the pwrspec package function."""
    n = len(x)
    window = (1 - np.cos(np.pi * np.arange(n) / (n / 2))) / np.sqrt(1.5)
    spec = np.fft.rfft(x * window)
    p = (spec.real ** 2 + spec.imag ** 2) / (n * n / 2)
    p[0] /= 2
    p[-1] /= 2
    return p


def main():
    rng = np.random.default_rng(12345)
    cases = []
    for k in (16, 20):
        c = rng.uniform(-1, 1, 1 << k) + 1j * rng.uniform(-1, 1, 1 << k)
        cases.append((f"fft 2^{k} complex", lambda c=c: np.fft.fft(c)))
    for k in (16, 20):
        r = rng.uniform(-1, 1, 1 << k)
        cases.append((f"rfft 2^{k} real", lambda r=r: np.fft.rfft(r)))
    r = rng.uniform(-1, 1, 1 << 20)
    cases.append(("pwrspec 2^20 real (window + rfft + power)", lambda: hann_power(r)))
    for m, n in ((300, 300), (500, 500), (500, 300)):
        a = rng.uniform(-1, 1, (m, n))
        cases.append((f"svd {m}x{n} (U, S, V, full_matrices=False)",
                      lambda a=a: np.linalg.svd(a, full_matrices=False)))
    a = rng.uniform(-1, 1, (500, 300))
    b = rng.uniform(-1, 1, 500)
    cases.append(("solve 500x300 least squares (lstsq)",
                  lambda a=a: np.linalg.lstsq(a, b, rcond=None)))
    a = rng.uniform(-1, 1, (300, 300))
    cases.append(("invert 300x300 (pinv, SVD based)", lambda a=a: np.linalg.pinv(a)))
    cases.append(("invert 300x300 (inv, LU)", lambda a=a: np.linalg.inv(a)))
    v = rng.uniform(-1, 1, 1000000)
    cases.append(("max 10^6", lambda: v.max()))

    print(f"numpy {np.__version__}, OPENBLAS_NUM_THREADS={os.environ.get('OPENBLAS_NUM_THREADS')}")
    print(f"  {'':48s} {'wall':>9s}    {'cpu':>9s}")
    for name, fn in cases:
        wall = best_ms(fn, time.perf_counter)
        cpu = best_ms(fn, time.process_time)
        print(f"  {name:48s} {wall:9.3f} ms {cpu:9.3f} ms")


if __name__ == "__main__":
    main()
