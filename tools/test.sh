#!/usr/bin/env bash
# Installs what is missing, checks formatting and runs cppcheck, builds, and runs every test:
#   - all tests on the normal build (g++);
#   - the unit and component tests and the fuzz targets on the sanitizer build (clang, ASan and
#     UBSan), then each fuzz target for a short while (tools/linux/fuzz.sh);
#   - all tests again on a build against sdl12-compat (tools/linux/test-compat.sh);
#   - the installed game and the Debian package (tools/linux/test-install.sh);
#   - the end-to-end tests on the Windows build under Wine (tools/windows/test.sh);
#   - two releases of HEAD, byte for byte the same under reprotest's variations
#     (tools/release/test.sh);
#   - the end-to-end tests on the web build in Chromium and Firefox ESR, and its Lighthouse
#     scores (tools/web/test.sh);
#   - the unit tests on every other architecture of tools/arch/arches.txt, and the end-to-end
#     tests on s390x and armhf (tools/arch/test.sh).
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
bash "$root/tools/setup.sh" test
bash "$root/tools/setup.sh" arch
# Before the background builds start, so no two installs wait on each other's locks.
bash "$root/tools/web/test-setup.sh"
bash "$root/tools/lint.sh"

# The Windows build mostly waits on the network or runs SDL's configure script on one core, so
# it goes on at low priority beside the Linux builds and tests, and the release check after it
# (reprotest's control build reuses that SDL for Windows); the Windows tests come last. The web
# build goes the same way; its browsers and test tools were installed above.
windows_log=$(mktemp)
release_log=$(mktemp)
web_log=$(mktemp)
arch_log=$(mktemp)
windows=
web=
arch=
trap 'rm -f "$windows_log" "$release_log" "$web_log" "$arch_log"
for job in $windows $web $arch; do kill -- -"$job" 2>/dev/null || true; done' EXIT
setsid nice -n 19 bash -c 'bash "$1/tools/windows/build.sh" >"$2" 2>&1 || exit 1
    NOUGHTS_WINDOWS_SDL=$1/build-windows/sdl bash "$1/tools/release/test.sh" >"$3" 2>&1 || exit 2' \
    _ "$root" "$windows_log" "$release_log" &
windows=$!
setsid nice -n 19 bash "$root/tools/web/build.sh" >"$web_log" 2>&1 &
web=$!
# Cross builds and emulated unit tests for the other architectures, likewise beside the rest; the
# emulated end-to-end tests come near the end, at the priority of the rest.
setsid nice -n 19 bash "$root/tools/arch/test.sh" --unit >"$arch_log" 2>&1 &
arch=$!

# finish_arch WHAT: waits for the other architectures' background job and shows its output.
finish_arch() {
    local status=0
    wait "$arch" || status=$?
    arch=
    cat "$arch_log"
    if [[ $status -ne 0 ]]; then
        echo "tools/test.sh: $1 failed" >&2
        exit 1
    fi
}

bash "$root/tools/build.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

# Builds build-sanitize, replays every fuzz seed and past crash, fuzzes each target for 30 s.
bash "$root/tools/linux/fuzz.sh" 30
(
    source "$root/tools/linux/sanitizer-options.sh"
    ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$jobs" -L unit
)

bash "$root/tools/linux/test-compat.sh"
bash "$root/tools/linux/test-install.sh" "$root/build"

status=0
waited=$SECONDS
wait "$windows" || status=$?
echo "tools/test.sh: waited $((SECONDS - waited)) s for the Windows build and the release check"
windows=
if [[ $status -eq 1 ]]; then
    cat "$windows_log" >&2
    echo "tools/test.sh: the Windows build failed" >&2
    exit 1
fi
cat "$release_log"
[[ $status -eq 0 ]] || exit 1
bash "$root/tools/windows/test.sh" --built

finish_arch "the other architectures' tests"
# The end-to-end runs left mostly wait on their games, so the emulated ones go on beside the
# browsers', one architecture after the other.
source "$root/tools/arch/arch.sh"
setsid bash -c 'for arch in "${@:2}"; do
    ctest --test-dir "$1/build-arch/$arch" --output-on-failure -L e2e || exit 1; done' \
    _ "$root" "${e2e_arches[@]}" >"$arch_log" 2>&1 &
arch=$!

if ! wait "$web"; then
    web=
    cat "$web_log" >&2
    echo "tools/test.sh: the web build failed" >&2
    exit 1
fi
web=
bash "$root/tools/web/test.sh" --built

finish_arch "the end-to-end tests on ${e2e_arches[*]}"
# The processor time of every process the command ran and waited for (cutime and cstime).
cpu=$(awk -v hz="$(getconf CLK_TCK)" \
    '{ printf "%.0f s user + %.0f s system", $16 / hz, $17 / hz }' "/proc/$$/stat")
echo "tools/test.sh: every test passed in $SECONDS s, processor $cpu"
