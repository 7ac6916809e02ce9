#!/usr/bin/env bash
# Static checks: every C++ file follows .clang-format, and cppcheck finds nothing in the game.
set -euo pipefail

root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# The committed sources; in a source tarball, which has no git, every source outside the builds.
if [[ -e .git ]]; then
    git ls-files -z -- '*.cpp' '*.h'
else
    find . \( -path './build*' -o -path ./release \) -prune -o -type f \
        \( -name '*.cpp' -o -name '*.h' \) -print0
fi | xargs -0 clang-format --dry-run --Werror
cppcheck --quiet --error-exitcode=1 --std=c++17 --enable=warning,style,performance,portability \
    --suppress=missingIncludeSystem -I . frame screens draw game
echo "tools/lint.sh: clean"
