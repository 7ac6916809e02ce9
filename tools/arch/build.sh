#!/usr/bin/env bash
# Cross-builds the game for another Debian architecture (s390x, i386, arm64: tools/arch/arches.txt)
# with Debian's cross compiler against a sysroot of Debian's own packages (tools/arch/sysroot.sh),
# installing the compiler and emulator first when missing. A release build without the
# benchmarks; the binary carries no path of this machine, and no run path.
# Usage: tools/arch/build.sh ARCH [BUILD_DIR [CMAKE_OPTION...]] (default: build-arch/ARCH);
# set TARGET to build one target (noughts_tests, noughts...). Prints the build folder last.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/arch.sh"
arch=${1:?usage: tools/arch/build.sh ARCH [BUILD_DIR [CMAKE_OPTION...]]}
arch_names "$arch"
dir=${2:-$root/build-arch/$arch}
shift $(($# < 2 ? $# : 2))
bash "$root/tools/setup.sh" arch
sysroot=$(bash "$here/sysroot.sh" "$arch")
forget_other_sysroot "$dir" "$sysroot"
bash "$root/tools/build.sh" "$dir" -DCMAKE_TOOLCHAIN_FILE="$here/debian-cross.cmake" \
    -DNOUGHTS_ARCH="$arch" -DNOUGHTS_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=Release \
    -DNOUGHTS_BENCH=OFF -DNOUGHTS_MAP_PATHS=ON "$@" >/dev/null
echo "$dir"
