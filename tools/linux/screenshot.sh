#!/usr/bin/env bash
# Captures a game in progress from the real window into docs/screenshot.png, for the README.
# Builds nothing: give the game binary (default build/noughts) and optionally the output file.
# Needs Xvfb, xdotool, python3-xlib and python3-numpy (tools/setup.sh installs them).
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
binary=${1:-$root/build/noughts}
output=${2:-$root/docs/screenshot.png}
if [[ ! -x $binary ]]; then
    echo "tools/linux/screenshot.sh: no game binary at $binary:" \
        "build first (bash tools/build.sh)" >&2
    exit 1
fi
mkdir -p -- "$(dirname -- "$output")"
python=$(bash "$root/tools/e2e-python.sh")
exec "$python" "$root/tools/linux/screenshot.py" "$binary" "$root/assets" "$output"
