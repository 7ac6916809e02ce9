#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmarks against each SDL 1.2: the one the
# normal build finds, then sdl12-compat (tools/linux/compat-build.sh). Arguments go to Google
# Benchmark (for example --benchmark_filter=Pass). Then the game's cost while nobody plays
# (tools/linux/measure-idle.sh). Then the web build's benchmark mode in
# Chromium and Firefox ESR (tools/web/bench.py), and Lighthouse's performance score
# (tools/web/lighthouse.py --performance).
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh" test
TARGET=noughts_bench bash "$root/tools/build.sh" "$root/build"
"$root/build/bench/noughts_bench" "$@"
echo
TARGET=noughts_bench bash "$root/tools/linux/compat-build.sh" "$root/build-compat-bench"
"$root/build-compat-bench/bench/noughts_bench" "$@"
echo
# The game itself left alone on each screen, on each SDL 1.2, and under Wine when the Windows
# build is there (tools/windows/build.sh).
TARGET=noughts bash "$root/tools/build.sh" "$root/build"
TARGET=noughts bash "$root/tools/linux/compat-build.sh" "$root/build-compat-bench"
idle=(classic="$root/build/noughts" compat="$root/build-compat-bench/noughts")
if [[ -f $root/build-windows/dist/noughts.exe ]]; then
    idle+=(windows="$root/build-windows/dist/noughts.exe")
fi
bash "$root/tools/linux/measure-idle.sh" "${idle[@]}"
echo
bash "$root/tools/web/test-setup.sh"
bash "$root/tools/web/build.sh" >/dev/null
python=$(bash "$root/tools/e2e-python.sh")
timeout --kill-after=10 300 "$python" "$root/tools/web/bench.py" "$root/build-web/site/index.html"
timeout --kill-after=10 900 "$python" "$root/tools/web/lighthouse.py" --performance \
    "$root/build-web/site/index.html"
