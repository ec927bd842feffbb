#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, when any is missing.
# As root it runs apt-get; otherwise it prints the command to run and fails.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libgtk-3-dev libx11-dev fonts-dejavu-core
)
if [ "${1:-}" = "--test" ]; then
  packages+=(
    libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
    xvfb openbox xdotool x11-utils x11-xserver-utils wmctrl imagemagick python3 valgrind
    desktop-file-utils appstream appstream-util lintian groff-base clang-format weston xwayland
    dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 sox
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"
