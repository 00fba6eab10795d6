#!/usr/bin/env bash
# Fails when a C++ file differs from the project's .clang-format. Fix with:
#   find game media tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
find game media tests tools bench \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run -Werror
echo "check-format: every file follows .clang-format"
