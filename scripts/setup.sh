#!/usr/bin/env bash
# Installs the Debian packages Tessivar needs to build, run and test. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libmp3lame-dev libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libx11-dev googletest libgtest-dev clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils x11-apps libxfixes3 python3
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Tessivar needs these Debian packages: ${missing[*]}" >&2
  echo "Install them as root once, then run this command again:  sudo $0" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
