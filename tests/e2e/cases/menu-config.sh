# The Config menu's commands by their ids: working mode and dynamic equalisation reach the device;
# the dynamic-equalisation dialog chosen in the menu closes and gives the main window back; a scan
# that ends unconnected leaves the program offline.
. "$(dirname "${BASH_SOURCE[0]}")/lib/menus.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
wine reg add 'HKCU\software\Morvane\Darvix' /v AskStdSwtLink /t REG_DWORD /d 0xffffffff /f >/dev/null 2>&1
online "[device]" "dyn_eq = mode 0"
# Working Mode: Expert, then Standard (asked first: OK).
show_menu "$tabs" 48
menu_command "$tabs" 40147
wait_trace "PC>DEV  46 5A 00 07 CF 00"
show_menu "$tabs" 48
menu_command "$tabs" 40146
answer_row "" 0                                   # OK
wait_trace "PC>DEV  46 5A 00 07 CF 01"
# Dynamic Equalization: Off, then On.
show_menu "$tabs" 48
menu_command "$tabs" 40283
wait_trace "PC>DEV  46 5A 00 07 95 00"
show_menu "$tabs" 48
menu_command "$tabs" 40282
wait_trace "PC>DEV  46 5A 00 07 95 01"
# Dynamic Equalization Wizard, chosen in the Config menu. The unit's dynamic equalisation is on
# (Easy), so closing the dialog uncalibrated would switch it off and asks first: Cancel keeps the
# dialog, the main window and the mode; OK sends the mode off, then the close, and gives the main
# window back.
choose_menu_item "$tabs" 48 3                   # I/O wizard, External Source, Dynamic Equalization Wizard
d=$(dyn_eq_dialog) || fail "no dynamic-equalisation dialog from the Config menu"
wait_trace "PC>DEV  46 5A 00 07 87 00"
[[ $(drv state "$main") == "0 0 "* ]] || fail "the main window is usable under the dialog: $(drv state "$main")"
dyn_click "$d" 993 4 23 21
answer_box "This action will disable Dynamic Equalization." 1      # Cancel
sleep 0.5
[[ $(drv state "$d") == "1 1 "* ]] || fail "Cancel closed the dialog"
[[ $(drv state "$main") == "0 0 "* ]] || fail "Cancel gave the main window back: $(drv state "$main")"
trace_has "PC>DEV  46 5A 00 08 8B 02" && fail "Cancel switched dynamic equalisation off"
from=$(( $(trace_lines) + 1 ))
dyn_click "$d" 993 4 23 21
answer_box "This action will disable Dynamic Equalization." 0      # OK
wait_trace "PC>DEV  46 5A 00 07 88 00"
wait_idle "$main"
[[ $(dyn_trace "$from") == "8B 02,88 00" ]] || fail "closing sent $(dyn_trace "$from")"
# Scan Port: the scan cancelled; the program goes offline (the poll thread says goodbye).
n=$(trace_count "PC>DEV  .. 5A 00 06 35")
show_menu "$tabs" 48
menu_command "$tabs" 40149
for ((i = 0; i < 300; ++i)); do
    dlg=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 {print $1; exit}')
    [[ -n $dlg ]] && break
    sleep 0.1
done
[[ -n $dlg ]] || fail "no scan dialog"
press "$dlg" 189 168                             # Cancel
main=$(main_window 60000) || fail "no main window after the scan"
wait_idle "$main"
for ((i = 0; i < 100; ++i)); do [[ $(trace_count "PC>DEV  .. 5A 00 06 35") -gt $n ]] && break; sleep 0.1; done
[[ $(trace_count "PC>DEV  .. 5A 00 06 35") -gt $n ]] || fail "no disconnect after the scan"
# Offline with changes: closing offers a setup file; NO closes.
close_main "$main"
d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
    fail "not offline after the scan"
press "$d" 110 168
expect_exit 0
