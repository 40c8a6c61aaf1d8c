# The Config menu's commands by their ids: working mode and dynamic equalisation reach the device;
# the wizard and the dynamic equalisation dialog open and close; a scan that ends unconnected leaves
# the program offline.
. "$(dirname "${BASH_SOURCE[0]}")/lib/menus.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
wine reg add 'HKCU\software\Morvane\Darvix' /v AskStdSwtLink /t REG_DWORD /d 0xffffffff /f >/dev/null 2>&1
online
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
# The wizard: opened from the menu, cancelled on its first step, the main window back.
show_menu "$tabs" 48
menu_command "$tabs" 40133
d=$(wizard) || fail "no wizard"
wizard_next "$d"
wizard_press "$d" 189 330                        # Cancel
wait_idle "$main"
# The dynamic equalisation dialog: opened from the menu and closed; closing it uncalibrated switches
# dynamic equalisation off, which is asked first (OK).
show_menu "$tabs" 48
menu_command "$tabs" 40148
for ((i = 0; i < 200; ++i)); do
    d=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 && $6 == 1019 {print $1; exit}')
    [[ -n $d ]] && break
    sleep 0.1
done
[[ -n $d ]] || fail "no dynamic-equalisation dialog"
dyn_click "$d" 993 4 23 21
if drv wait '#32770' "This action will disable Dynamic Equalization." 5000 >/dev/null; then
    answer_box "This action will disable Dynamic Equalization." 0
fi
wait_idle "$main"
# Scan Port: the scan ends unconnected; the program goes offline (the poll thread says goodbye).
n=$(trace_count "PC>DEV  .. 5A 00 06 35")
show_menu "$tabs" 48
menu_command "$tabs" 40149
wait_idle "$main"
for ((i = 0; i < 100; ++i)); do [[ $(trace_count "PC>DEV  .. 5A 00 06 35") -gt $n ]] && break; sleep 0.1; done
[[ $(trace_count "PC>DEV  .. 5A 00 06 35") -gt $n ]] || fail "no disconnect after the scan"
# Offline with changes: closing offers a setup file; NO closes.
close_main "$main"
d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
    fail "not offline after the scan"
press "$d" 110 168
expect_exit 0
