#!/usr/bin/env bash
# Writing the whole tuning to the device through darvix.exe under Wine in a virtual display, against
# the instant and the line-rate simulated unit: the frames between 0xA5 and 0xA6 from the unit's
# trace, the floor of every wait the program must make on the way, the measured time (0xA5's
# address byte to 45 ms after 0xA6, from the trace's clock) and their ratio. The floor holds:
#   - the pacing of every frame, 70 ms (25 after its address byte, 45 after the rest);
#   - 1500 ms after each source selection 'z', in which the poll thread sends nothing else.
# Nothing in the write awaits a reply, and the receive gate is already closed when it begins.
# Prints the figures; it is not a test.
# Usage: write_bench.sh BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_bench.sh"
[[ ${1:-} != --inside ]] && wine_bench_enter "$0" "$1"
bin=$2
drv() { wine "$bin/darvix_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }
press() { local b; b=$(drv child "$1" MYBTNWND "$2" "$3" 78 39) && sleep 0.3 && drv click "$b" 5 5 >/dev/null; }
wineserver -p </dev/null >/dev/null 2>&1
wine reg add 'HKCU\software\Morvane\Darvix' /v Com /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k </dev/null >/dev/null 2>&1' EXIT
for delivery in instant line-rate; do
    printf 'trace = %s\ndelivery = %s\n[device]\n' "$(winepath -w "$work/trace.txt")" "$delivery" >"$work/scenario.txt"
    rm -f "$work/trace.txt"
    export DARVIX_SIM_SCENARIO=$(winepath -w "$work/scenario.txt")
    (cd "$bin" && wine darvix.exe) </dev/null >/dev/null 2>&1 &
    dlg=$(drv wait '#32770' '' 30000) && drv dblclick "$dlg" 20 20 >/dev/null
    main=$(drv wait DIALOGUIMODULE darvix 30000)
    d=$(drv wait MYFRAMEWND "Synchronization to 'darvix' completed with success." 60000) && press "$d" 110 160
    sleep 1
    drv post "$main" 0x8036 1 0x10000 >/dev/null     # the write at once, as after a file load
    d=$(drv wait MYFRAMEWND "'darvix' successfully updated." 120000) && press "$d" 110 160
    sleep 1
    drv post "$main" 0x10 0 0 >/dev/null
    wait
    awk -v name="$delivery" '
        / PC>DEV  46 5A 00 06 A5/ { start = $1; counting = 1 }
        # The command byte is the fifth byte after the direction (address, sender, two of length).
        counting && / PC>DEV / { frames++; for (i = 1; i <= NF; ++i) if ($i == "PC>DEV" && $(i + 5) == "7A") selections++ }
        / PC>DEV  46 5A 00 06 A6/ { end = $1; counting = 0 }
        END {
            if (!frames || !end) { print name ": no write in the trace"; exit }
            # A frame is logged when its last byte arrives, 25 ms after its address byte; the write
            # ends 45 ms after 0xA6 is logged, and began 25 ms before 0xA5 was.
            pacing = frames * 70; pauses = selections * 1500
            floor = pacing + pauses; measured = end - start + 70
            printf "%-10s frames %5d   floor %9d ms (pacing %d + %d source selections x 1500)   measured %9d ms   ratio %.4f   (target <= 1.02)\n",
                   name, frames, floor, pacing, selections, measured, measured / floor
        }' "$work/trace.txt"
done
