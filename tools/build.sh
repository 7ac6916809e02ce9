#!/usr/bin/env bash
# Configures and builds one variant of the project.
# Usage: build.sh DIR [cmake options...]; set TARGET to build a single target.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=$1
shift
cmake -S "$root" -B "$dir" -DNOUGHTS_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" ${TARGET:+--target "$TARGET"}
