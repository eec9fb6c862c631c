#!/usr/bin/env bash
# Installs the Debian packages of the release build (scripts/package.sh
# makes them) on a fresh minimal Debian 12 made with debootstrap, using only
# Debian's own packages, and tries what a user would: the tool, the program
# under a virtual display (a window must appear), the Python module and the
# manual page. Needs root and Debian's package mirror; not part of the tests.
#
#   scripts/check-clean-install.sh [ROOT]     (default /tmp/verdanthollow-root)
#
# The tree is made anew and deleted afterwards; every mount is undone first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-/tmp/verdanthollow-root}
mirror=http://deb.debian.org/debian
debs=(build/release/verdanthollow_*.deb build/release/python3-verdanthollow_*.deb)
[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap, mount, chroot)" >&2; exit 1; }
[ -e "${debs[0]}" ] && [ -e "${debs[1]}" ] || { echo "no packages in build/release: run scripts/package.sh" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -q --no-install-recommends debootstrap
[ -e "$root" ] && { echo "$root exists: remove it or name another folder" >&2; exit 1; }

mounts=(proc sys dev dev/pts)
unmount_all() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    mountpoint -q "$root/${mounts[i]}" && umount "$root/${mounts[i]}"
  done
  # Delete only once nothing of the host is mounted inside any more.
  if ! findmnt -rn -o TARGET | grep -q "^$root/"; then rm -rf "$root"; fi
}
trap unmount_all EXIT

debootstrap --variant=minbase bookworm "$root" "$mirror"
for mount in "${mounts[@]}"; do mount --bind "/$mount" "$root/$mount"; done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
cp "${debs[@]}" "$root/tmp/"
inside() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 HOME=/root "$@"; }

inside apt-get update -q
# Without recommended packages: what the program needs must be a dependency.
inside sh -c "cd /tmp && apt-get install -y -q --no-install-recommends ./verdanthollow_*.deb ./python3-verdanthollow_*.deb"
echo "== verdanthollow-cli info --preset conifer"
inside verdanthollow-cli info --preset conifer
echo "== python3 -c 'import verdanthollow'"
inside python3 -c "import verdanthollow as vh; print(vh.presets()); print(vh.grow(vh.Document.preset('conifer')).counts)"

# Tools for the remaining checks only.
inside apt-get install -y -q --no-install-recommends man-db xvfb xauth xdotool
echo "== man verdanthollow-cli"
inside sh -c "MANPAGER=cat MANWIDTH=80 man verdanthollow-cli | head -n 30"
echo "== verdanthollow under Xvfb"
inside xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  verdanthollow & program=$!
  for attempt in $(seq 1 60); do
    window=$(xdotool search --onlyvisible --name "Verdanthollow" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 1
  done
  kill $program
  [ -n "$window" ] || { echo "no window appeared" >&2; exit 1; }
  echo "window $window: $(xdotool getwindowname "$window")"'
echo "clean install: all checks passed"
