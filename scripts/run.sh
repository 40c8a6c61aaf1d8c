#!/usr/bin/env bash
# Starts darvix.exe under Wine against one healthy simulated unit (our ftd2xx.dll beside it).
# With a display the program opens there. Without one it runs in a virtual display: it chooses
# "Target", waits for the main window, saves a screenshot, prints its path and closes the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
bin="$build/bin"
bash "$here/wine-prefix.sh" "$build/wineprefix"
. "$here/wine-env.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DARVIX_SIM_SCENARIO
cd "$bin"

if [[ -n "${DISPLAY:-}" ]]; then
    exec wine darvix.exe
fi

echo "No display: running the program in a virtual display."
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$here/run-headless.sh" "$bin"
