#!/usr/bin/env bash
# Runs the CTest suite of the Windows build under Wine inside a private Xvfb display.
# Usage: wine-ctest.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1"); shift

bash "$here/wine-prefix.sh" "$build/wineprefix"
. "$here/wine-env.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$here/wine-session.sh" "$build" "$@"
