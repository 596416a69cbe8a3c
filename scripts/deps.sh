#!/usr/bin/env bash
# Installs the Debian packages Tintwell needs to build, run and test. Quick and
# silent when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev
  qt6-base-dev libjpeg62-turbo-dev
  libgif-dev
  nlohmann-json3-dev
  fonts-wine
  xvfb xauth x11-utils
  desktop-file-utils appstream
)
if [ "${TINTWELL_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$TINTWELL_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
