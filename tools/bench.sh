#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks against each SDL 1.2: the one the
# normal build finds, then sdl12-compat (tools/compat-build.sh). Arguments go to Google
# Benchmark (for example --benchmark_filter=Pass).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh" test
TARGET=noughts_bench bash "$root/tools/build.sh" "$root/build"
"$root/build/bench/noughts_bench" "$@"
echo
TARGET=noughts_bench bash "$root/tools/compat-build.sh" "$root/build-compat-bench"
"$root/build-compat-bench/bench/noughts_bench" "$@"
