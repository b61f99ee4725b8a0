#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the game need.
# Safe to run again: apt-get skips what is already there.
#   install-deps.sh            building, running, testing, benchmarks
#   install-deps.sh --deb-check  also what tools/check-deb.sh needs (the test command runs it)
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-multimedia-dev libqt6multimedia6 libgl-dev
  fonts-liberation2 fontconfig
  clang clang-format clang-tidy libclang-rt-14-dev
  xvfb openbox wmctrl xdotool x11-utils imagemagick
  dpkg-dev file
  dbus pulseaudio pulseaudio-utils pipewire pipewire-bin wireplumber pipewire-pulse python3
  weston qt6-wayland x11-xkb-utils xkb-data
)
if [ "${1:-}" = "--deb-check" ]; then
  packages+=(debootstrap lintian appstream desktop-file-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
