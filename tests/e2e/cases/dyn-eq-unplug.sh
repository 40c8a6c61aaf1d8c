# The unit vanishes while the dynamic-equalisation dialog is open. The question about the link waits
# until the dialog has closed (over the dialog, the scan it may start would never run); asked then,
# OK starts a scan that runs and finds nothing; Cancel there leaves the program offline and usable.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
lost="'darvix' device disconnected. Try to riconnect."
online "[device]" "unplug_on_command = 0x87"
d=$(dyn_eq_open "$main") || fail "no dynamic-equalisation dialog"
wait_trace "GONE    unplugged"
# Advanced: the mode message meets no unit.
dyn_click "$d" 11 79 120 19
drv wait '#32770' "$lost" 3000 >/dev/null && fail "the link question came over the dialog"
[[ $(drv state "$d") == "1 1 "* ]] || fail "the dialog is not usable: $(drv state "$d")"
# Closing would switch dynamic equalisation off: asked first (OK); then the link question.
dyn_click "$d" 993 4 23 21
answer_box "This action will disable Dynamic Equalization." 0
answer_box "$lost" 0                                            # OK: scan
[[ $(drv state "$d") == "0 "* ]] || fail "the dialog stayed open"
dlg=$(dialog "$not_found" 60000) || fail "the scan never ran"
press "$dlg" 189 168                                            # Cancel: offline
wait_idle "$main"
close_main "$main"
d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
    fail "not offline after the scan"
press "$d" 110 168                                              # NO
expect_exit 0
