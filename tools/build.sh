#!/usr/bin/env bash
# Configures and builds one variant of the project.
# Usage: tools/build.sh DIR [cmake options...]; set TARGET to build a single target.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
dir=$1
shift
# A new tree uses Ninja when there is one (the user's CMAKE_GENERATOR wins): a build with nothing
# to do then takes a few milliseconds, which keeps tools/play.sh quick.
generator=()
if [ ! -f "$dir/CMakeCache.txt" ] && [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
cmake -S "$root" -B "$dir" "${generator[@]}" -DNOUGHTS_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" ${TARGET:+--target "$TARGET"}
