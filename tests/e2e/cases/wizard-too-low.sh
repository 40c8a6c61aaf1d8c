# An input too low for the input-level setup: the unit ends the setup on it (0x40 | input), the
# step stays with Next disabled and Back usable; Back to the step before, Next runs the setup again,
# which now finishes, and Next is enabled.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online "[device]" "wizard_too_low = 1" "wizard_delay = 300" "wizard_interval = 200"
mark=$(trace_lines)
show_menu "$tabs" 48
menu_command "$tabs" 40133                  # Config > I/O Configuration Wizard
d=$(wizard) || fail "no wizard"
for ((k = 0; k < 4; ++k)); do wizard_next "$d"; done   # low-level inputs as the unit has them, to step 5
wait_trace "DEV>PC  5A 46 00 07 86 41"
back=$(drv child "$d" MYBTNWND 31 330 78 39) || fail "no Back"
next=$(drv child "$d" MYBTNWND 110 330 78 39) || fail "no Next"
for ((i = 0; i < 50; ++i)); do [[ $(drv state "$back") == "1 1 "* ]] && break; sleep 0.1; done
[[ $(drv state "$back") == "1 1 "* ]] || fail "Back not usable after the too-low end"
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-too-low-05.bmp" >/dev/null
[[ $(drv state "$next") == "1 0 "* ]] || fail "Next usable after an input was too low"
wizard_press "$d" 31 330                    # Back
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-too-low-04.bmp" >/dev/null
[[ $(drv state "$next") == "1 1 "* ]] || fail "no usable Next on the step before"
wizard_next "$d"                            # the setup again
for ((i = 0; i < 100; ++i)); do [[ $(drv state "$next") == "1 1 "* ]] && break; sleep 0.1; done
[[ $(drv state "$next") == "1 1 "* ]] || fail "Next not usable after the repeated setup"
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-too-low-05-again.bmp" >/dev/null
# Both setups as the unit ran them: the first ended on input 1 (second input), the second finished.
runs=$(tail -n +"$((mark + 1))" "$work/trace.txt" |
       awk '$5 == "PC>DEV" && $10 == "85" {printf "| "} $5 == "DEV>PC" && $10 == "86" {printf "%s ", $11}')
echo "the setups: $runs"
[[ $runs == "| 80 41 | "*" 00 " ]] || fail "the setups ran as: $runs"
[[ $runs != *"41 |"*"41"* ]] || fail "the repeated setup was too low again: $runs"
wizard_press "$d" 189 330                   # Cancel
wizard_closed "$d" || fail "the wizard stayed after Cancel"
wait_idle "$main"
close_dropping "$main"
