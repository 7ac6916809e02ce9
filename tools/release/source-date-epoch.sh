#!/usr/bin/env bash
# Prints the time every packed file is dated with, in seconds since 1970, never the clock's:
# SOURCE_DATE_EPOCH when the caller sets it, else the commit time that `git archive` writes into
# dist/source-date-epoch, else the time of the checkout's last commit (as dist/CMakeLists.txt).
# Usage: tools/release/source-date-epoch.sh [SOURCE_ROOT] (default: the tree this script is in).
set -euo pipefail

root=${1:-$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)}
epoch=${SOURCE_DATE_EPOCH:-}
[[ $epoch =~ ^[0-9]+$ ]] || epoch=$(head -n 1 "$root/dist/source-date-epoch" 2>/dev/null || true)
[[ $epoch =~ ^[0-9]+$ ]] || epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)
if [[ ! $epoch =~ ^[0-9]+$ ]]; then
    echo "tools/release/source-date-epoch.sh:" \
        "no SOURCE_DATE_EPOCH, export stamp or git history in $root" >&2
    exit 1
fi
echo "$epoch"
