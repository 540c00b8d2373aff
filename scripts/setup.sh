#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine, skipping what is already there.
set -euo pipefail

packages=(cmake make g++ g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64
    mingw-w64-x86-64-dev libgtest-dev libgmock-dev
    libbenchmark-dev libstb-dev zlib1g-dev libsdl2-dev clang libclang-rt-14-dev python3
    wine wine32:i386 wine64 fonts-wine xvfb xdotool imagemagick x11-utils alsa-utils sox nsis
    xserver-xorg-core xserver-xorg-video-dummy libxinerama1:i386 libxrandr2:i386
    libx11-dev libxext-dev libxrandr-dev libasound2-dev libfreetype-dev libfontconfig-dev
    pkg-config libfluidsynth-dev fluid-soundfont-gm fonts-liberation2 libxml2-utils xscreensaver)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
