#!/usr/bin/env bash
# Checks that a release can be rebuilt byte for byte: tools/release.sh runs twice on HEAD, one
# run after the other, from clones in two different folders, under umask 022 and 002, in other
# time zones and locales; every file must come out identical (diffoscope shows why not), the
# packages must carry the commit's date, and the .deb built under umask 002 must pass lintian.
# Usage: test-release.sh. NOUGHTS_WINDOWS_SDL, when set, is reused by the first run only, so the
# second builds SDL for Windows afresh and checks that too.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
# Only a checkout of its own: a source tarball unpacked inside some other repository has none.
if [[ $(git -C "$root" rev-parse --show-toplevel 2>/dev/null) != "$root" ]] ||
    ! commit=$(git -C "$root" rev-parse --verify -q HEAD); then
    echo "test-release: $root is not a git checkout; nothing to release"
    exit 0
fi
bash "$root/tools/setup.sh" release
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "test-release: $*" >&2
    exit 1
}

# release NAME FOLDER UMASK TZ LOCALE [VAR=VALUE...]: a clone of HEAD in FOLDER releases into
# $tmp/out/NAME.
release() {
    local name=$1 folder=$2 mask=$3 zone=$4 locale=$5 start
    shift 5
    git clone -q "$root" "$folder"
    git -C "$folder" checkout -q --detach "$commit"
    start=$SECONDS
    if ! (umask "$mask" && env -u SOURCE_DATE_EPOCH -u NOUGHTS_WINDOWS_SDL TZ="$zone" \
        LANG="$locale" LC_ALL="$locale" "$@" bash "$folder/tools/release.sh" "$tmp/out/$name" \
        >"$tmp/$name.log" 2>&1); then
        cat "$tmp/$name.log" >&2
        fail "release $name failed"
    fi
    echo "test-release: release $name built in $((SECONDS - start)) s"
}
reuse=()
[[ -z ${NOUGHTS_WINDOWS_SDL:-} ]] || reuse=(NOUGHTS_WINDOWS_SDL="$NOUGHTS_WINDOWS_SDL")
release a "$tmp/a/noughts" 022 UTC C "${reuse[@]}"
release b "$tmp/b/elsewhere/other-name" 002 Pacific/Kiritimati C.UTF-8

diff <(ls "$tmp/out/a") <(ls "$tmp/out/b") || fail "the two releases hold different files"
(cd "$tmp/out/a" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
differ=()
for file in "$tmp"/out/a/*; do
    name=${file##*/}
    cmp -s "$file" "$tmp/out/b/$name" && continue
    differ+=("$name")
    # SHA256SUMS differs when another file does; the others get explained.
    if [[ $name != SHA256SUMS ]]; then
        diffoscope --text - "$file" "$tmp/out/b/$name" | head -n 150 >&2 || true
    fi
done
[[ ${#differ[@]} -eq 0 ]] || fail "these differ between the two releases: ${differ[*]}"

# The tarball holds one folder; the packages are dated from the commit, not the clock.
version=$(bash "$root/tools/version.sh")
tops=$(tar -tzf "$tmp/out/a/noughts-$version.tar.gz" | cut -d / -f 1 | sort -u)
[[ $tops == "noughts-$version" ]] || fail "the tarball holds more than noughts-$version/: $tops"
epoch=$(git -C "$root" log -1 --format=%ct "$commit")
deb=$tmp/out/b/noughts_${version}_$(dpkg --print-architecture).deb
dpkg-deb -x "$deb" "$tmp/root"
zcat "$tmp/root/usr/share/doc/noughts/changelog.gz" |
    grep -qF "$(date -u -d "@$epoch" '+%a, %d %b %Y %H:%M:%S +0000')" ||
    fail "the Debian changelog is not dated from the commit"
grep -qF "date=\"$(date -u -d "@$epoch" +%F)\"" \
    "$tmp/root/usr/share/metainfo/org.example.noughts.metainfo.xml" ||
    fail "the AppStream release is not dated from the commit"
if ! lintian_out=$(lintian --fail-on error,warning "$tmp"/out/b/*.deb 2>&1); then
    printf '%s\n' "$lintian_out" >&2
    fail "lintian finds fault with a .deb built under umask 002"
fi
echo "test-release: $(ls "$tmp/out/a" | wc -l) files identical in both releases: ok"
