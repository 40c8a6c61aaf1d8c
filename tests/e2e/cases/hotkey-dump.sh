# The hidden keys work whichever window inside the main window has the keyboard focus: after a
# click into the tuning page's equaliser (which takes the focus), real key presses of left Ctrl,
# right Shift and D ask the unit for its state (0xD7) and write "dumpDsp.log" in the program's
# folder. With the left Shift instead, nothing is asked. The program tells the keys apart with
# GetKeyState of VK_LCONTROL and VK_RSHIFT; the presses carry the keys' scan codes, and the right
# Shift the extended-key flag, as Wine's own keyboard driver gives it (Wine sets VK_RSHIFT, not
# VK_LSHIFT, by that flag).
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
page=$(tuning_page "$main") || fail "no tuning page"
eq=$(drv children "$page" | awk '$2 == "MYFRAMEWND" && $4 == 251 && $5 == 485 {print $1; exit}')
[[ -n $eq ]] || fail "no equaliser panel"
drv click "$eq" 5 5 || fail "could not click into the equaliser"
for ((i = 0; i < 50; ++i)); do [[ $(drv focus "$main") == "$eq" ]] && break; sleep 0.1; done
[[ $(drv focus "$main") == "$eq" ]] || fail "the equaliser did not take the focus: $(drv focus "$main")"
rm -f "$work/dumpDsp.log"
drv keys 0xA2:0x1D 0xA0:0x2A 0x44:0x20 || fail "could not press left Ctrl, left Shift, D"
sleep 2
trace_has "PC>DEV  46 5A 00 06 D7 7D" && fail "left Ctrl and left Shift asked for the dump"
[[ -e $work/dumpDsp.log ]] && fail "a dump was written for the left Shift"
[[ $(drv focus "$main") == "$eq" ]] || fail "the equaliser lost the focus"
drv keys 0xA2:0x1D 0xA1:0x36:e 0x44:0x20 || fail "could not press left Ctrl, right Shift, D"
wait_trace "PC>DEV  46 5A 00 06 D7 7D"
for ((i = 0; i < 100; ++i)); do [[ -s $work/dumpDsp.log ]] && break; sleep 0.1; done
[[ -s $work/dumpDsp.log ]] || fail "no dumpDsp.log"
python3 - "$work/dumpDsp.log" <<'PY' || fail "dumpDsp.log begins: $(head -c 40 "$work/dumpDsp.log" | od -An -c)"
import sys
sys.exit(0 if open(sys.argv[1], "rb").read().startswith(b"CFG_diagnostics: 0x0\r\r\nSYS_mode: 0x1\r\r\n") else 1)
PY
close_dropping "$main"
