# The I/O wizard's output step after a passive step that showed its toggles (a woofer and a tweeter
# on each front side): on step 12 no toggle stays on screen over the tweeters' channel buttons.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
show_menu "$tabs" 48
menu_command "$tabs" 40133                  # Config > I/O Configuration Wizard
d=$(wizard) || fail "no wizard"
for step in 0 1 3 4; do wizard_next "$d"; done
wizard_next "$d"                            # when the setup ends
car=$(drv child "$d" MYFRAMEWND 1 30 442 411) || fail "no car view in the wizard"
drv click "$car" 123 215 >/dev/null         # Front Left Woofer (the right one follows)
drv click "$car" 123 155 >/dev/null         # Front Left Tweeter
drv click "$car" 223 380 >/dev/null         # the Subwoofer
wizard_car_next "$d"                        # step 11: the passive toggles
toggles() { drv children "$car" | awk '$2 == "MYBTNWND" && $3 == 1 && (($4 == 49 || $4 == 339) && $5 == 170)' | wc -l; }
for ((i = 0; i < 50; ++i)); do [[ $(toggles) == 2 ]] && break; sleep 0.1; done
[[ $(toggles) == 2 ]] || fail "step 11 shows $(toggles) passive toggles, not 2"
sleep 0.3; drv shot "$d" "$bin/e2e-wizard-output-11.bmp" >/dev/null
wizard_car_next "$d"                        # step 12: the output channels
sleep 0.5
drv shot "$d" "$bin/e2e-wizard-output-12.bmp" >/dev/null
[[ $(toggles) == 0 ]] || fail "step 12 still shows $(toggles) passive toggles"
arrows=$(drv children "$car" | awk '$2 == "MYBTNWND" && $3 == 1' | wc -l)
(( arrows >= 10 )) || fail "step 12 shows $arrows buttons, not the labels' up and down pairs"
wizard_press "$d" 264 460                   # Cancel
wait_idle "$main"
close_dropping "$main"
