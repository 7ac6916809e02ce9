#!/usr/bin/env bash
# Builds the web game (tools/build-web.sh) and runs its benchmark mode in Chromium and Firefox ESR:
# the intro and play passes against one full-canvas putImageData, and how many frames queued
# input takes to drain. Usage: bench-web.sh [--built]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [[ ${1:-} != --built ]]; then
    bash "$root/tools/web-test-setup.sh"
    bash "$root/tools/build-web.sh"
fi
python=$(bash "$root/tools/e2e-python.sh")
exec timeout --kill-after=10 300 "$python" "$root/tools/bench-web.py" "$root/build-web/site/index.html"
