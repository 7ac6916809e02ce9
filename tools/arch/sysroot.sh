#!/usr/bin/env bash
# Makes a sysroot for ARCH from Debian's own packages (tools/arch/sysroot-packages.txt) of the
# release tools/arch/arches.txt names for it, downloaded in one go through a private apt state
# (tools/debian-apt.sh) and unpacked with dpkg-deb: nothing is installed on this machine, and its
# apt sources, lists and cache stay as they are. Beside the files, var/lib/dpkg in the sysroot
# lists the packages for dpkg-shlibdeps (the Debian package's Depends).
# Sysroots are kept outside the clone, so every clone on this machine shares them: in DIR, or
# NOUGHTS_ARCH_SYSROOTS, or ${XDG_CACHE_HOME:-~/.cache}/noughts/sysroots. Each is named after its
# architecture, release and a key of its package list and of this recipe, so a changed recipe
# makes a new one and a rerun downloads nothing (delete the folder to fetch Debian's updates).
# One is made in a scratch folder and renamed only once complete, so a failed download never
# leaves one behind; runs side by side make it once, under a lock.
# Usage: tools/arch/sysroot.sh ARCH [DIR]; prints the sysroot's path.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/arch.sh"
source "$here/../debian-apt.sh"
arch=${1:?usage: tools/arch/sysroot.sh ARCH [DIR]}
arch_names "$arch"
fail() {
    echo "tools/arch/sysroot.sh: $*" >&2
    exit 1
}
parent=${2:-$sysroot_cache}
list=$here/sysroot-packages.txt
key=$(cat "$list" "$here/sysroot.sh" "$here/../debian-apt.sh" | sha256sum | cut -c 1-12)
unwritable="cannot write the sysroot cache $parent; make it writable or name another folder in NOUGHTS_ARCH_SYSROOTS"
mkdir -p "$parent" 2>/dev/null || fail "$unwritable"
sysroot=$(cd "$parent" && pwd)/$arch-$release-$key
{ exec {lock}>>"$sysroot.lock"; } 2>/dev/null || fail "$unwritable"
flock "$lock"
if [[ -f $sysroot/var/lib/dpkg/status ]]; then
    echo "$sysroot"
    exit 0
fi
work=$(mktemp -d "$sysroot.partial.XXXXXX" 2>/dev/null) || fail "$unwritable"
trap 'rm -rf "$work"' EXIT
# A signal ends the script through its EXIT trap, which removes the unfinished sysroot.
trap 'exit 1' INT TERM HUP

private_apt "$work/apt" deb "$release" "$arch" || fail "apt knows no Debian archive to fetch from"
echo "tools/arch/sysroot.sh: fetching Debian $release's package lists for $arch" >&2
"${apt[@]}" update || fail "apt-get update for Debian $release ($arch) failed"
grep -hs '^Architectures:' "$work/apt/lists/"*"_dists_${release}_"*Release | grep -qw -- "$arch" ||
    fail "Debian $release has no $arch packages: name another release for $arch in $here/arches.txt"

mapfile -t with_depends < <(awk '$1 == "with-depends" { print $2 }' "$list")
mapfile -t alone < <(awk '$1 == "alone" { print $2 }' "$list")
# "Inst NAME (VERSION ...)" for each package a fresh machine of ARCH would install.
closure=$("${apt[@]}" install -s --no-install-recommends "${with_depends[@]}" 2>&1) ||
    fail "apt cannot resolve ${with_depends[*]} in Debian $release for $arch: $closure"
mapfile -t wanted < <(
    sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1:'"$arch"'=\2/p' <<<"$closure"
    printf "%s:$arch\n" "${alone[@]}"
)
uris=$("${apt[@]}" download --print-uris "${wanted[@]}" 2>&1) ||
    fail "apt cannot find these packages in Debian $release for $arch: $uris"
echo "tools/arch/sysroot.sh: downloading ${#wanted[@]} packages of Debian $release for $arch" \
    "($(awk '{ s += $3 } END { printf "%.0f", s / 1e6 }' <<<"$uris") MB) into $sysroot" >&2
mkdir "$work/debs"
(cd "$work/debs" && "${apt[@]}" download "${wanted[@]}") >"$work/download.log" 2>&1 ||
    fail "downloading Debian $release's packages for $arch failed: $(cat "$work/download.log")"

# Unpacked into the scratch folder under the final name's paths in dpkg's lists.
root=$work/root
info=$root/var/lib/dpkg/info
mkdir -p "$info"
for deb in "$work"/debs/*.deb; do
    package=$(dpkg-deb -f "$deb" Package)
    dpkg-deb -X "$deb" "$root" | sed -e 's|^\./|/|' -e 's|/$||' -e '/^$/d' |
        prefix=$sysroot awk '{ print ENVIRON["prefix"] $0 }' >"$info/$package.list" ||
        fail "unpacking $package for $arch failed"
    dpkg-deb -e "$deb" "$work/control"
    for file in shlibs symbols; do
        if [[ -f $work/control/$file ]]; then
            cp "$work/control/$file" "$info/$package.$file"
        fi
    done
    rm -rf "$work/control"
    dpkg-deb -f "$deb" Package Version Architecture >>"$root/var/lib/dpkg/status.new"
    printf 'Status: install ok installed\n\n' >>"$root/var/lib/dpkg/status.new"
done
# A link to an absolute path (ppc64el's and mips64el's loader) would lead qemu into this
# machine's own root: it is made relative. Packages that ship only /usr (Debian 13) get the
# links /lib and its kin that a Debian system has.
while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -ms --relative-to="$(dirname "$link")" "$root$target")" "$link"
done < <(find "$root" -type l -lname '/*' -print0)
for dir in lib lib32 lib64; do
    [[ -e $root/$dir || ! -d $root/usr/$dir ]] || ln -s "usr/$dir" "$root/$dir"
done
mv "$root/var/lib/dpkg/status.new" "$root/var/lib/dpkg/status"
mv -T "$root" "$sysroot" || fail "cannot move the sysroot for $arch into $sysroot"
echo "$sysroot"
