#!/usr/bin/env bash
# Cross-builds the game for 64-bit Windows with mingw-w64 and packs it: build-windows/dist/ gets
# noughts.exe, SDL.dll, the pictures and both licences, and build-windows/noughts-VERSION-win64.zip
# holds that folder. SDL 1.2 for Windows is built from Debian's own source package (fetched by
# tools/sdl-source.sh) and kept in build-windows/sdl, or in NOUGHTS_WINDOWS_SDL when set (so
# another tree's build can be reused): it is built again when the recipe below or the cross
# compiler changes, or the folder is deleted.
# Both binaries and the zip come out byte-identical on every rebuild (tools/release/release.sh).
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
out=$root/build-windows
sdl=$(realpath -m -- "${NOUGHTS_WINDOWS_SDL:-$out/sdl}")
host=x86_64-w64-mingw32
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$root/tools/setup.sh" windows

if [[ ! -f $root/LICENSE ]]; then
    echo "tools/windows/build.sh: $root/LICENSE is missing;" \
        "the zip must carry the game's licence" >&2
    exit 1
fi

# Builds SDL.dll, SDLmain and the headers into $sdl; its licence, written last, marks it complete.
build_sdl() {
    local fetched source dsc
    # Built in a copy: the fetched tree is kept as fetched for the other builds.
    fetched=$(bash "$root/tools/sdl-source.sh")
    cp -R "$fetched" "$work/"
    source=$work/$(basename "$fetched")
    dsc=$(basename "$(find "$(dirname "$fetched")" -maxdepth 1 -name 'libsdl1.2_*.dsc')" .dsc)
    # Debian drops -lmingw32 -lSDLmain -mwindows from SDL's link flags for Linux's sake; Windows
    # programs need them for SDL's WinMain.
    patch -R -p1 -s -d "$source" <"$source/debian/patches/dont_propagate_lpthread.diff"
    # No build path and no link time in the DLL, so every rebuild gives the same bytes. It is
    # stripped by the linker: strip would write the current time into it. Autotools cannot take
    # every folder name, so it installs into the work folder and the result is copied.
    if ! (cd "$source" && ./configure --host=$host --prefix="$work/sdl-prefix" --disable-static \
        CFLAGS="-O2 -ffile-prefix-map=$source=." \
        LDFLAGS="-Wl,--no-insert-timestamp -Wl,--strip-all" &&
        make -j"$(nproc)" && make install) >"$work/sdl-build.log" 2>&1; then
        tail -n 40 "$work/sdl-build.log" >&2
        echo "tools/windows/build.sh: building SDL for Windows failed" >&2
        return 1
    fi
    mkdir -p "$sdl"
    cp -R "$work/sdl-prefix/bin" "$work/sdl-prefix/include" "$work/sdl-prefix/lib" "$sdl/"
    {
        echo "SDL.dll is SDL 1.2, built from Debian's source package ${dsc/_/ version } with"
        echo "Debian's patches applied (apt-get source libsdl1.2 on Debian). It is distributed"
        echo "under the GNU Lesser General Public License, version 2.1:"
        echo
        cat "$source/COPYING"
    } >"$sdl/SDL-LICENSE.txt.partial"
    mv "$sdl/SDL-LICENSE.txt.partial" "$sdl/SDL-LICENSE.txt"
}

# The kept SDL is valid for this recipe and this compiler only.
sdl_key=$({
    cat "$root/tools/sdl-source.sh"
    declare -f build_sdl
    $host-gcc --version
    $host-ld --version
} | sha256sum | cut -d ' ' -f 1)
if [[ ! -f $sdl/SDL-LICENSE.txt || $(cat "$sdl/key" 2>/dev/null) != "$sdl_key" ]]; then
    rm -rf "$sdl"
    echo "Building SDL 1.2 for Windows into $sdl"
    build_sdl
    echo "$sdl_key" >"$sdl/key"
fi

# ld orders the exe's import tables by the paths of the import libraries, so SDL's is named by
# a link in the build folder (where the linker runs), the same wherever the trees lie and
# whatever their names hold: a -L flag reaches the linker unquoted.
mkdir -p "$out/game"
ln -sfn "$sdl/lib" "$out/game/sdl-lib"
LDFLAGS=-Wl,--strip-all bash "$root/tools/build.sh" "$out/game" \
    -DCMAKE_TOOLCHAIN_FILE="$root/tools/windows/mingw-w64.cmake" -DCMAKE_FIND_ROOT_PATH="$sdl" \
    -DSDL_LIBRARY="mingw32;-mwindows;-Lsdl-lib;-lSDLmain;-lSDL;-lpthread" \
    -DNOUGHTS_MAP_PATHS=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release

version=$(bash "$root/tools/release/version.sh" "$root")
dist=$out/dist
rm -rf "$dist"
mkdir -p "$dist"
cp "$out/game/noughts.exe" "$sdl/bin/SDL.dll" "$sdl/SDL-LICENSE.txt" "$dist/"
cp "$root"/assets/*.bmp "$dist/"
cp "$root/LICENSE" "$dist/LICENSE.txt"
# The zip holds one folder named like itself, so unpacking it anywhere leaves nothing loose.
name=noughts-$version-win64
cp -R "$dist" "$work/$name"
SOURCE_DATE_EPOCH=$(bash "$root/tools/release/source-date-epoch.sh" "$root") \
    bash "$root/tools/release/reproducible-zip.sh" "$out/$name.zip" "$work/$name"
echo "Windows build: $dist and $out/$name.zip"
