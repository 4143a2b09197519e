#!/usr/bin/env bash
# Installs the Debian packages the build, the tests (ser2net for the network ports, Chromium for
# the bench's board), the screenshots and the package need.
# As root it installs what is missing; otherwise it prints the exact command and fails.
set -euo pipefail

packages=(g++ cmake ninja-build make ccache pkg-config
          qt6-base-dev qt6-serialport-dev
          fonts-dejavu-core fonts-liberation2 xvfb xauth imagemagick xdotool
          dpkg-dev file help2man lintian appstream desktop-file-utils
          ser2net chromium)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # Waits for another apt or dpkg run to finish instead of failing at once.
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Run this, then try again:"
  echo "  sudo apt-get install ${missing[*]}"
  exit 1
fi
