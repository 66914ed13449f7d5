#!/usr/bin/env bash
# The speed table in one interleaved run: Orvanel beside Lua 5.4, CPython,
# a NumPy script and wc, as CPU-time medians (see bench/compare.py).
#   bench/compare.sh [BUILD_DIR] [compare.py options]   (default build/, a Release build)
# The peers are not build dependencies:
#   apt-get install lua5.4 python3-numpy
set -euo pipefail
build=${1:-build}
shift || true
cd "$(dirname "$0")/.."
exec /usr/bin/python3 bench/compare.py --exe "$build/src/cli/orvanel" "$@"
