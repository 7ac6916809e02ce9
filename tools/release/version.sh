#!/usr/bin/env bash
# Prints the game's version, kept in project() of CMakeLists.txt alone.
# Usage: tools/release/version.sh [SOURCE_ROOT] (default: the tree this script is in).
set -euo pipefail

root=${1:-$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)}
version=$(sed -n 's/^project(noughts VERSION \([^ )]*\).*/\1/p' "$root/CMakeLists.txt")
if [[ -z $version ]]; then
    echo "tools/release/version.sh: no project(noughts VERSION ...) in $root/CMakeLists.txt" >&2
    exit 1
fi
echo "$version"
