#!/usr/bin/env bash
# Cross-builds the game for another Debian architecture (tools/arch/arches.txt)
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
mkdir -p "$dir"
# The test program is compiled at -O1, which halves most of the build's compile time; the game
# it tests keeps the release build's optimisation.
# A sysroot of a newer Debian than this machine's holds a GoogleTest its linker cannot take: the
# tests are linked with one built from this machine's googletest sources.
gtest=()
if [[ $release != "$(. /etc/os-release && echo "${VERSION_CODENAME-}")" ]]; then
    gtest=(-DNOUGHTS_GTEST_SOURCE=/usr/src/googletest)
fi
# Ninja prints the compiler's and linker's messages among its progress lines: all of it goes to
# a log, whose end is shown when the build fails.
if ! bash "$root/tools/build.sh" "$dir" -DCMAKE_TOOLCHAIN_FILE="$here/debian-cross.cmake" \
    -DNOUGHTS_ARCH="$arch" -DNOUGHTS_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=Release \
    -DNOUGHTS_BENCH=OFF -DNOUGHTS_MAP_PATHS=ON -DNOUGHTS_TEST_COMPILE_OPTIONS=-O1 "${gtest[@]}" "$@" \
    >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log" >&2
    echo "build.sh: the $arch build failed (its whole output: $dir/build.log)" >&2
    exit 1
fi
echo "$dir"
