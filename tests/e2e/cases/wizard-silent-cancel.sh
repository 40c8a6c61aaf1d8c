# A unit that never answers the input-level setup: the step waits (its Next and Back disabled)
# until the user cancels. Cancel ends the wizard and tells the unit the wizard was abandoned
# (0xB2 with 1); the master level it had before is not sent back during a detection.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online "[device]" "no_reply_to = 0x85"
mark=$(trace_lines)
show_menu "$tabs" 48
menu_command "$tabs" 40133                  # Config > I/O Configuration Wizard
d=$(wizard) || fail "no wizard"
for ((k = 0; k < 4; ++k)); do wizard_next "$d"; done   # low-level inputs as the unit has them, to step 5
for ((i = 0; i < 100; ++i)); do
    tail -n +"$((mark + 1))" "$work/trace.txt" | grep -q "PC>DEV  46 5A 00 06 85 2B" && break; sleep 0.1
done
tail -n +"$((mark + 1))" "$work/trace.txt" | grep -q "PC>DEV  46 5A 00 06 85 2B" || fail "no input-level setup asked"
sleep 2                                     # well past the time a unit answers in
drv shot "$d" "$bin/e2e-wizard-silent-05.bmp" >/dev/null
next=$(drv child "$d" MYBTNWND 110 330 78 39) || fail "no Next"
back=$(drv child "$d" MYBTNWND 31 330 78 39) || fail "no Back"
[[ $(drv state "$next") == "1 0 "* ]] || fail "Next usable while the unit is silent: $(drv state "$next")"
[[ $(drv state "$back") == "1 0 "* ]] || fail "Back usable while the unit is silent: $(drv state "$back")"
wizard_press "$d" 189 330                   # Cancel
wizard_closed "$d" || fail "the wizard stayed after Cancel"
wait_idle "$main"
# From the setup's request on: the abandon message, then no level and no status.
after=$(tail -n +"$((mark + 1))" "$work/trace.txt" | awk '/PC>DEV  46 5A 00 06 85 2B/ {on = 1; next} on')
grep -q "PC>DEV  46 5A 00 07 B2 01 5A" <<< "$after" || fail "no abandon message after the silent setup"
grep -q "PC>DEV  46 5A 00 07 B2 00" <<< "$after" && fail "the abandoned wizard was reported completed"
grep -q "PC>DEV  00 5A 00 07 0A" <<< "$after" && fail "a master level was sent after the cancelled setup"
grep -q "DEV>PC  5A 46 00 .. 86" <<< "$after" && fail "the silent unit sent a status"
close_dropping "$main"
