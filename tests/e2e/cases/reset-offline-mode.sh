# Offline, File > Reset Settings puts the working mode back to Standard with the tuning: the Config
# menu ticks Standard again, and choosing Expert afterwards is a change of mode (the tick moves),
# where before the reset left Expert ticked and the program's own mode at Expert, so that the
# choice did nothing.
. "$(dirname "${BASH_SOURCE[0]}")/lib/menus.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
wine reg add 'HKCU\software\Morvane\Darvix' /v AskReset /t REG_DWORD /d 0xffffffff /f >/dev/null 2>&1
prepare; set_com 1; start; splash 0
main=$(main_window) || fail "no main window"
wait_idle "$main"
tabs=$(tab_bar "$main") || fail "no tab bar"
# The Working Mode submenu (the Config menu's last item: Up, then Right) and its ticked item.
mode_ticked() {  # mode_ticked NAME
    shot_config_submenu "$tabs" "$bin/e2e-reset-offline-mode-$1.bmp" 0x26 0x27
    ticked_items "$bin/e2e-reset-offline-mode-$1.bmp" 2
}
show_menu "$tabs" 48
menu_command "$tabs" 40147                        # Expert
wait_idle "$main"
[[ $(mode_ticked expert) == 1 ]] || fail "Expert is not ticked after choosing it"
show_menu "$tabs" 3
menu_command "$tabs" 40280                        # Reset Settings
answer_row "This action resets all current settings." 0     # OK, the box not ticked
wait_idle "$main"
[[ $(mode_ticked reset) == 0 ]] || fail "the reset left item(s) '$(ticked_items "$bin/e2e-reset-offline-mode-reset.bmp" 2)' ticked, not Standard (0)"
show_menu "$tabs" 48
menu_command "$tabs" 40147                        # Expert again: a change once more
wait_idle "$main"
[[ $(mode_ticked expert-again) == 1 ]] || fail "choosing Expert after the reset did not tick it"
trace_has "FT_Open\|PC>" && fail "offline mode talked to the device"
close_dropping "$main"
