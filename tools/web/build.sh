#!/usr/bin/env bash
# Builds the game for the browser with Debian's Emscripten and SDL 1.2 built from Debian's source with
# the page's drivers (web/sdl/): OUT/site/ is the whole site (any static file server serves it) and
# OUT/noughts-VERSION-web.zip holds it as the folder noughts-VERSION-web. Works from a source tree
# without git; the zip is the same for the same source (tools/release/reproducible-zip.sh, dated by
# tools/release/source-date-epoch.sh).
# Usage: tools/web/build.sh [OUT]   (OUT: build-web/ beside the source by default)
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
out=$(mkdir -p -- "${1:-$root/build-web}" && cd -- "${1:-$root/build-web}" && pwd)
bash "$root/tools/setup.sh" web

version=$(bash "$root/tools/release/version.sh" "$root")
# SDL 1.2 for the page (web/sdl/), from Debian's source with the page's own drivers, installed
# into OUT/sdl/prefix, where the game's build finds it as it would any SDL 1.2.
sdl_source=$(bash "$root/tools/sdl-source.sh")

# Debian's Emscripten finds its JavaScript modules (acorn) only through NODE_PATH with a Node.js
# that does not look in /usr/share/nodejs by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
sdl=$out/sdl
emcmake cmake -S "$root/web/sdl" -B "$sdl" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSDL_SOURCE="$sdl_source" -DCMAKE_INSTALL_PREFIX="$sdl/prefix" >"$out/configure-sdl.log"
cmake --build "$sdl" --target install >"$out/build-sdl.log"
build=$out/build
emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
    -DNOUGHTS_WERROR=ON -DSDL_INCLUDE_DIR="$sdl/prefix/include/SDL" \
    -DSDL_LIBRARY="$sdl/prefix/lib/libSDL.a" >"$out/configure.log"
cmake --build "$build"

site=$out/site
rm -rf "$site"
mkdir -p "$site"
cp "$build/noughts.html" "$site/index.html"
# Emscripten names the data package with a random UUID (a key for a cache the page does not
# use); one made from the data itself keeps the build reproducible.
uuid=$(sha256sum "$build/noughts.data" | sed -E 's/^(.{8})(.{4})(.{4})(.{4})(.{12}).*/\1-\2-\3-\4-\5/')
sed -E "s/\"package_uuid\":\"[0-9a-f-]+\"/\"package_uuid\":\"$uuid\"/" "$build/noughts.js" \
    >"$site/noughts.js"
if ! grep -q "\"package_uuid\":\"$uuid\"" "$site/noughts.js"; then
    echo "tools/web/build.sh: no package UUID found in noughts.js to fix" >&2
    exit 1
fi
# The code and the pictures go compressed: page.js unpacks them, so a plain static server sends
# a third of their bytes.
gzip -9 -n -c "$build/noughts.wasm" >"$site/noughts.wasm.gz"
gzip -9 -n -c "$build/noughts.data" >"$site/noughts.data.gz"
cp "$root/web/page.js" "$root/web/bench.js" "$root/web/manifest.webmanifest" "$site/"
sed "s/@VERSION@/$version/" "$root/web/sw.js" >"$site/sw.js"
# The licences of what the site holds: the game's, and SDL 1.2's with where its source is.
{
    echo "Noughts & Crosses $version: its source is noughts-$version.tar.gz, released with this site."
    echo
    cat "$root/LICENSE"
} >"$site/LICENSE.txt"
dsc=$(basename "$(find "$(dirname "$sdl_source")" -maxdepth 1 -name 'libsdl1.2_*.dsc')" .dsc)
{
    echo "noughts.wasm holds SDL 1.2, built from Debian's source package ${dsc/_/ version } with"
    echo "Debian's patches applied (apt-get source libsdl1.2 on Debian), and the page's video,"
    echo "joystick and timer drivers for it, which are in the game's source (noughts-$version.tar.gz,"
    echo "folder web/sdl/). SDL 1.2 is distributed under the GNU Lesser General Public License,"
    echo "version 2.1:"
    echo
    cat "$sdl_source/COPYING"
} >"$site/SDL-LICENSE.txt"
for icon in 48 128 192 256 512 maskable-512; do
    cp "$root/assets/icons/$icon.png" "$site/icon-$icon.png"
done

name=noughts-$version-web
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "$site" "$stage/$name"
SOURCE_DATE_EPOCH=$(bash "$root/tools/release/source-date-epoch.sh" "$root") \
    bash "$root/tools/release/reproducible-zip.sh" "$out/$name.zip" "$stage/$name"
echo "tools/web/build.sh: $(du -sb "$site" | cut -f1) bytes in $site, packed in $out/$name.zip"
