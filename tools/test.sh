#!/usr/bin/env bash
# Installs what is missing, checks formatting and runs cppcheck, builds, and runs every test: all
# tests on the normal build, then the unit and component tests again on a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets (tools/fuzz.sh).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
bash "$root/tools/setup.sh" test
bash "$root/tools/lint.sh"

bash "$root/tools/build.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

bash "$root/tools/build.sh" "$root/build-sanitize" -DNOUGHTS_SANITIZE=ON -DNOUGHTS_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$jobs" -L unit

# The unit, component and end-to-end tests again, built against sdl12-compat.
bash "$root/tools/test-compat.sh"

# The Windows build, cross-compiled, and the end-to-end tests again on it under Wine.
bash "$root/tools/test-windows.sh"

# The installed game and the Debian package (tools/test-install.sh).
bash "$root/tools/test-install.sh" "$root/build"

# Replays every fuzz seed and past crash, then fuzzes pictures and input for 30 s each.
bash "$root/tools/fuzz.sh" 30
