# Sourced by the scripts that fetch Debian's packages without touching this machine's apt
# (tools/sdl-source.sh, tools/arch/sysroot.sh): a private apt state in a folder of the caller's,
# reading the Debian archives this machine installs from, for any Debian release.
# shellcheck shell=bash

# private_apt DIR KIND [RELEASE [ARCH]]: makes DIR an empty apt state whose sources are KIND
# (deb or deb-src) lines for this machine's Debian archives, its release's name replaced by
# RELEASE (bookworm-security becomes trixie-security), and sets the array apt to apt-get with
# that state, for a machine of ARCH when given. Returns 1 when apt knows no Debian archive.
private_apt() {
    local dir=$1 kind=$2 release=${3-} arch=${4-} host archives
    host=$(. /etc/os-release && echo "${VERSION_CODENAME-}")
    archives=$(debian_archives)
    if [[ -z $archives ]]; then
        apt-get update -qq
        archives=$(debian_archives)
    fi
    [[ -n $archives ]] || return 1
    mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
    : >"$dir/status"
    while read -r uri suite; do
        echo "$kind $uri ${suite/#$host/${release:-$host}} main"
    done <<<"$archives" >"$dir/sources.list.d/debian.list"
    apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$dir/sources.list.d"
        -o Dir::State::Lists="$dir/lists" -o Dir::State::status="$dir/status"
        -o Dir::Cache="$dir/cache" -o APT::Sandbox::User=root -o Debug::NoLocking=1)
    [[ -z $arch ]] || apt+=(-o APT::Architecture="$arch" -o APT::Architectures::="$arch")
}

# The Debian archives and suites this machine installs from, as apt itself reports them.
debian_archives() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' \
        'Origin: Debian' 'Component: main' | sort -u
}
