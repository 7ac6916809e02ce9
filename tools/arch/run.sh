#!/usr/bin/env bash
# Runs a program built for ARCH with the libraries of its sysroot (tools/arch/sysroot.sh):
# under qemu-user, or, where this machine runs ARCH itself, through the sysroot's own loader, so
# nothing of ARCH is installed here. As with qemu-user, -E NAME=VALUE sets a variable for the
# program alone: the runtime linker's (LD_PRELOAD, LD_TRACE_LOADED_OBJECTS=1 to list the
# libraries as ldd does) would otherwise act on this script and the emulator too.
# Usage: tools/arch/run.sh ARCH SYSROOT [-E NAME=VALUE]... PROGRAM [ARGS...]
set -euo pipefail

# A standard stream the caller closed must reach the program closed; meanwhile it is the null
# device, as some tools here fail without one.
closed=()
for fd in 0 1 2; do
    if [[ ! -e /proc/self/fd/$fd ]]; then
        closed+=("$fd")
        eval "exec $fd<>/dev/null"
    fi
done
source "$(dirname "${BASH_SOURCE[0]}")/arch.sh"
arch_names "$1"
sysroot=$2
shift 2
guest_vars=()
while [[ ${1-} == -E* ]]; do
    if [[ $1 == -E ]]; then
        guest_vars+=("$2")
        shift 2
    else
        guest_vars+=("${1#-E}")
        shift
    fi
done
for fd in "${closed[@]}"; do
    eval "exec $fd>&-"
done

if [[ -z $qemu ]]; then
    loaders=("$sysroot/lib/$multiarch"/ld-linux*.so.*)
    libraries=$sysroot/lib/$multiarch:$sysroot/usr/lib/$multiarch
    libraries+=:$sysroot/usr/lib/$multiarch/pulseaudio
    exec env "${guest_vars[@]}" "${loaders[0]}" --library-path "$libraries" "$@"
fi
options=(-L "$sysroot")
for var in "${guest_vars[@]}"; do
    options+=(-E "$var")
done
exec "$qemu" "${options[@]}" "$@"
