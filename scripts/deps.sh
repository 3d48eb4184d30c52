#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need. Does nothing
# when they are all present. Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-image-formats-plugins qt6-qpa-plugins
    libqt6svg6 libplist-dev libplist-utils libsqlite3-dev
    linux-libc-dev libasound2-dev libliquid-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xauth xdotool imagemagick librsvg2-bin
    dbus dbus-x11 pkexec polkitd
    fonts-dejavu-core fonts-ipafont-gothic
    desktop-file-utils appstream python3 python3-icalendar
    dpkg-dev lintian systemd procps
    libsoapysdr-dev soapysdr-module-rtlsdr libliquid-dev libopusenc-dev libopus-dev opus-tools
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev ca-certificates ffmpeg openssl
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
