#!/usr/bin/env bash
# A benchmark that paints (the chart's by default) of a Windows build tree under Wine, in a
# virtual display.
# Usage: chart_bench_wine.sh BUILD_DIR [BENCH_NAME]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
name=${2:-chart_bench}
bash "$here/../scripts/wine-prefix.sh" "$build/wineprefix"
. "$here/../scripts/wine-env.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
echo "(the $(basename "$build") tree under Wine)"
exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$build/bin/$name.exe"
