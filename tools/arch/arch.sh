# Sourced by the scripts of tools/arch/. arch_names ARCH sets triplet (the cross compiler's
# prefix), multiarch (Debian's library folder), qemu (the emulator, empty where this machine
# runs the binaries itself) and release (the Debian release of its sysroot) from
# tools/arch/arches.txt; any other name stops the script with the list of known ones.
# shellcheck shell=bash
arch_table=$(dirname "${BASH_SOURCE[0]}")/arches.txt
mapfile -t known_arches < <(awk '!/^#/ && NF { print $1 }' "$arch_table")
# The architectures whose end-to-end tests run too: s390x, big-endian, and armhf, 32-bit with
# another alignment; the others run the unit and component tests.
e2e_arches=(s390x armhf)
# Where tools/arch/sysroot.sh keeps the sysroots, shared by every clone on this machine.
sysroot_cache=${NOUGHTS_ARCH_SYSROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/noughts/sysroots}

arch_names() {
    local line
    line=$(awk -v arch="$1" '!/^#/ && $1 == arch' "$arch_table")
    if [[ -z $line ]]; then
        echo "tools/arch/${0##*/}: unknown architecture '$1'; known: ${known_arches[*]}" >&2
        exit 2
    fi
    read -r _ triplet multiarch qemu release <<<"$line"
    [[ $qemu != - ]] || qemu=
}

# forget_other_sysroot BUILD_DIR SYSROOT: a build folder configured with another sysroot (its
# package list changed) holds that one's paths in its cache, so it is configured afresh.
forget_other_sysroot() {
    local cache=$1/CMakeCache.txt sdl
    [[ -f $cache ]] || return 0
    sdl=$(sed -n 's/^SDL_LIBRARY:[A-Z]*=//p' "$cache")
    if [[ $sdl != "$2"/* ]]; then
        rm -rf "$cache" "$1/CMakeFiles"
    fi
}
