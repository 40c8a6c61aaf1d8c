# Every page and dialog of the program in its main states, each saved as e2e-tour-*.bmp beside
# the program: the three pages, the questions and results of the write and FINALIZE, the exit
# dialog, a message box, the dynamic-equalisation dialog (compact and advanced), the scan, the
# read-back and every step of the I/O wizard. Each window must come at the size its skin gives.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
shot() { sleep 0.5; drv shot "$1" "$bin/e2e-tour-$2.bmp" >/dev/null || fail "no screenshot $2"; }
size_is() { [[ $(drv state "$1" | awk '{print $5 "x" $6}') == "$2" ]] || fail "$3 is $(drv state "$1" | awk '{print $5 "x" $6}'), not $2"; }
shot "$main" dsp
drv click "$tabs" 880 20 >/dev/null; shot "$main" levels
drv click "$tabs" 780 20 >/dev/null; shot "$main" sources
drv click "$tabs" 620 20 >/dev/null; shot "$main" dsp-again
# The write's question, then its result.
drv post "$main" 0x8036 1 0 >/dev/null
d=$(dialog "$overwrite") || fail "no write question"
shot "$d" write-question
press "$d" 50 160                           # YES
d=$(dialog "$updated" 120000) || fail "no write result"
shot "$d" write-done
press "$d" 110 160
wait_idle "$main"
drv post "$main" 0x8036 1 1 >/dev/null      # FINALIZE: its warning, NO
d=$(dialog "$finalize_warning") || fail "no FINALIZE warning"
shot "$d" finalize-warning
press "$d" 170 160
wait_idle "$main"
# A message box of the program.
drv post "$main" 0x80A0 0 0 >/dev/null      # File > Reset Settings
box=$(drv wait '#32770' "This action resets all current settings.Are you sure?" 20000) || fail "no reset question"
shot "$box" message-box
size_is "$box" 300x220 "the message box"
answer_box "This action resets all current settings.Are you sure?" 1   # NO
wait_idle "$main"
# The dynamic-equalisation dialog: off, then Advanced.
d=$(dyn_eq_open "$main") || fail "no dynamic-equalisation dialog"
wait_trace "PC>DEV  46 5A 00 07 87 00"
shot "$d" dyneq-compact
# The mode switches are a radio group: Advanced opens the full face, Easy cuts it to 261 rows.
height_is() {  # height_is WINDOW ROWS
    for ((i = 0; i < 50; ++i)); do [[ $(drv state "$1" | awk '{print $6}') == "$2" ]] && return 0; sleep 0.1; done
    fail "the dynamic-equalisation dialog is $(drv state "$1" | awk '{print $6}') rows high, not $2"
}
dyn_click "$d" 11 79 120 19                 # Advanced
height_is "$d" 481
shot "$d" dyneq-advanced
dyn_click "$d" 11 59 120 19                 # Easy: the compact face again
height_is "$d" 261
shot "$d" dyneq-compact-again
dyn_click "$d" 993 4 23 21
drv wait '#32770' "This action will disable Dynamic Equalization." 2000 >/dev/null &&
    answer_box "This action will disable Dynamic Equalization." 0
wait_idle "$main"
# The read-back from the menu.
show_menu "$tabs" 3
menu_command "$tabs" 40269
d=$(dialog SyncDspDlg 20000) && shot "$d" sync-running
sync_ok
wait_idle "$main"
# The scan from the menu: the unit found.
drv post "$main" 0x8031 1 0 >/dev/null
d=$(scan_found "Darvix") || fail "the scan did not find the unit"
shot "$d" scan-found
press "$d" 31 168
sync_ok
wait_idle "$main"
# The I/O wizard, every step.
show_menu "$tabs" 48
menu_command "$tabs" 40133
d=$(wizard) || fail "no wizard"
n=$(trace_count "PC>DEV  46 5A 00 06 A6")
wizard_walk "$d" e2e-tour-wizard
write_done "$main" "$n"                     # the new layout goes to the unit at once
shot "$main" dsp-after-wizard
close_dropping "$main"
