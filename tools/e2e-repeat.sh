#!/usr/bin/env bash
# Runs the end-to-end tests of every backend N times in a row and stops at the first failure,
# to find waits that fail by chance. With --busy, a loop of from-scratch builds of the project
# runs beside them at normal priority, as a developer's machine often is.
# Usage: tools/e2e-repeat.sh [--busy] N [BACKEND...]
#        (BACKEND: linux, windows, chromium, firefox, qemu; all by default. Each tests what
#        tools/test.sh built last: build/, build-windows/, build-web/site/, build-arch/.)
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
busy=
if [[ ${1:-} == --busy ]]; then
    busy=1
    shift
fi
runs=${1:?usage: tools/e2e-repeat.sh [--busy] N [BACKEND...]}
shift
backends=("$@")
[[ ${#backends[@]} -gt 0 ]] || backends=(linux windows chromium firefox qemu)
python=$(bash "$root/tools/e2e-python.sh")
source "$root/tools/arch/arch.sh"

# CTest's limit of 600 s per end-to-end file ends a linux or qemu run that hangs outside the
# harness's bounded waits, tools/windows/test.sh's the windows run's. The page's file of 23
# tests took about 110 s in chromium beside a loop of builds: its limit, two of CTest's, is ten
# times that.
run_backend() {
    case $1 in
    linux) ctest --test-dir "$root/build" --output-on-failure -L e2e ;;
    windows) bash "$root/tools/windows/test.sh" --built ;;
    chromium | firefox)
        NOUGHTS_BROWSER=$1 timeout --kill-after=10 1200 "$python" "$root/tests/e2e/web_test.py" \
            "$root/build-web/site/index.html" "$root/assets" ;;
    qemu)
        local arch
        for arch in "${e2e_arches[@]}"; do
            ctest --test-dir "$root/build-arch/$arch" --output-on-failure -L e2e || return 1
        done ;;
    *) echo "tools/e2e-repeat.sh: no backend $1" >&2; return 2 ;;
    esac
}

builder=
scratch=$(mktemp -d)
trap '[[ -z $builder ]] || kill -- -"$builder" 2>/dev/null || true; rm -rf "$scratch"' EXIT
if [[ -n $busy ]]; then
    setsid bash -c 'while :; do rm -rf "$2/build"
        cmake -S "$1" -B "$2/build" -G Ninja -DBUILD_TESTING=ON >/dev/null &&
        cmake --build "$2/build" >/dev/null || exit 1; done' _ "$root" "$scratch" &
    builder=$!
fi

log=$(mktemp)
for backend in "${backends[@]}"; do
    for ((run = 1; run <= runs; run++)); do
        start=$SECONDS
        if ! run_backend "$backend" >"$log" 2>&1; then
            cat "$log"
            echo "tools/e2e-repeat.sh: $backend failed in run $run of $runs" >&2
            rm -f "$log"
            exit 1
        fi
        echo "$backend: run $run of $runs passed in $((SECONDS - start)) s"
    done
done
rm -f "$log"
