#!/usr/bin/env bash
# Prints the Python 3 to run the end-to-end harness with: the first of the given candidates, the
# python3 on PATH and Debian's /usr/bin/python3 that has python3-xlib and python3-numpy (a Python
# of one's own may come first on PATH and lack Debian's modules).
# Usage: tools/e2e-python.sh [CANDIDATE...]
for python in "$@" "$(command -v python3 || true)" /usr/bin/python3; do
    if [[ -n $python ]] && "$python" -c 'import Xlib, numpy' 2>/dev/null; then
        echo "$python"
        exit 0
    fi
done
echo "tools/e2e-python.sh: no python3 has python3-xlib and python3-numpy" \
    "(bash tools/setup.sh test installs them)" >&2
exit 1
