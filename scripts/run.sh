#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the desktop
# program. Extra arguments go to the program (for example a .vhm document).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
exec build/release/src/app/verdanthollow "$@"
