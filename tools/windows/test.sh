#!/usr/bin/env bash
# Builds the Windows game (tools/windows/build.sh) and runs the end-to-end tests against the
# packed noughts.exe under Wine, in a private Xvfb and a temporary Wine prefix.
# Usage: tools/windows/test.sh [--built]
#        (--built: test the build that is there, as tools/test.sh does)
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
if [[ ${1:-} != --built ]]; then
    bash "$root/tools/windows/build.sh"
fi
python=$(bash "$root/tools/e2e-python.sh")
# Every wait in the tests is bounded; this only ends a run that hangs outside them. It runs two
# test files, so it gets the 600 s CTest gives each end-to-end file: about 50 s under a loop of
# builds, the limit is far beyond any slowness.
exec timeout --kill-after=10 1200 "$python" "$root/tests/e2e/windows_test.py" \
    "$root/build-windows/dist/noughts.exe" "$root/assets"
