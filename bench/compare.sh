#!/usr/bin/env bash
# Runs the evaluation benchmarks and, in the same run, the same loops in Lua
# 5.4 and CPython, so the figures can be compared on this machine.
#   bench/compare.sh [BUILD_DIR]        (default build/, a Release build)
# Needs lua5.4 and bc (apt-get install lua5.4 bc), which the build does not.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

"$build/bench/evaluation_bench" --benchmark_min_time=1

seconds() {  # best of three wall-clock times of a command, in seconds
  local best=
  for _ in 1 2 3; do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    best=$(echo "$t1 - $t0" | bc -l | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
  done
  printf '%.3f' "$best"
}

sum_py='s = 0.0
for i in range(1, 10000001):
    s += i ** 2.0
print(s)'
fib_py='def fib(n):
    return n if n < 2 else fib(n - 1) + fib(n - 2)
print(fib(25))'
sum_lua='local s = 0.0 for i = 1, 10000000 do s = s + i ^ 2 end print(s)'
fib_lua='local function fib(n) if n < 2 then return n end return fib(n-1) + fib(n-2) end print(fib(25))'

echo
echo "same loops elsewhere (best of 3, whole process, seconds):"
printf '  %-28s python3 %s   lua5.4 %s\n' "sum of i^2 for i to 1e7" \
  "$(seconds python3 -c "$sum_py")" "$(seconds lua5.4 -e "$sum_lua")"
printf '  %-28s python3 %s   lua5.4 %s\n' "fib(25)" \
  "$(seconds python3 -c "$fib_py")" "$(seconds lua5.4 -e "$fib_lua")"
printf '  %-28s python3 %s   lua5.4 %s\n' "start-up alone" \
  "$(seconds python3 -c 'pass')" "$(seconds lua5.4 -e '')"
