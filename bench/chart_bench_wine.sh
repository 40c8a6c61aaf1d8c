#!/usr/bin/env bash
# The chart benchmark of a Windows build tree under Wine, in a virtual display (it paints).
# Usage: chart_bench_wine.sh BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
bash "$here/../scripts/wine-prefix.sh" "$build/wineprefix"
. "$here/../scripts/wine-env.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
echo "(the $(basename "$build") tree under Wine)"
exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$build/bin/chart_bench.exe"
