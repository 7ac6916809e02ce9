#!/usr/bin/env bash
# Measures how much time tools/play.sh adds before the game's first frame once the game is built
# (wall time under Xvfb, and CPU time, which the machine's load does not skew). Not a test: it
# prints the numbers. Usage: tools/linux/measure-play.sh [RUNS]
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
exec "$(bash "$root/tools/e2e-python.sh")" "$root/tools/linux/measure-play.py" "$root/build/noughts" "$root/assets" \
    "$root/tools/play.sh" "$@"
