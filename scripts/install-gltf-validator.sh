#!/usr/bin/env bash
# Installs the Khronos glTF validator (the npm package gltf-validator, run
# with Node.js) into DIR, unless it is there already. The glTF export tests
# call this with a folder of the build tree; several test programs may call
# it at once, so the installation is serialised with a lock.
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
npm install --prefix "$dir" --no-audit --no-fund --no-save --loglevel=error "gltf-validator@$version" >&2
