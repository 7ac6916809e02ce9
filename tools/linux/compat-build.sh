#!/usr/bin/env bash
# Configures and builds one variant of the project against sdl12-compat (SDL 1.2 on SDL2), on a
# machine whose SDL 1.2 development files may be classic's. The two development packages
# conflict, so the compat headers are unpacked from their package into build-compat/ (once per
# version) rather than installed. The compat runtime (libsdl1.2-compat) lives in a folder of its
# own, which CMake writes into the binaries' run path.
# Usage: tools/linux/compat-build.sh DIR [cmake options...]; set TARGET to build a single target.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
dir=$1
shift

runtime=$(dpkg-query -L libsdl1.2-compat | grep -m1 '/libSDL-1\.2\.so\.0$')
version=$(dpkg-query -W -f='${Version}' libsdl1.2-compat)
headers=$root/build-compat/sdl12-compat-dev-$version

if [ ! -e "$headers/usr/include/SDL/SDL.h" ]; then
    mkdir -p "$root/build-compat"
    download=$(mktemp -d "$root/build-compat/download.XXXXXX")
    # The headers must match the runtime, so ask for the installed runtime's version.
    if ! (cd "$download" && apt-get download -qq "libsdl1.2-compat-dev=$version" 2>/dev/null); then
        apt-get update -qq
        (cd "$download" && apt-get download -qq "libsdl1.2-compat-dev=$version")
    fi
    dpkg-deb -x "$download"/libsdl1.2-compat-dev_*.deb "$headers.partial"
    mv "$headers.partial" "$headers"
    rm -rf "$download"
fi

bash "$root/tools/build.sh" "$dir" -DSDL_INCLUDE_DIR="$headers/usr/include/SDL" \
    -DSDL_LIBRARY="$runtime" "$@"
