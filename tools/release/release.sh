#!/usr/bin/env bash
# Builds every download of a release from a clean export of the checkout's HEAD, never from the
# working tree, and leaves them with their checksums in release/ (or OUT_DIR):
#   noughts-VERSION.tar.gz      the source: one folder noughts-VERSION/, builds without git
#   noughts_VERSION_ARCH.deb    the Debian package, built from that tarball (ARCH: amd64 here),
#                               and for every architecture of tools/arch/arches.txt
#   noughts-VERSION-win64.zip   the Windows build, from the same tarball
#   noughts-VERSION-web.zip     the browser build
#   SHA256SUMS                  the checksums of all of them
# Every file is dated from the commit (SOURCE_DATE_EPOCH) and comes out byte-identical whoever
# builds the same commit, wherever and whenever (tools/release/test.sh checks that).
# Usage: tools/release/release.sh [OUT_DIR]; NOUGHTS_WINDOWS_SDL may name an SDL for Windows to
# reuse (see tools/windows/build.sh). Work files go to build-release/ beside this script's tree.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd -P)
out=$(realpath -m -- "${1:-$root/release}")
work=$root/build-release
bash "$root/tools/setup.sh" release
# A signal ends the script through its EXIT trap, which then cleans up.
trap 'exit 1' INT TERM HUP

if [[ $(git -C "$root" rev-parse --show-toplevel 2>/dev/null) != "$root" ]]; then
    echo "tools/release/release.sh: $root is not a git checkout:" \
        "a release is made from a commit" >&2
    exit 1
fi
commit=$(git -C "$root" rev-parse --verify HEAD)
if [[ -n $(git -C "$root" status --porcelain --untracked-files=no) ]]; then
    echo "tools/release/release.sh: the working tree has changes;" \
        "releasing the commit $commit without them" >&2
fi
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
rm -rf "$work"
mkdir -p "$work/export" "$work/build" "$out"

# The export: exactly the commit's files, git's umask setting overridden so modes are 0644/0755.
git -C "$root" -c tar.umask=0022 archive --format=tar --prefix=src/ "$commit" |
    tar -x -C "$work/export"
version=$(bash "$work/export/src/tools/release/version.sh" "$work/export/src")
name=noughts-$version
mv "$work/export/src" "$work/export/$name"

# The tarball: names in byte order, one owner, one time, modes that ignore the umask.
tarball=$name.tar.gz
tar -c -C "$work/export" --format=gnu --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 \
    --group=0 --numeric-owner --mode=u=rwX,go=rX "$name" | gzip -9n >"$work/$tarball"

# Every package is built from the tarball, as anyone who downloads it would.
tar -xzf "$work/$tarball" -C "$work/build"
src=$work/build/$name

# quietly LOG COMMAND...: runs the command with its output in LOG, shown only if it fails.
quietly() {
    local log=$1
    shift
    if ! "$@" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "tools/release/release.sh: failed: $*" >&2
        return 1
    fi
}

# The Windows build waits on SDL's single-threaded configure, so it goes on beside the others.
setsid bash "$src/tools/windows/build.sh" >"$work/windows.log" 2>&1 &
windows=$!
trap 'kill -- -"$windows" 2>/dev/null || true' EXIT
quietly "$work/deb.log" bash "$src/tools/linux/build-deb.sh" "$src/build-deb" "$work/deb"
deb=noughts_${version}_$(dpkg --print-architecture).deb
# tools/web/build.sh OUT builds the tree it lies in and leaves OUT/NAME-web.zip.
quietly "$work/web.log" bash "$src/tools/web/build.sh" "$work/web"
cp "$work/web/$name-web.zip" "$work/"
files=("$tarball" "$deb" "$name-win64.zip" "$name-web.zip")
# The other architectures' packages, against the sysroots every clone here shares.
source "$src/tools/arch/arch.sh"
for arch in "${known_arches[@]}"; do
    quietly "$work/deb-$arch.log" bash "$src/tools/linux/build-deb.sh" "$src/build-arch/deb-$arch" \
        "$work" "$arch"
    files+=("noughts_${version}_$arch.deb")
done
if ! wait "$windows"; then
    trap - EXIT
    tail -n 60 "$work/windows.log" >&2
    echo "tools/release/release.sh: the Windows build failed" >&2
    exit 1
fi
trap - EXIT
cp "$work/deb/$deb" "$src/build-windows/$name-win64.zip" "$work/"

# Only this release's files in OUT_DIR, so SHA256SUMS covers all that is there. They replace the
# old ones together, SHA256SUMS last: whatever stops the copy leaves neither release there.
(cd "$work" && printf '%s\n' "${files[@]}" | LC_ALL=C sort | xargs sha256sum -- >SHA256SUMS)
trap 'rm -f "$out"/noughts[-_]* "$out/SHA256SUMS"
echo "tools/release/release.sh: could not put the release in $out;" \
    "none of its files is left there" >&2' EXIT
rm -f "$out"/noughts[-_]* "$out/SHA256SUMS"
for file in "${files[@]}" SHA256SUMS; do
    cp "$work/$file" "$out/"
done
(cd "$out" && sha256sum --quiet -c SHA256SUMS)
trap - EXIT
echo "tools/release/release.sh: $commit as $name in $out:"
(cd "$out" && ls -l "${files[@]}" SHA256SUMS)
