#!/usr/bin/env bash
# Prints the game's processor time on each screen left alone for 20 s, and the time from a key to
# the changed picture, for the builds given (tools/linux/measure-idle.py). Not a test.
# Usage: tools/linux/measure-idle.sh [--seconds N] LABEL=BINARY...
#   for example: classic=build/noughts compat=build-compat/noughts windows=build-windows/dist/noughts.exe
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
exec "$(bash "$root/tools/e2e-python.sh")" "$root/tools/linux/measure-idle.py" "$@" "$root/assets"
