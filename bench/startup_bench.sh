#!/usr/bin/env bash
# Start-up of darvix.exe under Wine in a virtual display, offline and against the instant simulated
# unit: bench/startup_probe.exe launches the program, confirms its start-up dialog and waits for the
# main window inside one process, launches a bare window of the same size for comparison, and
# prints the figures beside their targets with the program's phase table and memory account.
# Prints figures; it is not a test.
# Usage: startup_bench.sh BUILD_DIR [RUNS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ ${1:-} != --inside ]]; then
    build=$(realpath "$1")
    bash "$here/../scripts/wine-prefix.sh" "$build/wineprefix"
    . "$here/../scripts/wine-env.sh" "$build"
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
    unset DARVIX_SIM_SCENARIO
    # The figures come from inside a virtual display of their own.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside "$build/bin" "${2:-5}"
fi
bin=$2
runs=$3
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1
wine reg add 'HKCU\software\Morvane\Darvix' /v Com /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
wine "$bin/startup_probe.exe" "$(winepath -w "$bin")" "$runs" 2>/dev/null | tr -d '\r'
wineserver -k </dev/null >/dev/null 2>&1
