#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian and its AppStream data
# and desktop entry with their validators, installs it into a freshly
# bootstrapped Debian 12 (a folder, entered with chroot; needs root) and
# starts the installed game there on a virtual display, as root and as a
# player, then purges it.
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

# Any error or warning of the three validators fails the check.
lintian --tag-display-limit 0 --fail-on error,warning "$deb"
echo "check-deb: lintian: no errors, no warnings"
files="$build/deb-files"
rm -rf "$files"
dpkg-deb -x "$deb" "$files"
appstreamcli validate --no-net "$files"/usr/share/metainfo/*.metainfo.xml
out="$(desktop-file-validate "$files"/usr/share/applications/*.desktop 2>&1)" || true
[ -z "$out" ] || { echo "$out"; echo "check-deb: FAIL: desktop-file-validate"; exit 1; }
echo "check-deb: desktop-file-validate: no errors, no warnings"

# A clean system, bootstrapped once and copied for every check.
base="$build/bookworm-base"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  rm -rf "$base"
  debootstrap --variant=minbase bookworm "$base" "$mirror" >"$build/debootstrap.log" 2>&1 ||
    { tail -20 "$build/debootstrap.log"; exit 1; }
fi
sys="$build/bookworm-check"
# --one-file-system: should a mount of the host's /dev be left over, rm stops
# there instead of going into it.
rm -rf --one-file-system "$sys"
cp -a "$base" "$sys"
cleanup() {
  # A process of the check that is still ending keeps a mount busy: detach it lazily.
  for m in dev/pts dev proc sys; do umount "$sys/$m" 2>/dev/null || umount -l "$sys/$m" 2>/dev/null || true; done
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
in_sys apt-get install -y -qq --no-install-recommends /tmp/clockwell.deb xvfb xauth xdotool >"$build/apt.log" 2>&1 ||
  { tail -30 "$build/apt.log"; exit 1; }
for f in games/clockwell share/applications/org.example.Clockwell.desktop \
  share/metainfo/org.example.Clockwell.metainfo.xml share/man/man6/clockwell.6.gz; do
  in_sys test -s "/usr/$f" || { echo "check-deb: FAIL: /usr/$f is not installed"; exit 1; }
done
for n in 16 22 24 32 48 64 128 256; do
  in_sys test -s "/usr/share/icons/hicolor/${n}x${n}/apps/clockwell.png" ||
    { echo "check-deb: FAIL: no ${n}x${n} icon"; exit 1; }
done
echo "check-deb: installed: /usr/games/clockwell, desktop entry, metainfo, manual page, icons 16 to 256 px"

# The installed game started by root, then by a player without root: each finds its files in its own data
# folder, and nothing is ever written beside the executable. Enter answers the two first-start messages.
in_sys useradd -m player
cat >"$sys/tmp/play.sh" <<'EOF'
/usr/games/clockwell & game=$!
sleep 3; xdotool key Return; sleep 1; xdotool key Return; sleep 2
kill -0 "$game" && echo running >/tmp/clockwell.rc
kill "$game"; wait "$game"
EOF
for who in root player; do
  home="$(in_sys getent passwd "$who" | cut -d: -f6)"
  rm -f "$sys/tmp/clockwell.rc"
  chroot "$sys" /usr/bin/env -i PATH=/usr/bin:/bin HOME="$home" \
    su "$who" -s /bin/sh -c 'cd ~ && timeout 30 xvfb-run -a sh /tmp/play.sh' || true
  [ "$(cat "$sys/tmp/clockwell.rc" 2>/dev/null)" = running ] ||
    { echo "check-deb: FAIL: the installed game did not keep running for $who"; exit 1; }
  [ -s "$sys$home/.local/share/Clockwell/zweb.sco" ] ||
    { echo "check-deb: FAIL: no score table in $who's data folder"; exit 1; }
  [ "$(ls "$sys/usr/games")" = clockwell ] ||
    { echo "check-deb: FAIL: $who's run left $(ls "$sys/usr/games" | tr '\n' ' ')in /usr/games"; exit 1; }
  echo "check-deb: started by $who: /usr/games holds only clockwell; $home/.local/share/Clockwell holds:"
  in_sys ls -la "$home/.local/share/Clockwell" | sed 's/^/check-deb:   /'
done
in_sys apt-get purge -y -qq clockwell >>"$build/apt.log" 2>&1 || { tail -30 "$build/apt.log"; exit 1; }
[ -z "$(ls -A "$sys/usr/games")" ] || { echo "check-deb: FAIL: purge left $(ls "$sys/usr/games") in /usr/games"; exit 1; }
echo "check-deb: apt-get purge leaves /usr/games empty"
echo "check-deb: passed"
