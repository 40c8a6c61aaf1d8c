#!/usr/bin/env bash
# Start-up of darvix.exe under Wine in a virtual display: the time from starting the process to
# the main window shown, offline and against the instant simulated unit, and the program's memory
# once it is up. Prints the figures; it is not a test.
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

inner() {
    drv() { wine "$bin/darvix_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1
    for mode in 0 1; do
        times=()
        for ((r = 0; r < runs; ++r)); do
            (cd "$bin" && wine darvix.exe) </dev/null >/dev/null 2>&1 &
            dlg=$(drv wait '#32770' '' 30000)
            [[ $mode == 0 ]] && {
                combo=$(drv child "$dlg" ComboBox)
                drv send "$combo" 0x14E 0 0 >/dev/null
                drv post "$dlg" 0x111 $(( (1 << 16) | 1001 )) "0x$combo"
            }
            # The dialog waits for the user; the clock starts when the user confirms.
            t0=$(date +%s%N)
            drv dblclick "$dlg" 20 20 >/dev/null
            main=$(drv wait DIALOGUIMODULE darvix 30000)
            t1=$(date +%s%N)
            times+=($(( (t1 - t0) / 1000000 )))
            sleep 1
            [[ $r == 0 ]] && mem=$(drv memory "$main")
            drv post "$main" 0x10 0 0 >/dev/null
            wait
        done
        sorted=($(printf '%s\n' "${times[@]}" | sort -n))
        name=$([[ $mode == 0 ]] && echo offline || echo "target (instant simulated unit)")
        echo "start-up to main window, $name: median ${sorted[$(( runs / 2 ))]} ms, min ${sorted[0]} ms," \
             "max ${sorted[$(( runs - 1 ))]} ms over $runs runs (including the driver's own polling, up to 50 ms)"
        read -r ws priv <<<"$mem"
        echo "memory after start-up, $name: working set ${ws} KiB, private ${priv} KiB"
    done
    wineserver -k </dev/null >/dev/null 2>&1
}
inner
