#!/usr/bin/env bash
# Builds the game and its tests for other Debian architectures (tools/arch/build.sh) and runs
# them: the unit and component tests under qemu-user, and natively (through the sysroot's own
# loader) on i386; on s390x and armhf (tools/arch/arch.sh: e2e_arches) the end-to-end tests too.
# Prints each architecture's time and processor time (user + system).
# Usage: tools/arch/test.sh [ARCH...]        every architecture of tools/arch/arches.txt when
#                                            none is named
#        tools/arch/test.sh --quick [ARCH]   the unit tests and one end-to-end run (the game
#                                            played through; s390x unless named)
#        tools/arch/test.sh --unit [ARCH...] the builds and unit tests only (tools/test.sh runs
#                                            the end-to-end tests itself, last, when the machine
#                                            is quieter)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/arch.sh"
quick=
unit=
if [[ ${1-} == --quick ]]; then
    quick=1
    shift
    set -- "${1:-s390x}"
elif [[ ${1-} == --unit ]]; then
    unit=1
    shift
fi
[[ $# -gt 0 ]] || set -- "${known_arches[@]}"
for arch in "$@"; do
    arch_names "$arch"
done
bash "$root/tools/setup.sh" test
TIMEFORMAT="%R s, processor %U s user + %S s system"

# Every test of a build whose binaries can show the game on this machine's X server; the unit
# tests alone elsewhere (the big-endian one is the architecture whose pixels differ). The
# end-to-end files run one at a time after the unit tests, so the emulated game has the
# processor to itself as far as this script goes.
test_arch() {
    local arch=$1 dir=$root/build-arch/$1 e2e=(-L e2e)
    local log=$dir/arch-test.log
    [[ " ${e2e_arches[*]} " == *" $arch "* && -z $unit ]] || e2e=()
    [[ -z $quick ]] || e2e=(-R "^e2e_play$")
    bash "$here/build.sh" "$arch" "$dir" >/dev/null || return 1
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" -L unit >"$log" 2>&1 ||
        { cat "$log" >&2; return 1; }
    grep -E "tests passed" "$log"
    [[ ${#e2e[@]} -gt 0 ]] || return 0
    ctest --test-dir "$dir" --output-on-failure "${e2e[@]}" >"$log" 2>&1 ||
        { cat "$log" >&2; return 1; }
    grep -E "tests passed" "$log"
}

status=0
for arch in "$@"; do
    echo "tools/arch/test.sh: $arch"
    time test_arch "$arch" || status=1
done
[[ $status -eq 0 ]] || echo "tools/arch/test.sh: failed" >&2
exit $status
