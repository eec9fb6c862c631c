#!/usr/bin/env bash
# Makes the Debian packages verdanthollow and python3-verdanthollow from the
# release build (cpack -G DEB in the build folder) and checks them: lintian
# reports no errors, the desktop entry and the AppStream metainfo pass their
# validators. The packages are left in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
cmake --build "$build"
rm -f "$build"/verdanthollow_*.deb "$build"/python3-verdanthollow_*.deb
(cd "$build" && cpack -G DEB)
lintian --fail-on error \
  "$build"/verdanthollow_*.deb "$build"/python3-verdanthollow_*.deb
desktop-file-validate src/app/desktop/verdanthollow.desktop
appstreamcli validate --no-net --strict packaging/org.verdanthollow.Verdanthollow.metainfo.xml
echo "packages: $(cd "$build" && ls verdanthollow_*.deb python3-verdanthollow_*.deb | tr '\n' ' ')"
