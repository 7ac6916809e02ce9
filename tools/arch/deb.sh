#!/usr/bin/env bash
# Builds the Debian package for another architecture, as tools/linux/build-deb.sh does for this one:
# Debian's build flags for ARCH, Debian's cross compiler and the sysroot of tools/arch/sysroot.sh,
# CPack; Depends comes from dpkg-shlibdeps, which reads the sysroot's own dpkg lists.
# Usage: deb.sh ARCH [BUILD_DIR [OUTPUT_DIR]] (defaults: build-arch/deb-ARCH, and the build
# folder). Prints the path of the .deb on its last line.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd -P)
source "$here/arch.sh"
arch=${1:?usage: deb.sh ARCH [BUILD_DIR [OUTPUT_DIR]]}
arch_names "$arch"
dir=${2:-$root/build-arch/deb-$arch}
out=${3:-$dir}
bash "$root/tools/setup.sh" arch
sysroot=$(bash "$here/sysroot.sh" "$arch")
forget_other_sysroot "$dir" "$sysroot"
# Debian's flags for ARCH map the folder they are read in to "." (no build path in the binary).
export CC=$triplet-gcc
eval "$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all \
    dpkg-architecture -a "$arch" -c dpkg-buildflags --export=sh)"
# Their map is unquoted, which a folder with spaces in its name breaks: it is given again, quoted.
CXXFLAGS="$CPPFLAGS $CXXFLAGS"
export CXXFLAGS="${CXXFLAGS//"-ffile-prefix-map=$root=."/} \"-ffile-prefix-map=$root=.\""
if epoch=$(bash "$root/tools/release/source-date-epoch.sh" "$root" 2>/dev/null); then
    export SOURCE_DATE_EPOCH=$epoch
fi
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$here/debian-cross.cmake" \
    -DNOUGHTS_ARCH="$arch" -DNOUGHTS_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF -DNOUGHTS_WERROR=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target noughts >/dev/null
mkdir -p "$out"
# dpkg-shlibdeps finds the libraries through LD_LIBRARY_PATH and their packages, shlibs and
# symbols in the sysroot's dpkg lists, for ARCH's names (DEB_HOST_ARCH).
libraries=$sysroot/lib/$multiarch:$sysroot/usr/lib/$multiarch
(umask 022 && cd "$dir" && DPKG_ADMINDIR=$sysroot/var/lib/dpkg LD_LIBRARY_PATH=$libraries \
    dpkg-architecture -a "$arch" -c \
    cpack -G DEB -B "$out" -D CPACK_DEBIAN_PACKAGE_ARCHITECTURE="$arch" >/dev/null)
ls "$out"/noughts_*_"$arch".deb
