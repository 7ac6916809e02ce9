#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks. Arguments go to Google Benchmark
# (for example --benchmark_filter=Clear).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh" test
bash "$root/tools/build.sh" "$root/build"
exec "$root/build/bench/noughts_bench" "$@"
