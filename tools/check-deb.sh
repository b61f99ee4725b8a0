#!/usr/bin/env bash
# Builds the Debian package, installs it into a freshly bootstrapped
# Debian 12 (a folder, entered with chroot; needs root) and starts the
# installed game there on a virtual display.
#   tools/check-deb.sh [mirror]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mirror="${1:-http://deb.debian.org/debian}"
[ "$(id -u)" -eq 0 ] || { echo "check-deb: needs root (debootstrap and chroot)"; exit 1; }
bash "$root/tools/install-deps.sh" --deb-check

build="$root/build-deb"
bash "$root/tools/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build"/clockwell_*.deb | head -1)"
echo "check-deb: package $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb" | sed -n 's/^ *Depends:/check-deb: depends:/p'
dpkg-deb --contents "$deb" | awk '{print "check-deb:   " $6}'

# A clean system, bootstrapped once and copied for every check.
base="$build/bookworm-base"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  rm -rf "$base"
  debootstrap --variant=minbase bookworm "$base" "$mirror" >"$build/debootstrap.log" 2>&1 ||
    { tail -20 "$build/debootstrap.log"; exit 1; }
fi
sys="$build/bookworm-check"
rm -rf "$sys"
cp -a "$base" "$sys"
cleanup() {
  for m in dev/pts dev proc sys; do umount "$sys/$m" 2>/dev/null || true; done
}
trap cleanup EXIT
mount -t proc proc "$sys/proc"
mount -t sysfs sys "$sys/sys"
mount --bind /dev "$sys/dev"
mount --bind /dev/pts "$sys/dev/pts"
cp /etc/resolv.conf "$sys/etc/resolv.conf"
cp "$deb" "$sys/tmp/clockwell.deb"

in_sys() { chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }
in_sys apt-get update -qq
in_sys apt-get install -y -qq --no-install-recommends /tmp/clockwell.deb xvfb xauth >"$build/apt.log" 2>&1 ||
  { tail -30 "$build/apt.log"; exit 1; }
in_sys test -x /usr/bin/clockwell
in_sys test -f /usr/share/applications/clockwell.desktop
in_sys test -f /usr/share/icons/hicolor/32x32/apps/clockwell.png
echo "check-deb: installed: /usr/bin/clockwell, desktop entry, icon"

# A player without root: the game keeps its files in the player's data folder.
in_sys useradd -m player
set +e
chroot "$sys" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/player \
  su player -s /bin/sh -c 'cd ~ && timeout 8 xvfb-run -a /usr/bin/clockwell; echo "exit $?" > /tmp/clockwell.rc'
set -e
rc="$(cat "$sys/tmp/clockwell.rc" 2>/dev/null || echo "exit none")"
# timeout's 124: the game was still running when it was stopped.
[ "$rc" = "exit 124" ] || { echo "check-deb: FAIL: the installed game ended with '$rc'"; exit 1; }
echo "check-deb: the installed game started and ran until stopped"
ls -la "$sys/home/player/.local/share/Clockwell" 2>/dev/null | sed 's/^/check-deb:   /' || true
echo "check-deb: passed"
