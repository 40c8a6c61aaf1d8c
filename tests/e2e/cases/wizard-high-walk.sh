# The I/O wizard against the unit: a high-level walk (the two front inputs, a passive woofer and
# tweeter pair on each front side, the subwoofer with an amplifier) to Finish. The unit sees the
# wizard's messages in their order; the routing it keeps is the layout of File > Save Setup, also
# after File > Synchronize > "Pc <- Darvix" reads it back; the wizard opened again shows it.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
# A unit slow enough in its set-ups that their running faces show before they end.
online "[device]" "wizard_delay = 1500" "wizard_interval = 700"
mark=$(wc -l < "$work/trace.txt")
show_menu "$tabs" 48
menu_command "$tabs" 40133                  # Config > I/O Configuration Wizard
d=$(wizard) || fail "no wizard"
wizard_next "$d"
check=$(drv children "$d" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 71 && $5 == 84 {print $1; exit}')
[[ -n $check ]] || fail "no High Level check"
drv click "$check" 5 5 >/dev/null           # High Level
wizard_next "$d"
# The inputs as the unit reported them (its low-level configuration leaves none of the high
# level): the first two boxes get the front left and right full-range inputs. A box opens its
# menu, closed here unchosen; the choice then comes as the menu's command.
choose_input() {  # choose_input BOX_Y COMMAND
    local box popup
    box=$(drv children "$d" | awk -v y="$1" '$2 == "MYBTNWND" && $3 == 1 && $4 == 250 && $5 == y {print $1; exit}')
    [[ -n $box ]] || fail "no input box at y $1"
    drv click "$box" 5 5 >/dev/null
    popup=$(drv wait '#32768' '' 10000) || fail "no input menu"
    drv key "$popup" 0x1B >/dev/null
    drv wait-gone "$popup" 10000 || fail "the input menu stayed open"
    drv post "$d" 0x111 "$2" 0 >/dev/null
}
choose_input 82 40094                       # Front Left Full
choose_input 106 40095                      # Front Right Full
next=$(drv child "$d" MYBTNWND 110 330 78 39) || fail "no Next"
# Until Next is usable (a choice or a setup's end may land a moment later), for up to 15 s.
next_usable() {
    for ((i = 0; i < 150; ++i)); do [[ $(drv state "$next") == "1 1 "* ]] && return 0; sleep 0.1; done
    fail "Next never became usable ($1)"
}
# Next into a step whose set-up runs on the unit: waits for the frame that starts it, shows Next
# held while it runs and usable once it ended, with a screenshot of each.
run_setup() {  # run_setup FRAME STEP NAME
    local n
    n=$(trace_count "$1")
    wizard_next "$d"
    for ((i = 0; i < 100; ++i)); do [[ $(trace_count "$1") -gt $n ]] && break; sleep 0.1; done
    sleep 0.5; drv shot "$d" "$bin/e2e-wizard-$2-running.bmp" >/dev/null
    [[ $(drv state "$next") == "1 0 "* ]] || fail "Next usable while the $3 runs"
    next_usable "the $3 ended"
    sleep 0.3; drv shot "$d" "$bin/e2e-wizard-$2-ended.bmp" >/dev/null
}
next_usable "the two front inputs chosen"
wizard_next "$d"
run_setup "PC>DEV  46 5A 00 06 85 2B" 05 "input-level setup"
wizard_next "$d"
wizard_next "$d"
run_setup "PC>DEV  46 5A 00 06 83 29" 08 "de-equalization"
wizard_next "$d"
car=$(drv child "$d" MYFRAMEWND 1 30 442 411) || fail "no car view in the wizard"
drv click "$car" 123 215 >/dev/null         # Front Left Woofer (the right one follows)
drv click "$car" 123 155 >/dev/null         # Front Left Tweeter
drv click "$car" 223 380 >/dev/null         # the Subwoofer
wizard_car_next "$d"
toggle=$(drv children "$car" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 49 && $5 == 170 {print $1; exit}')
[[ -n $toggle ]] || fail "no passive toggle of the front left"
drv click "$toggle" 5 5 >/dev/null          # woofer and tweeter behind one passive crossover
wizard_car_next "$d"
wizard_car_next "$d"
amp=$(drv children "$car" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 136 && $5 == 374 {print $1; exit}')
[[ -n $amp ]] || fail "no amplifier box of the subwoofer"
drv click "$amp" 5 5 >/dev/null
wizard_car_next "$d"
wizard_press "$d" 110 330                   # Finish
wizard_written
wait_idle "$main"

# The wizard's messages, each run of statuses as one: begin to end.
order=$(tail -n +"$((mark + 1))" "$work/trace.txt" |
        awk '$5 == "PC>DEV" || $5 == "DEV>PC" {print $10 " " $11}' |
        awk '$1 ~ /^(0A|A2|A3|85|86|83|84|A4|18|B2)$/ {c = $1; if (c == "B2") c = c "(" $2 ")";
             if (c != last) printf "%s ", c; last = c; if ($1 == "B2") exit}')
[[ $order == "0A A2 A3 85 86 83 84 A4 18 B2(00) " ]] || fail "the wizard's messages came as: $order"
trace_has "PC>DEV  00 5A 00 07 0A 1E 89" || fail "no -45 dB on leaving the first step"
# The routing the unit keeps: "output position kind" of each output with a speaker.
routed() {
    tail -n +"$((mark + 1))" "$work/trace.txt" | awk '$5 == "PC>DEV" && $10 == "A4" {line = $0} END {print line}' |
        awk '{for (o = 0; o < 8; ++o) if ($(19 + o) != "FF") print o, $(19 + o), $(27 + o)}' |
        while read -r o p k; do echo "$o $((16#$p)) $((16#$k))"; done
}
unit=$(routed)
[[ $unit == $'0 0 0\n1 2 0\n7 4 5' ]] || fail "the unit keeps the routing $unit"
save_file "$tabs" 3 40130 "$work/wizard.bit"; wait_idle "$main"
[[ $(setup_layout "$work/wizard.bit" | awk '$2 != -1') == "$unit" ]] ||
    fail "the saved layout $(setup_layout "$work/wizard.bit" | tr '\n' ' ') is not the unit's"

# File > Synchronize > "Pc <- Darvix": the unit's routing comes back as the same layout.
n=$(trace_count " 92 38")
show_menu "$tabs" 3
menu_command "$tabs" 40269
for ((i = 0; i < 100; ++i)); do [[ $(trace_count " 92 38") -gt $n ]] && break; sleep 0.1; done
sync_ok
wait_idle "$main"
trace_has "DEV>PC  5A 46 00 2E A4" || fail "the read-back brought no routing"
save_file "$tabs" 3 40130 "$work/back.bit"; wait_idle "$main"
[[ $(setup_layout "$work/back.bit" | awk '$2 != -1') == "$unit" ]] ||
    fail "the layout read back is $(setup_layout "$work/back.bit" | tr '\n' ' ')"

# The wizard opened again: the High Level inputs and the car as the unit reported them.
show_menu "$tabs" 48
menu_command "$tabs" 40133
d=$(wizard) || fail "no second wizard"
wizard_next "$d"
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-reopened-01.bmp" >/dev/null
for ((k = 0; k < 4; ++k)); do wizard_next "$d"; done   # to step 6, the input setup run again
wizard_next "$d"; wizard_next "$d"          # into the de-equalization
wizard_next "$d"                            # once ended: the speakers
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-reopened-10.bmp" >/dev/null
wizard_press "$d" 264 460                   # Cancel
wait_idle "$main"
close_dropping "$main"
