#!/usr/bin/env bash
# Builds the Debian package with CPack: a build for /usr with all of Debian's hardening flags,
# for this machine's architecture or, given ARCH (tools/arch/arches.txt), with Debian's cross
# compiler against the sysroot of tools/arch/sysroot.sh.
# Usage: tools/linux/build-deb.sh [BUILD_DIR [OUTPUT_DIR [ARCH]]] (defaults: build-deb, and the
# build folder). Prints the path of the .deb on its last line.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
dir=${1:-$root/build-deb}
out=${2:-$dir}
arch=${3:-}
cross=()
options=()
pack=(env)
if [[ -n $arch ]]; then
    source "$root/tools/arch/arch.sh"
    arch_names "$arch"
    bash "$root/tools/setup.sh" arch
    sysroot=$(bash "$root/tools/arch/sysroot.sh" "$arch")
    forget_other_sysroot "$dir" "$sysroot"
    export CC=$triplet-gcc
    # Debian's flags and dpkg-shlibdeps' names for ARCH (DEB_HOST_ARCH); dpkg-shlibdeps finds the
    # libraries through LD_LIBRARY_PATH and their packages in the sysroot's own dpkg lists, which
    # name /usr's paths where /lib is a link to /usr/lib (Debian 13): /usr/lib comes first.
    cross=(dpkg-architecture -a "$arch" -c)
    options=(-DCMAKE_TOOLCHAIN_FILE="$root/tools/arch/debian-cross.cmake" -DNOUGHTS_ARCH="$arch"
        -DNOUGHTS_SYSROOT="$sysroot")
    pack=(env DPKG_ADMINDIR="$sysroot/var/lib/dpkg"
        LD_LIBRARY_PATH="$sysroot/usr/lib/$multiarch:$sysroot/lib/$multiarch" "${cross[@]}")
fi
# CMake reads CXXFLAGS and LDFLAGS but not CPPFLAGS, so the preprocessor's flags join CXXFLAGS.
# Debian's flags map the folder they are read in to "." (no build path in the binary), but only
# when its path holds none but plain characters: NOUGHTS_MAP_PATHS maps it whatever it holds.
eval "$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all "${cross[@]}" dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
# CPack dates the package's members from SOURCE_DATE_EPOCH: the commit's time, when known.
if epoch=$(bash "$root/tools/release/source-date-epoch.sh" "$root" 2>/dev/null); then
    export SOURCE_DATE_EPOCH=$epoch
fi
TARGET=noughts bash "$root/tools/build.sh" "$dir" "${options[@]}" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF -DNOUGHTS_MAP_PATHS=ON >/dev/null
mkdir -p "$out"
# CPack finds the package's files with a glob in its staging folder, where a [ in a folder's name
# would make a pattern that matches nothing and an empty package: it stages in a folder of its own.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# CPack gives the package's own members the builder's umask: pin it, so the bytes do not vary.
(umask 022 && cd "$dir" && "${pack[@]}" cpack -G DEB -B "$stage" \
    ${arch:+-D CPACK_DEBIAN_PACKAGE_ARCHITECTURE="$arch"} >/dev/null)
deb=$(ls "$stage"/noughts_*.deb)
if ! grep -q ' \./usr/libexec/noughts/noughts$' <<<"$(dpkg-deb -c "$deb")"; then
    echo "tools/linux/build-deb.sh: CPack made $deb without the game in it" >&2
    exit 1
fi
mv "$deb" "$out/"
echo "$out/${deb##*/}"
