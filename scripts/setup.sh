#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, as root and without questions.
# Does nothing (and never calls apt) when everything is already there.
set -euo pipefail

packages=(g++ make cmake googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-dejavu-core fonts-liberation clang-14 libclang-rt-14-dev python3
          libfftw3-dev)  # libfftw3-dev: only the chart benchmark compares with it

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "setup: need root to install ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
