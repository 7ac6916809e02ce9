#!/usr/bin/env bash
# Checks the game as users get it: the build installed into a temporary DESTDIR and the .deb
# unpacked into a temporary root, each tree complete and passing the desktop, AppStream and
# manual-page validators, the package passing lintian, and each installed game started through
# its launcher from an unrelated folder under Xvfb.
# Usage: tools/linux/test-install.sh BUILD_DIR (a configured and built tree with the tests).
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache CMAKE_PROJECT_VERSION)
prefix=$(cache CMAKE_INSTALL_PREFIX)
python=$(bash "$root/tools/e2e-python.sh")
id=org.example.noughts
fail() {
    echo "tools/linux/test-install.sh: $*" >&2
    exit 1
}
# Runs a command quietly, showing its output only when it fails.
quiet() {
    local out
    out=$("$@" 2>&1) || {
        printf '%s\n' "$out" >&2
        fail "failed: $*"
    }
}

# check_tree TOP MANPAGE DOCFILES...: exactly the expected files, modes and valid metadata.
check_tree() {
    local top=$1 man=$2 expected actual
    shift 2
    expected=$(
        printf '%s\n' "755 games/noughts" "755 libexec/noughts/noughts" \
            "644 share/applications/$id.desktop" "644 share/metainfo/$id.metainfo.xml" \
            "644 share/man/man6/$man"
        for picture in intro menu item NULL win1 win2 DRAW; do
            echo "644 share/games/noughts/$picture.bmp"
        done
        for size in 48 128 256; do
            echo "644 share/icons/hicolor/${size}x$size/apps/$id.png"
        done
        for doc in "$@"; do
            echo "644 share/doc/noughts/$doc"
        done
    )
    actual=$(cd "$top" && find . -type f -printf '%m %P\n')
    diff <(sort <<<"$expected") <(sort <<<"$actual") || fail "unexpected files in $top"
    [ -z "$(find "$top" -type d ! -perm 755)" ] || fail "folders not 755 in $top"
    quiet desktop-file-validate "$top/share/applications/$id.desktop"
    quiet appstreamcli validate --no-net --pedantic "$top/share/metainfo/$id.metainfo.xml"
    quiet mandoc -T lint -W all "$top/share/man/man6/$man"
    grep -qF "<release version=\"$version\"" "$top/share/metainfo/$id.metainfo.xml" ||
        fail "AppStream release is not $version"
    man -l "$top/share/man/man6/$man" 2>/dev/null | grep -qF "Noughts & Crosses $version" ||
        fail "manual page does not name version $version"
    quiet "$python" "$root/tests/e2e/installed_test.py" "$top/games/noughts" "$root/assets"
}

DESTDIR="$tmp/destdir" cmake --install "$build" >/dev/null
check_tree "$tmp/destdir$prefix" noughts.6 LICENSE
echo "tools/linux/test-install.sh: installed tree in a DESTDIR: ok"

deb=$(bash "$root/tools/linux/build-deb.sh" "$root/build-deb" "$tmp/deb" | tail -n 1)
quiet lintian --fail-on error,warning "$deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "package section is not games"
dpkg-deb -f "$deb" Depends | grep -qE '(^|, )libsdl1\.2debian[^,|]* \| libsdl1\.2-compat' ||
    fail "Depends does not accept either SDL 1.2: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$tmp/root"
check_tree "$tmp/root/usr" noughts.6.gz copyright changelog.gz
echo "tools/linux/test-install.sh: Debian package unpacked with dpkg-deb -x: ok"
