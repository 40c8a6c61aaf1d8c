# The unit vanishes in the middle of the input-level setup, after its first status: the step ends
# at once as timed out ("TimeOut: Repeat the Procedure.", Back usable, Next not), without waiting
# for a status that cannot come. Cancel ends the wizard; only then the link question comes;
# Cancel there leaves the program offline, and it closes with exit code 0.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
lost="'darvix' device disconnected. Try to riconnect."
online "[device]" "wizard_unplug_after_status = 0" "wizard_delay = 500" "wizard_interval = 1000"
show_menu "$tabs" 48
menu_command "$tabs" 40133                  # Config > I/O Configuration Wizard
d=$(wizard) || fail "no wizard"
for ((k = 0; k < 4; ++k)); do wizard_next "$d"; done   # low-level inputs as the unit has them, to step 5
wait_trace "GONE    unplugged"
gone=$(date +%s%N)
back=$(drv child "$d" MYBTNWND 31 330 78 39) || fail "no Back"
for ((i = 0; i < 50; ++i)); do [[ $(drv state "$back") == "1 1 "* ]] && break; sleep 0.1; done
ms=$(( ($(date +%s%N) - gone) / 1000000 ))
[[ $(drv state "$back") == "1 1 "* ]] || fail "the setup still runs ${ms} ms after the unit went"
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-unplug-05.bmp" >/dev/null
next=$(drv child "$d" MYBTNWND 110 330 78 39) || fail "no Next"
[[ $(drv state "$next") == "1 0 "* ]] || fail "Next usable after the setup timed out"
trace_has "DEV>PC  5A 46 00 07 86 80" || fail "no first status before the unit went"
drv wait '#32770' "$lost" 2000 >/dev/null && fail "the link question came over the wizard"
wizard_press "$d" 189 330                   # Cancel
wizard_closed "$d" || fail "the wizard stayed after Cancel"
answer_box "$lost" 1                        # Cancel: offline
wait_idle "$main"
close_dropping "$main"
echo "the setup ended ${ms} ms after the unit went"
