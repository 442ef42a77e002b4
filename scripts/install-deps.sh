#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Quick when everything is present: only missing packages reach apt-get.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libsdl1.2-dev libgl-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libdevil-dev liblua5.2-dev libluabind-dev libboost-dev
  libgtest-dev libbenchmark-dev
  libpng-dev libjpeg62-turbo-dev
  libwebkit2gtk-4.1-dev
  clang libclang-rt-14-dev libomp-dev
  xvfb xauth x11-utils xdotool imagemagick bc ccache python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
