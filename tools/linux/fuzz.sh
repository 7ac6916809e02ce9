#!/usr/bin/env bash
# Builds the sanitizer build, build-sanitize/ (clang, AddressSanitizer + UndefinedBehaviorSanitizer,
# the unit tests and the libFuzzer targets, as tools/test.sh uses it), replays
# every seed and every input that ever crashed (on classic SDL 1.2 and, when installed, on
# sdl12-compat), then fuzzes each target for the given number of seconds, the picture target on
# each of the two.
# Usage: tools/linux/fuzz.sh [SECONDS_PER_TARGET [TARGET...]]
#        targets: picture events (default: both)
# A crash stops the run and leaves its input in build-sanitize/crashes/: once fixed, keep the file
# in tests/fuzz/regressions/TARGET/ so every test run replays it.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[[ $# -gt 0 ]] || targets=(picture events)
build="$root/build-sanitize"
compat=/usr/lib/x86_64-linux-gnu/sdl12-compat

bash "$root/tools/build.sh" "$build" -DCMAKE_CXX_COMPILER=clang++ -DNOUGHTS_SANITIZE=ON \
    -DNOUGHTS_FUZZ=ON -DNOUGHTS_BENCH=OFF >/dev/null
source "$root/tools/linux/sanitizer-options.sh"
ctest --test-dir "$build" --output-on-failure -L fuzz
if [[ -e $compat/libSDL-1.2.so.0 ]]; then
    LD_LIBRARY_PATH=$compat ctest --test-dir "$build" --output-on-failure -L fuzz
fi

# Events make whole screens redraw on every pass: shorter inputs give more of them per second.
declare -A max_len=([picture]=8192 [events]=600)
# libFuzzer's hang detector counts wall-clock seconds, which a busy machine stretches: the
# slowest input known (nine loads of a 4096 x 4096 picture from a few bytes of runs, on
# sdl12-compat) takes 0.6 s of processor time, 3.3 s at a load of 17 on two cores. It waits
# 120 s, which only a hang reaches.
hang_seconds=120
# fuzz TARGET SDL [LD_LIBRARY_PATH]: fuzzes one target on one SDL 1.2 for the given seconds.
fuzz() {
    local target=$1 sdl=$2 corpus="$build/corpus/$1"
    mkdir -p "$corpus" "$build/crashes"
    echo "tools/linux/fuzz.sh: $target on $sdl for ${seconds}s"
    # grep hides libFuzzer's progress lines; libFuzzer's own status decides (pipefail).
    if ! LD_LIBRARY_PATH=${3:-${LD_LIBRARY_PATH:-}} "$build/tests/fuzz/${target}_fuzz" \
        -max_total_time="$seconds" -timeout="$hang_seconds" -max_len="${max_len[$target]}" \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$target-$sdl-" \
        "$corpus" "$root/tests/fuzz/seeds/$target" 2>&1 |
        { grep -E '^(stat::|==[0-9]+==|SUMMARY|INFO: Seed|.*Test unit written)|ERROR|fuzz:' || true; }; then
        echo "tools/linux/fuzz.sh: $target failed, see $build/crashes/" >&2
        exit 1
    fi
}
for target in "${targets[@]}"; do
    fuzz "$target" classic
    # The pictures go through each SDL's own loader.
    if [[ $target == picture && -e $compat/libSDL-1.2.so.0 ]]; then
        fuzz "$target" compat "$compat"
    fi
done
