# File > FINALIZE to Darvix on a unit whose FINALIZE fails: the failure is shown, the changes stay
# marked and closing still asks about them.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online "[device]" "finalize_result = 0"
drv post "$main" 0x8018 0 0 >/dev/null          # a change: Expert mode
wait_trace "PC>DEV  46 5A 00 07 CF 00"
show_menu "$tabs" 3
menu_command "$tabs" 40266
d=$(dialog "$finalize_warning") || fail "no FINALIZE warning"
press "$d" 50 160                                 # YES
wait_trace "PC>DEV  46 5A 00 06 C9"
# The unit answers with a result word of 0.
wait_trace "DEV>PC  5A 46 00 09 CB 00 00"
d=$(dialog "$update_failed" 30000) || fail "no failure text"
drv shot "$d" "$bin/e2e-finalize-menu-failed.bmp" >/dev/null
press "$d" 110 160                                # OK
wait_idle "$main"
[[ $(trace_count "PC>DEV  46 5A 00 06 C9") == 1 ]] || fail "FINALIZE was sent more than once"
close_main "$main"
d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") ||
    fail "closing did not ask after the failed FINALIZE"
press "$d" 110 168                                # NO
expect_exit 0
