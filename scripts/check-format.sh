#!/usr/bin/env bash
# Fails when a C++ source differs from the layout .clang-format describes.
# Debian 12's clang-format 14 is the reference: other versions lay out a few
# constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format-14 || command -v clang-format)
git ls-files -z -- '*.cpp' '*.h' | xargs -0 "$formatter" --dry-run -Werror
echo "format: every source as .clang-format lays it out"
