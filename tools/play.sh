#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the folder holding its pictures,
# wherever it is called from. Arguments are passed on to the game.
# Configures only when there is no build yet: the build itself re-runs CMake when a CMakeLists
# changes, so a game that is already built starts at once (tools/linux/measure-play.py measures it).
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
bash "$root/tools/setup.sh" play
if [ -f "$build/CMakeCache.txt" ]; then
    cmake --build "$build" --target noughts -j"$(nproc)" >/dev/null
else
    TARGET=noughts bash "$root/tools/build.sh" "$build"
fi
cd "$root/assets"
exec "$build/noughts" "$@"
