#!/usr/bin/env bash
# Starts darvix.exe under Wine against the simulated device.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
exe="$build/bin/darvix.exe"
if [[ ! -f "$exe" ]]; then
    echo "The build is complete; the program itself (darvix.exe) is not part of it yet, so there is nothing to start."
    exit 0
fi
bash "$here/wine-prefix.sh" "$build/wineprefix"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd "$build/bin"
if [[ -z "${DISPLAY:-}" ]]; then
    echo "No display: starting the program in a virtual one (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe"
fi
exec wine "$exe"
