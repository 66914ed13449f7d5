#!/usr/bin/python3
"""NumPy figures beside bench/data_bench.cpp, on the same data.

Writes the "TEXT" file the benchmark reads (10^6 numbers, 10 a line, each
sin(i) * 1000 printed with "%.6g") and times numpy.loadtxt on it; for the
binary formats, numpy.fromfile of 10^7 big-endian 16-bit values converted
to single precision, as a memory-bandwidth reference.

Run with OPENBLAS_NUM_THREADS=1 /usr/bin/python3 bench/numpy_data.py
"""
import math
import os
import statistics
import sys
import tempfile
import time

import numpy as np

TEXT_VALUES = 1_000_000
INT2_VALUES = 10_000_000


def text_data():
    parts = []
    for i in range(TEXT_VALUES):
        parts.append("%.6g" % (math.sin(i) * 1000))
        parts.append("\n" if i % 10 == 9 else " ")
    return "".join(parts)


def timed(fn, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times), min(times)


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    with tempfile.TemporaryDirectory(prefix="orvanel-numpy-") as folder:
        text_path = os.path.join(folder, "values.txt")
        with open(text_path, "w") as f:
            f.write(text_data())
        int2_path = os.path.join(folder, "values.int2")
        (np.arange(INT2_VALUES, dtype=np.int64) * 7).astype(">u2").tofile(int2_path)

        values = np.loadtxt(text_path, dtype=np.float32)
        assert values.size == TEXT_VALUES, values.shape
        median, best = timed(lambda: np.loadtxt(text_path, dtype=np.float32), repeats)
        print("numpy.loadtxt float32   %8.1f ms  %6.1f ns/number (best %.1f)"
              % (median * 1e3, median * 1e9 / TEXT_VALUES, best * 1e9 / TEXT_VALUES))
        median, best = timed(lambda: np.loadtxt(text_path), repeats)
        print("numpy.loadtxt float64   %8.1f ms  %6.1f ns/number (best %.1f)"
              % (median * 1e3, median * 1e9 / TEXT_VALUES, best * 1e9 / TEXT_VALUES))

        def int2():
            return np.fromfile(int2_path, dtype=">i2").astype(np.float32)

        median, best = timed(int2, repeats)
        print("numpy.fromfile >i2 -> f4 %7.1f ms  %6.2f ns/value  (best %.2f)"
              % (median * 1e3, median * 1e9 / INT2_VALUES, best * 1e9 / INT2_VALUES))


if __name__ == "__main__":
    main()
