#!/usr/bin/env bash
# Installs what the web build's tests, benchmark and lint need: the browsers and npm from Debian
# (npm only where no npm came with Node.js), and puppeteer-core, axe-core, Lighthouse and ESLint
# at the exact versions of tests/e2e/web/package-lock.json.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
bash "$root/tools/setup.sh" web-test
if ! command -v npm >/dev/null; then
    bash "$root/tools/setup.sh" npm
fi
web=$root/tests/e2e/web
if [[ ! -d $web/node_modules/puppeteer-core || $web/package-lock.json -nt $web/node_modules ]]; then
    # No browser download: the tests use Debian's.
    (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
