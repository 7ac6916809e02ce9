#!/usr/bin/env bash
# Builds the web game (tools/web/build.sh) and tests it: the end-to-end tests through the
# browser backend of tests/e2e/harness.py in headless Chromium and in Firefox ESR, one browser
# after the other, each followed by the screen reader test in a window of that browser
# (tests/e2e/web_screen_reader_test.py: AT-SPI2 and Orca), then Lighthouse's accessibility,
# best-practices and SEO scores on Chromium (tools/web/lighthouse.py; performance is
# tools/bench.sh's, since it depends on the load).
# Usage: tools/web/test.sh [--built]
#        (--built: test the build that is there, as tools/test.sh does)
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
if [[ ${1:-} != --built ]]; then
    bash "$root/tools/web/test-setup.sh"
    bash "$root/tools/web/build.sh"
fi
python=$(bash "$root/tools/e2e-python.sh")
site=$root/build-web/site/index.html
# Every wait in the tests is bounded; this bounds each run as well, only against a hung tool: a
# page run took 170 s beside a loop of builds, so no busy machine comes near the limit.
for browser in chromium firefox; do
    echo "== end-to-end tests in $browser"
    NOUGHTS_BROWSER=$browser timeout --kill-after=10 1200 "$python" "$root/tests/e2e/web_test.py" \
        "$site" "$root/assets"
    echo "== screen reader tests in $browser"
    NOUGHTS_BROWSER=$browser timeout --kill-after=10 1200 \
        "$python" "$root/tests/e2e/web_screen_reader_test.py" "$site"
done
timeout --kill-after=10 1200 "$python" "$root/tools/web/lighthouse.py" "$site"
