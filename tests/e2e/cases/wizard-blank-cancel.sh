# A blank unit's wizard cancelled on step 3 (the low-level input assignment) ends the program, but
# only once the unit has been told: the master level back as the output-level page holds it (0x0A,
# -45 dB: byte 30) and the wizard aborted (0xB2 01), both before the program's goodbye (0x35 to the
# level node and the accessory) and the close. Before, the program ended before its poll thread
# served the cancel, and the unit stayed in wizard mode at its lowered level.
prepare; set_com 1; scenario "[device]" "blank = yes"; start; splash 1
d=$(wizard) || fail "no wizard for the blank unit"
wizard_next "$d"                            # step 0: the unit enters wizard mode at -45 dB
wait_trace "PC>DEV  46 5A 00 07 A2 00 49"
wizard_next "$d"                            # step 1, low-level inputs: on to step 3
for ((i = 0; i < 100; ++i)); do
    [[ $(drv children "$d" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 235' | wc -l) -eq 6 ]] && break
    sleep 0.1
done
[[ $(drv children "$d" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 235' | wc -l) -eq 6 ]] ||
    fail "the wizard is not on the low-level input assignment"
drv shot "$d" "$bin/e2e-wizard-blank-cancel-03.bmp" >/dev/null
wizard_press "$d" 189 330                   # Cancel
expect_exit 0
sleep 1                                     # the driver's trace of the close
after=$(tr -d '\r' < "$work/trace.txt" |
        awk '/PC>DEV  46 5A 00 07 A2 00 49/ {on = 1; next}
             on && (/PC>DEV/ || /CLOSE/) {sub(/.*PC>DEV  /, ""); sub(/.*CLOSE.*/, "closed"); print}' | tr '\n' ',')
[[ $after == "00 5A 00 07 0A 1E 89,46 5A 00 07 B2 01 5A,00 5A 00 06 35 95,80 5A 00 06 35 15,closed," ]] ||
    fail "after the wizard began the unit got: $after"
