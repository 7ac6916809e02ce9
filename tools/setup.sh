#!/usr/bin/env bash
# Installs the Debian packages the machine lacks.
# Usage: tools/setup.sh play|test|arch|windows|release|web|web-test|npm
#   play: what building and playing need; test: that and the test, lint and picture tools;
#   arch: play's and the cross compilers and emulator for other architectures (tools/arch/);
#   windows: play's and the Windows cross-build's (tools/windows/build.sh);
#   release: windows', arch's and what tools/release/release.sh and tools/release/test.sh need;
#   web: play's and the web build's (tools/web/build.sh); web-test: those and the browsers;
#   npm: play's and Debian's npm (tools/web/test-setup.sh asks for it where Node.js has none).
# Safe to run again: when everything is present it asks dpkg once and returns.
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
profile=${1:-test}
lists=("$here/packages-play.txt")
case $profile in
play) ;;
test) lists+=("$here/packages-test.txt") ;;
arch) lists+=("$here/arch/packages.txt") ;;
windows) lists+=("$here/windows/packages.txt") ;;
release)
    lists+=("$here/windows/packages.txt" "$here/release/packages.txt" "$here/arch/packages.txt")
    ;;
web) lists+=("$here/web/packages.txt") ;;
web-test) lists+=("$here/web/packages.txt" "$here/web/packages-test.txt") ;;
npm) lists+=("$here/web/packages-npm.txt") ;;
*)
    echo "usage: tools/setup.sh play|test|arch|windows|release|web|web-test|npm" >&2
    exit 2
    ;;
esac
# CMake and the commands it writes for the shell and Ninja take a folder name with spaces, quotes
# ' and letters of any language, but not every character (a $ in a link option comes out
# escaped twice): say so before a build fails on it.
root=$(cd -- "$here/.." && pwd)
if [[ $root == *[[:cntrl:]\"\\\$\`\;#\|\<\>]* ]]; then
    printf 'tools/setup.sh: cannot build in %q: its path holds a control character or one of %s;%s\n' \
        "$root" '" \ $ ` ; # | < >' ' move the tree to another folder' >&2
    exit 2
fi
mapfile -t wanted < <(cat "${lists[@]}" | grep -v -E '^\s*(#|$)')

# Either SDL 1.2 (classic or sdl12-compat) provides the header; install classic only when
# neither is there, so the user's choice is left alone.
if [ ! -e /usr/include/SDL/SDL.h ]; then
    wanted+=(libsdl1.2-dev)
fi

mapfile -t installed < <(dpkg-query -W -f='${db:Status-Status} ${Package}\n' "${wanted[@]}" \
    2>/dev/null | awk '$1 == "installed" { print $2 }')
mapfile -t missing < <(printf '%s\n' "${wanted[@]}" | grep -vxF -f <(printf '%s\n' "${installed[@]}" "") || true)
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
# Other builds may be installing at the same time: wait for dpkg's lock instead of failing.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install \
    -y -qq --no-install-recommends \
    "${missing[@]}"
