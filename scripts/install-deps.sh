#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Checks first and does nothing when everything is present, so repeated runs stay fast.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config make
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    qt6-base-dev libsqlite3-dev libxrandr-dev libcreg-dev libbfio-dev libcreg-utils
    libgtest-dev libgmock-dev libbenchmark-dev
    mtools dosfstools fdisk
    xvfb xauth dbus-daemon fonts-dejavu-core
    clang-14 libclang-rt-14-dev
    desktop-file-utils appstream lintian
    trayer xdotool x11-utils at-spi2-core python3-pyatspi imagemagick
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "Missing packages and neither root nor sudo: install ${missing[*]} by hand." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
