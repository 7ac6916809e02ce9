#!/usr/bin/env bash
# Makes a sysroot for ARCH from Debian's own packages (tools/arch/sysroot-packages.txt),
# downloaded through a private apt configuration and unpacked with dpkg-deb: nothing is
# installed on this machine, and its apt sources, lists and cache stay as they are. Beside the
# files, var/lib/dpkg in the sysroot lists the packages for dpkg-shlibdeps (the Debian package's
# Depends). A sysroot is kept in DIR (build-arch/sysroots, or NOUGHTS_ARCH_SYSROOTS), named after
# its package list, so a rerun downloads nothing (delete it to fetch Debian's updates); it is made in a scratch folder
# and renamed only once complete, so a failed download never leaves one behind.
# Usage: tools/arch/sysroot.sh ARCH [DIR]; prints the sysroot's path.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/arch.sh"
arch=${1:?usage: tools/arch/sysroot.sh ARCH [DIR]}
arch_names "$arch"
parent=${2:-${NOUGHTS_ARCH_SYSROOTS:-$here/../../build-arch/sysroots}}
list=$here/sysroot-packages.txt
key=$(sha256sum <"$list" | cut -c 1-12)
mkdir -p "$parent"
sysroot=$(cd "$parent" && pwd)/$arch-$key
if [[ -f $sysroot/var/lib/dpkg/status ]]; then
    echo "$sysroot"
    exit 0
fi
fail() {
    echo "tools/arch/sysroot.sh: $*" >&2
    exit 1
}

work=$(mktemp -d "$sysroot.partial.XXXXXX")
trap 'rm -rf "$work"' EXIT
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/debs"
: >"$apt_dir/status"
# The host's sources, seen as a machine of ARCH with nothing installed: apt then resolves the
# whole dependency closure for ARCH.
apt=(apt-get -qq -o APT::Architecture="$arch" -o APT::Architectures::="$arch"
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::State::status="$apt_dir/status"
    -o Dir::Cache="$apt_dir/cache" -o APT::Sandbox::User=root -o Debug::NoLocking=1)
"${apt[@]}" update || fail "apt-get update for $arch failed"

mapfile -t with_depends < <(awk '$1 == "with-depends" { print $2 }' "$list")
mapfile -t alone < <(awk '$1 == "alone" { print $2 }' "$list")
# "Inst NAME (VERSION ...)" for each package a fresh machine of ARCH would install.
closure=$("${apt[@]}" install -s --no-install-recommends "${with_depends[@]}") ||
    fail "apt cannot resolve ${with_depends[*]} for $arch"
mapfile -t wanted < <(
    sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p' <<<"$closure"
    printf '%s\n' "${alone[@]}"
)
cd "$work/debs"
for package in "${wanted[@]}"; do
    name=${package%%=*}
    "${apt[@]}" download "$name:$arch${package#"$name"}" 2>"$work/download.log" ||
        fail "downloading $name for $arch failed: $(cat "$work/download.log")"
done

# Unpacked into the scratch folder under the final name's paths in dpkg's lists.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info"
for deb in "$work"/debs/*.deb; do
    package=$(dpkg-deb -f "$deb" Package)
    dpkg-deb -x "$deb" "$root" || fail "unpacking $package for $arch failed"
    dpkg-deb -e "$deb" "$work/control"
    for file in shlibs symbols; do
        if [[ -f $work/control/$file ]]; then
            cp "$work/control/$file" "$root/var/lib/dpkg/info/$package.$file"
        fi
    done
    rm -rf "$work/control"
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' -e '/^$/d' |
        prefix=$sysroot awk '{ print ENVIRON["prefix"] $0 }' >"$root/var/lib/dpkg/info/$package.list"
    dpkg-deb -f "$deb" Package Version Architecture >>"$root/var/lib/dpkg/status.new"
    printf 'Status: install ok installed\n\n' >>"$root/var/lib/dpkg/status.new"
done
mv "$root/var/lib/dpkg/status.new" "$root/var/lib/dpkg/status"
# Another run may have made the same sysroot meanwhile: then that one is used.
mv -T "$root" "$sysroot" 2>/dev/null || [[ -f $sysroot/var/lib/dpkg/status ]] ||
    fail "cannot move the sysroot for $arch into $sysroot"
echo "$sysroot"
