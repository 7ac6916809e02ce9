#!/usr/bin/env bash
# Fetches Debian's libsdl1.2 source package, with Debian's patches applied, into a folder kept
# for later builds and prints the path of its source tree. The Windows build and the web build
# (web/sdl/) take SDL 1.2 from here. The folder is NOUGHTS_SDL_SOURCE,
# or build-sdl-source/ beside this script's tree; it is fetched again when it is incomplete or
# this recipe changes. Builds running side by side share it under a lock.
# Usage: tools/sdl-source.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${NOUGHTS_SDL_SOURCE:-$root/build-sdl-source}

source "$root/tools/debian-apt.sh"

# Fetches the source into the current folder through a private apt state (tools/debian-apt.sh):
# the system's sources, lists and cache are left as they are.
fetch() {
    if ! private_apt "$PWD/apt" deb-src; then
        echo "tools/sdl-source.sh: apt knows no Debian archive to fetch SDL's source from" >&2
        return 1
    fi
    "${apt[@]}" update
    "${apt[@]}" source libsdl1.2 >/dev/null
    rm -rf "$PWD/apt"
}

key=$({ declare -f fetch private_apt debian_archives; } | sha256sum | cut -d ' ' -f 1)
mkdir -p "$cache"
exec {lock}>"$cache/lock"
flock "$lock"
# The key, written last, marks a complete fetch.
if [[ $(cat "$cache/fetched/key" 2>/dev/null) != "$key" ]]; then
    echo "Fetching Debian's libsdl1.2 source into $cache" >&2
    rm -rf "$cache/fetched"
    mkdir "$cache/fetched"
    (cd "$cache/fetched" && fetch)
    echo "$key" >"$cache/fetched/key"
fi
find "$cache/fetched" -mindepth 1 -maxdepth 1 -type d -name 'libsdl1.2-*'
