#!/usr/bin/env bash
# Checks that a release can be rebuilt byte for byte with Debian's reprotest: tools/release/release.sh
# runs twice on HEAD, from a clone in a folder whose name holds a space, letters beyond ASCII and
# an @, once as reprotest's control and once with every variation of it that works here: build
# path, environment, PATH, file order (disorderfs), home, kernel, locale, CPU count, time zone,
# umask, domain and host name, and address space layout. Left out: time (libfaketime 0.9.10 breaks
# utime(), which the builds' tools call) and user_group (it needs other users and sudo set up).
# Every file must come out identical (diffoscope shows why not), the tarball must hold one
# folder, the packages must carry the commit's date, every download the licences of what is
# built into it, and every .deb of the varied build (umask 002) must pass lintian.
# Usage: tools/release/test.sh. NOUGHTS_WINDOWS_SDL, when set, names an SDL for Windows both
# builds reuse (the test command's own): then only a release's own files are compared, not
# SDL's build.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd -P)
# Only a checkout of its own: a source tarball unpacked inside some other repository has none.
if [[ $(git -C "$root" rev-parse --show-toplevel 2>/dev/null) != "$root" ]] ||
    ! commit=$(git -C "$root" rev-parse --verify -q HEAD); then
    echo "tools/release/test.sh: $root is not a git checkout; nothing to release"
    exit 0
fi
bash "$root/tools/setup.sh" release
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "tools/release/test.sh: $*" >&2
    exit 1
}

folder="with space/ünï@2/noughts"
git clone -q "$root" "$tmp/tree/$folder"
git -C "$tmp/tree/$folder" checkout -q --detach "$commit"
# The varied build's locale, et_EE.UTF-8 (its collation puts z before t), made here rather than
# installing every locale there is.
mkdir "$tmp/locales"
localedef -i et_EE -f UTF-8 "$tmp/locales/et_EE.UTF-8"

# Both builds use this machine's sysroots for the other architectures, though the varied one
# has another home.
source "$root/tools/arch/arch.sh"
export NOUGHTS_ARCH_SYSROOTS=$sysroot_cache
vary=-time,-user_group
TIMEFORMAT="tools/release/test.sh: reprotest built and compared two releases in %0R s, processor \
%0U s user + %0S s system"
if ! time (cd "$tmp/tree" && LOCPATH="$tmp/locales" reprotest --verbosity 1 --min-cpus 1 \
    --vary="$vary" --store-dir "$tmp/store" -c "bash '$folder/tools/release/release.sh' release" . \
    'release/*' >"$tmp/reprotest.log" 2>&1); then
    tail -n 300 "$tmp/reprotest.log" >&2
    fail "reprotest finds the release not reproducible, or a build failed (above)"
fi
echo "tools/release/test.sh: what reprotest varied:"
grep -E 'build "experiment-1"|ENVIRONMENT variation' "$tmp/reprotest.log" | sed 's/^/  /'
out=$tmp/store/experiment-1/source-root/release
files=$(ls "$out")

# The tarball holds one folder; the packages are dated from the commit, not the clock.
version=$(bash "$root/tools/release/version.sh")
tops=$(tar -tzf "$out/noughts-$version.tar.gz" | cut -d / -f 1 | sort -u)
[[ $tops == "noughts-$version" ]] || fail "the tarball holds more than noughts-$version/: $tops"
epoch=$(git -C "$root" log -1 --format=%ct "$commit")
deb=$out/noughts_${version}_$(dpkg --print-architecture).deb
dpkg-deb -x "$deb" "$tmp/root"
zcat "$tmp/root/usr/share/doc/noughts/changelog.gz" |
    grep -qF "$(date -u -d "@$epoch" '+%a, %d %b %Y %H:%M:%S +0000')" ||
    fail "the Debian changelog is not dated from the commit"
grep -qF "date=\"$(date -u -d "@$epoch" +%F)\"" \
    "$tmp/root/usr/share/metainfo/org.example.noughts.metainfo.xml" ||
    fail "the AppStream release is not dated from the commit"
# Every download carries the licence of everything built into it: the game's everywhere, and
# SDL 1.2's (LGPL 2.1, and where its source is) where SDL is built in, the Windows and web zips.
mit='Permission is hereby granted, free of charge'
lgpl='GNU LESSER GENERAL PUBLIC LICENSE'
tar -xzf "$out/noughts-$version.tar.gz" -C "$tmp" "noughts-$version/LICENSE" \
    "noughts-$version/web/sdl/CMakeLists.txt" || fail "the tarball lacks its licence or web/sdl/"
grep -qF "$mit" "$tmp/noughts-$version/LICENSE" || fail "the tarball's LICENSE is not the game's"
for each in "$out"/*.deb; do
    dpkg-deb --fsys-tarfile "$each" | tar -xO ./usr/share/doc/noughts/copyright | grep -qF "$mit" ||
        fail "$(basename "$each") carries no licence of the game"
done
for zip in win64 web; do
    for name in LICENSE.txt SDL-LICENSE.txt; do
        unzip -p "$out/noughts-$version-$zip.zip" "noughts-$version-$zip/$name" >"$tmp/$name" ||
            fail "noughts-$version-$zip.zip has no $name"
    done
    grep -qF "$mit" "$tmp/LICENSE.txt" || fail "the $zip zip's LICENSE.txt is not the game's"
    grep -qF "$lgpl" "$tmp/SDL-LICENSE.txt" && grep -qF "apt-get source libsdl1.2" \
        "$tmp/SDL-LICENSE.txt" || fail "the $zip zip lacks SDL's licence or where its source is"
done
unzip -p "$out/noughts-$version-web.zip" "noughts-$version-web/index.html" |
    grep -qF 'href="SDL-LICENSE.txt"' || fail "the page does not link to SDL's licence"
if ! lintian_out=$(lintian --fail-on error,warning "$out"/*.deb 2>&1); then
    printf '%s\n' "$lintian_out" >&2
    fail "lintian finds fault with a .deb of the varied build (umask 002)"
fi
echo "tools/release/test.sh: $(wc -w <<<"$files") files identical in both releases:" $files
