#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each one briefly on its seed corpus.
# A crash, hang or sanitizer report fails the run (UndefinedBehaviorSanitizer
# would otherwise print its report and carry on).
set -euo pipefail
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
cd "$(dirname "$0")/.."
seconds="${VH_FUZZ_SECONDS:-20}"
cmake --preset fuzz
cmake --build --preset fuzz
shopt -s nullglob
for target in build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$target")
  corpus="fuzz/corpus/${name%_fuzz}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$work" >"$work.log" 2>&1 \
    || { tail -n 40 "$work.log"; exit 1; }
  rm -rf "$work" "$work.log"
done
echo "fuzz: 0 crashes"
