#!/usr/bin/env bash
# Installs the Khronos glTF validator (the npm package gltf-validator, run
# with Node.js) into DIR, unless it is there already. scripts/test.sh calls
# it once before the tests, with the folder the glTF tests look in
# (build/gltf-validator); two calls at once are serialised with a lock.
set -euo pipefail

dir=${1:?usage: install-gltf-validator.sh DIR}
version=2.0.0-dev.3.10

command -v node >/dev/null || { echo "node is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
command -v npm >/dev/null || { echo "npm is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
mkdir -p "$dir"
exec 9>"$dir/.install-lock"
flock 9
installed="$dir/node_modules/gltf-validator/package.json"
if [ -f "$installed" ] && grep -q "\"version\": \"$version\"" "$installed"; then
  exit 0
fi
# Where the registry cannot be reached, fail within seconds rather than after
# npm's minutes of retries: the tests that need the validator then skip.
npm install --prefix "$dir" --no-audit --no-fund --no-save --loglevel=error \
  --fetch-retries=1 --fetch-retry-mintimeout=2000 --fetch-retry-maxtimeout=5000 --fetch-timeout=30000 \
  "gltf-validator@$version" >&2
