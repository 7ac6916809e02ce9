#!/usr/bin/env bash
# Static checks on everything that ships: every C++ file and the page's SDL drivers (C) follow
# .clang-format, and so does the page's JavaScript, which ESLint checks too (pinned in
# tests/e2e/web/package.json, installed by tools/web/test-setup.sh); cppcheck finds nothing in
# the game.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# The committed sources; in a source tarball, which has no git, every source outside the builds.
sources() {
    if [[ -e .git ]]; then
        git ls-files -z -- "$@"
    else
        local names=()
        for pattern in "$@"; do
            names+=(-o -path "./$pattern")
        done
        find . \( -path './build*' -o -path ./release -o -path '*/node_modules' \) -prune \
            -o -type f \( "${names[@]:1}" \) -print0
    fi
}
sources '*.cpp' '*.h' 'web/sdl/*.c' 'web/*.js' | xargs -0 clang-format --dry-run --Werror
eslint=tests/e2e/web/node_modules/.bin/eslint
if [[ ! -x $eslint ]]; then
    echo "tools/lint.sh: no ESLint (bash tools/web/test-setup.sh installs it)" >&2
    exit 1
fi
sources 'web/*.js' 'tests/e2e/web/*.mjs' |
    xargs -0 "$eslint" --no-warn-ignored --config tools/web/eslint.config.mjs
cppcheck --quiet --error-exitcode=1 --std=c++17 --enable=warning,style,performance,portability \
    --suppress=missingIncludeSystem -I . frame screens draw game
echo "tools/lint.sh: clean"
