#!/usr/bin/env bash
# Installs everything needed to build, run and test Keymora on Debian 12.
# Safe to run repeatedly: apt-get skips what is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-gtk-platformtheme
  libpugixml-dev libbotan-2-dev zlib1g-dev libdeflate-dev libpcre2-dev libcli11-dev libcsv-dev
  googletest libgtest-dev libgmock-dev
  clang-14 libclang-rt-14-dev
  xvfb xauth adwaita-icon-theme
  qt6-webengine-dev help2man
  desktop-file-utils appstream shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
