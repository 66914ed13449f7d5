#!/usr/bin/env bash
# The evaluator's rows of the speed table: a long sum, a recursive function and
# a stored matrix, each a whole `orvanel run` beside the same work in Lua 5.4,
# CPython and NumPy (with its import), as CPU-time medians of interleaved runs.
#   bench/compare_eval.sh [BUILD_DIR] [ROUNDS]     (default build/, 11)
# Needs lua5.4 and python3-numpy (apt-get install lua5.4 python3-numpy), which
# the build does not.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-11}
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'sum(i^2, i, 1, 1e7)=\n' >"$work/sum.ov"
printf 'fib(n) = n when n < 2, fib(n-1) + fib(n-2)\nfib(27)=\n' >"$work/fib.ov"
printf 'a[i, j] = sin(i)*cos(j) dim[1000, 1000]\nm := a\nsum(sum(m[i, j], j, 1, 1000), i, 1, 1000)=\n' >"$work/matrix.ov"
printf 'import numpy as np\ni = np.arange(1, 1001)\nm = np.sin(i)[:, None] * np.cos(i)[None, :]\nprint(m.sum())\n' >"$work/matrix.py"
printf 'def fib(n):\n    return n if n < 2 else fib(n - 1) + fib(n - 2)\nprint(fib(27))\n' >"$work/fib.py"
orv="$build/src/cli/orvanel"
./cpu_median.py "$rounds" \
  "orvanel sum" -- "$orv" run "$work/sum.ov" \
  "lua sum" -- lua5.4 -e 'local s = 0.0 for i = 1, 10000000 do s = s + i ^ 2 end print(s)' \
  "orvanel fib(27)" -- "$orv" run "$work/fib.ov" \
  "python fib(27)" -- /usr/bin/python3 "$work/fib.py" \
  "lua fib(27)" -- lua5.4 -e 'local function fib(n) if n < 2 then return n end return fib(n-1) + fib(n-2) end print(fib(27))' \
  "orvanel matrix" -- "$orv" run "$work/matrix.ov" \
  "numpy matrix" -- /usr/bin/python3 "$work/matrix.py"
