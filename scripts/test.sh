#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the whole
# suite in the release build (GUI tests under a virtual display when none is
# set), then the core and command-line tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a short run of each fuzz target. Between
# the two: the Python module's tests and the Debian packages' checks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

cmake --preset release
cmake --build --preset release

# The glTF tests check our files with the Khronos validator from npm. It is
# installed once, here; where it cannot be (no registry), those tests skip
# at once and say why.
scripts/install-gltf-validator.sh build/gltf-validator \
  || echo "The Khronos glTF validator could not be installed; the tests that need it will be skipped." >&2
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # -noreset: every GUI test is a process of its own, and a server that
  # resets when its last client leaves refuses the next one meanwhile.
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --preset release -j2 | tee "$logs/release.log"
else
  ctest --preset release -j2 | tee "$logs/release.log"
fi

# ---- Python module: its tests with Debian's python3 and pytest -----------
PYTHONPATH=build/release/python VH_CLI=build/release/src/cli/verdanthollow-cli PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 -m pytest tests/python -q -p no:cacheprovider | tee "$logs/python.log"
# ---- Debian packages: made from the release build and checked ------------
scripts/package.sh
# --------------------------------------------------------------------------

cmake --preset asan
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j2 -L core \
  | tee "$logs/asan.log"

scripts/fuzz-smoke.sh

# One closing line over both test runs (a failure has stopped the script
# before this point). CTest counts a skipped test among the passed ones, so
# the skipped ones are counted apart.
total=0
skipped=0
for log in "$logs/release.log" "$logs/asan.log"; do
  count=$(grep -E -o 'tests failed out of [0-9]+' "$log" | grep -E -o '[0-9]+$')
  total=$((total + count))
  skipped=$((skipped + $(grep -c -F '***Skipped' "$log" || true)))
done
# pytest closes with "N passed, N skipped in T s" (either part may be missing).
python_count() { grep -E -o "[0-9]+ $1" "$logs/python.log" | tail -n 1 | grep -E -o '^[0-9]+' || echo 0; }
total=$((total + $(python_count passed) + $(python_count skipped)))
skipped=$((skipped + $(python_count skipped)))
echo "tests: $((total - skipped)) passed, 0 failed, $skipped skipped"
