#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the folder holding its pictures,
# wherever it is called from. Arguments are passed on to the game.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh" play
TARGET=noughts bash "$root/tools/build.sh" "$root/build"
cd "$root/assets"
exec "$root/build/noughts" "$@"
