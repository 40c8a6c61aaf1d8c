# The Config menu's commands by their ids: working mode and dynamic equalisation reach the device;
# a scan that ends unconnected leaves the program offline.
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
