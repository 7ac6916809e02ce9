#!/usr/bin/env bash
# Builds the game against sdl12-compat beside the classic SDL 1.2 (tools/linux/compat-build.sh) and
# runs the unit, component and end-to-end tests on that build; among them, tests that the
# compat library is the one the test binary and the game really load.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
bash "$root/tools/linux/compat-build.sh" "$root/build-compat" -DNOUGHTS_BENCH=OFF
ctest --test-dir "$root/build-compat" --output-on-failure -j"$(nproc)"
