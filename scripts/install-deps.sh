#!/bin/bash
# Installs the Debian 12 packages that building, running and testing need
# (with --native: only what the native quorvin-cli needs to build); does
# nothing when they are all present.
set -e
packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    mingw-w64 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    googletest
    wine wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei
    libx11-dev libxtst-dev util-linux python3 nlohmann-json3-dev
)
[ "${1:-}" = --native ] && packages=(cmake ninja-build g++ googletest nlohmann-json3-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
