#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, skipping
# what is already there. Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

# Installed without recommended packages, so every program the build and
# the tests run is named here, not left to come along by chance.
packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6opengl6-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl1-mesa-dev
  libjpeg62-turbo-dev libstb-dev
  libtinygltf-dev nlohmann-json3-dev libmeshoptimizer-dev
  libgtest-dev libbenchmark-dev
  # GUI tests on a virtual display (xvfb-run needs xauth; xprop reads the
  # titles the window system sees; xdotool presses keys through the X
  # server and finds windows; libxcb closes one as a window manager does);
  # help opens through xdg-open
  xvfb xauth xdg-utils x11-utils xdotool libxcb1-dev
  # third-party readers of our files: Assimp (OBJ, 3DS, DXF), ezdxf (DXF),
  # ImageMagick's identify (BMP, JPEG)
  assimp-utils python3 python3-ezdxf imagemagick
  # the Khronos glTF validator runs on Node.js (see below)
  nodejs
  # fuzzing
  clang libclang-rt-14-dev
  # the sources' layout, checked before building
  clang-format-14
  # the Python module and its tests, for Debian's own python3
  pybind11-dev python3-dev python3-numpy python3-pytest
  # forests grown on a Dask cluster (a LocalCluster in the tests)
  python3-distributed
  # Debian packages: the tool's manual page, CPack's dependency search
  # (dpkg-shlibdeps, file) and the checkers of what the packages hold
  help2man dpkg-dev file lintian desktop-file-utils appstream
)

# The glTF validator of the tests runs on Node.js and comes from npm
# (scripts/install-gltf-validator.sh). A Node.js that brings its own npm
# already provides the command, and Debian's npm package would conflict with it.
command -v npm >/dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
