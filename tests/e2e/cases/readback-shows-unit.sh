# A unit whose read-back carries full-range crossovers on every output and no routing frame (the
# simulated unit as it leaves the factory): the layout on screen stays, and the crossover panel
# shows Full Range right after start-up; an edit then sends a 't' built from Full Range (50 Hz,
# the unit's), not from the panel's defaults (Low Pass at 500 Hz).
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/screens.sh"
online
trace_has "DEV>PC  5A 46 00 2E A4" && fail "the unit streamed a routing frame"
page=$(tuning_page "$main") || fail "no tuning page"
panel=$(crossover_panel "$page") || fail "no crossover panel"
sleep 0.5
drv shot "$page" "$bin/e2e-readback-crossover.bmp" >/dev/null
fields=$(drv text "$panel")
[[ $(head -n 1 <<<"$fields") == "Full Range" ]] || fail "the crossover panel shows: $(tr '\n' '|' <<<"$fields")"
mark=$(trace_lines)
drv click "$(drv child "$panel" MYBTNWND 6 268 62 22)" 5 5      # PHASE
wait_sent "$mark" "t 0 phase 1 link 1"
# The fields of output 0's 't': filter type, family, low-pass frequency.
got=$(frames_since "$mark" 74 | head -n 1 | python3 -c '
import struct, sys
b = bytes(int(t, 16) for t in ("00 00 00 00 74 " + sys.stdin.read()).split())
at = 8 + 20 * b[7]
print(b[6], b[at], b[at + 1], struct.unpack_from("<f", b, at + 2)[0])')
[[ $got == "0 0 0 50.0" ]] || fail "output 0, type, family, low-pass Hz of the 't' sent: $got"
close_changed "$main"
