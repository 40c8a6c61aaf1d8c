#!/usr/bin/env bash
# Start-up of darvix.exe under Wine in a virtual display, offline and against the instant simulated
# unit: bench/startup_probe.exe launches the program, confirms its start-up dialog and waits for the
# main window inside one process, launches a bare window of the same size for comparison, and
# prints the figures beside their targets with the program's phase table and memory account.
# Prints figures; it is not a test.
# Usage: startup_bench.sh BUILD_DIR [RUNS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_bench.sh"
[[ ${1:-} != --inside ]] && wine_bench_enter "$0" "$1" "${2:-5}"
bin=$2
runs=$3
wine_bench_session
wine reg add 'HKCU\software\Morvane\Darvix' /v Com /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
wine "$bin/startup_probe.exe" "$(winepath -w "$bin")" "$runs" 2>/dev/null | tr -d '\r'
wineserver -k </dev/null >/dev/null 2>&1
