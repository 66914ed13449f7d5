#!/usr/bin/python3
"""The speed table: Orvanel beside its peers, measured in one interleaved run.

  bench/compare.py [--exe build/src/cli/orvanel] [--rounds 11] [--only NAME,...]

Every command runs once per round, all rounds interleaved, so a noisy spell
of the machine falls on every command alike. A figure is the median of the
CPU time (user + system) the command's process used, in milliseconds, with
the half-width of the middle half of the samples as its noise. Needs lua5.4,
python3-numpy and wc for the peers (none of them a build dependency).
"""
import argparse
import math
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def long_sheet(groups):
    """Four lines a group: a definition, two requests, a comment; one function."""
    lines = []
    for i in range(groups):
        lines.append(f"v{i} = {i} * 1.5 + f({i})")
        lines.append(f"v{i} * 2 + sqrt({i}):12.50 -- note")
        lines.append(f"v{i} - 1 =")
        lines.append(f"-- group {i}")
    lines.append("f(x) = x^2 / 3")
    return "\n".join(lines) + "\n"


def plot_sheet(marker):
    """8 strips of 4 traces of 30,000 points; [marker] None keeps the default markers."""
    lines = ["Ystrips = 8"]
    if marker is not None:
        lines.append(f"Marker = {marker}")
    for strip in range(8):
        if strip:
            lines.append("newaxis")
        for t in range(1, 5):
            name = f"a{strip}{t}"
            lines.append(f"{name}[i] = sin({t + strip}*i/1500) * exp(-i/{6000 * t}) dim[30000]")
            lines.append(f"plot {name}")
    return "\n".join(lines) + "\n"


def text_values():
    parts = []
    for i in range(1_000_000):
        parts.append("%.6g" % (math.sin(i) * 1000))
        parts.append("\n" if i % 10 == 9 else " ")
    return "".join(parts)


def make_files(d):
    write(f"{d}/one.ov", "1+1=\n")
    write(f"{d}/sum.ov", "sum(i^2, i, 1, 1e7)=\n")
    write(f"{d}/fib.ov", "fib(n) = n when n < 2, fib(n-1) + fib(n-2)\nfib(27)=\n")
    write(f"{d}/grid.ov", "a[i, j] = sin(i) * cos(j) dim[1000, 1000]\nm := a\n"
          "sum(sum(m[i, j], j, 1, 1000), i, 1, 1000)=\n")
    write(f"{d}/markers.ov", plot_sheet(None))
    write(f"{d}/lines.ov", plot_sheet(0))
    write(f"{d}/values.txt", text_values())
    write(f"{d}/read.ov", 'read("values.txt", "TEXT")[1]=\n')
    write(f"{d}/long10k.ov", long_sheet(2500))
    write(f"{d}/long100k.ov", long_sheet(25000))
    write(f"{d}/grid.py", "import numpy as np\ni = np.arange(1, 1001)\n"
          "m = np.sin(i)[:, None] * np.cos(i)[None, :]\nprint(m.sum())\n")


# The system's Python, where python3-numpy installs NumPy.
PY = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else "python3"

SUM_LUA = "local s = 0.0 for i = 1, 10000000 do s = s + i ^ 2 end print(s)"
FIB_LUA = ("local function fib(n) if n < 2 then return n end "
           "return fib(n-1) + fib(n-2) end print(fib(27))")
FIB_PY = "def fib(n):\n    return n if n < 2 else fib(n - 1) + fib(n - 2)\nprint(fib(27))\n"


def commands(exe, d):
    run = lambda sheet, *more: [exe, "run", f"{d}/{sheet}", "-o", "/dev/null", *more]
    return {
        "sum": run("sum.ov"),
        "lua sum": ["lua5.4", "-e", SUM_LUA],
        "fib": run("fib.ov"),
        "python fib": [PY, "-c", FIB_PY],
        "lua fib": ["lua5.4", "-e", FIB_LUA],
        "grid": run("grid.ov"),
        "numpy grid": [PY, f"{d}/grid.py"],
        "markers": run("markers.ov", "--plot", f"{d}/markers.png"),
        "lines": run("lines.ov", "--plot", f"{d}/lines.png"),
        "one line": run("one.ov"),
        "lua start": ["lua5.4", "-e", ""],
        "read": run("read.ov"),
        "wc": ["wc", "-l", f"{d}/values.txt"],
        "long 100k": run("long100k.ov"),
        "long 10k": run("long10k.ov"),
    }


def cpu_ms(argv, cwd):
    """CPU time of one run of [argv], in milliseconds; None when it failed."""
    env = dict(os.environ, OPENBLAS_NUM_THREADS="1", OMP_NUM_THREADS="1")
    proc = subprocess.Popen(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        print(f"  failed: {' '.join(argv)}: {err.strip()}", file=sys.stderr)
        return None
    return (usage.ru_utime + usage.ru_stime) * 1e3


def summary(samples):
    s = sorted(samples)
    q = statistics.quantiles(s, n=4) if len(s) >= 4 else [s[0], s[len(s) // 2], s[-1]]
    return statistics.median(s), (q[2] - q[0]) / 2


# work, ours, peers (name, label), goal ratio per peer; "minus" subtracts a
# start-up, "over" divides ours by another of ours.
ROWS = [
    ("sum(i^2, i, 1, 1e7)", "sum", [("lua sum", "Lua 5.4")], [1.5]),
    ("fib(27) (832,039 calls)", "fib", [("python fib", "CPython"), ("lua fib", "Lua 5.4")],
     [1.0, 2.0]),
    ("1000 x 1000 sin(i)*cos(j) with := and summed", "grid",
     [("numpy grid", "NumPy script with its import")], [1.0]),
    ("8 x 4 x 30,000 points, default markers, PNG", "markers",
     [("lines", "same page with Marker = 0 (ours)")], [2.0]),
    ("orvanel run of a one-line worksheet", "one line", [("lua start", "lua5.4 -e ''")], [4.0]),
    ("TEXT read of 10^6 numbers, start-up subtracted", "read", [("wc", "wc -l on the file")],
     [4.0]),
    ("100,000-line worksheet", "long 100k", [("long 10k", "the 10,000-line one (ours)")], [12.0]),
]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--exe", default="build/src/cli/orvanel")
    ap.add_argument("--rounds", type=int, default=11)
    ap.add_argument("--only", default="", help="comma-separated row names (ours) to run")
    args = ap.parse_args()
    exe = os.path.abspath(args.exe)
    d = tempfile.mkdtemp(prefix="orvanel-compare-")
    try:
        make_files(d)
        cmds = commands(exe, d)
        rows = [r for r in ROWS if not args.only or r[1] in args.only.split(",")]
        wanted = set()
        for _, ours, peers, _ in rows:
            wanted.add(ours)
            wanted.update(p for p, _ in peers)
            if ours == "read":
                wanted.add("one line")
        missing = sorted({cmds[w][0] for w in wanted if shutil.which(cmds[w][0]) is None})
        if missing:
            sys.exit("compare: not installed: " + ", ".join(missing) +
                     " (apt-get install lua5.4 python3-numpy)")
        samples = {w: [] for w in wanted}
        for r in range(args.rounds):
            for w in sorted(wanted):
                t = cpu_ms(cmds[w], d)
                if t is not None:
                    samples[w].append(t)
            print(f"round {r + 1}/{args.rounds}", file=sys.stderr)
        stats = {w: summary(s) for w, s in samples.items() if s}
        start = stats.get("one line", (0, 0))
        print(f"CPU-time medians of {args.rounds} interleaved rounds, ms (± half the "
              "interquartile range)\n")
        print("| work | Orvanel | peer | ratio | goal | met |")
        print("|---|---|---|---|---|---|")
        for work, ours, peers, goals in rows:
            if ours not in stats:
                print(f"| {work} | failed | | | | |")
                continue
            m, noise = stats[ours]
            if ours == "read":
                m, noise = m - start[0], math.hypot(noise, start[1])
            for (peer, label), goal in zip(peers, goals):
                if peer not in stats:
                    print(f"| {work} | {m:.1f} ± {noise:.1f} | {label}: failed | | ≤ {goal} | |")
                    continue
                pm, pn = stats[peer]
                ratio = m / pm
                print(f"| {work} | {m:.1f} ± {noise:.1f} | {label}: {pm:.1f} ± {pn:.1f} | "
                      f"{ratio:.2f} | ≤ {goal} | {'yes' if ratio <= goal else 'no'} |")
    finally:
        shutil.rmtree(d, ignore_errors=True)


if __name__ == "__main__":
    main()
