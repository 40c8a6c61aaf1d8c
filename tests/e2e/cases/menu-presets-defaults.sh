# Preset > Copy Preset From > D and Current Preset Default by their menu ids, preset A on screen:
# each changes preset A alone and writes the whole tuning at once.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
prepare; set_com 1; start; splash 1
main=$(main_window) || fail "no main window"
sync_ok
wait_idle "$main"
tabs=$(tab_bar "$main") || fail "no tab bar"
save_setup "$main" "$work/tuning.bit"
patch_setup "$work/tuning.bit" "$work/levels.bit" levels
n=$(trace_count "PC>DEV  46 5A 00 06 A6")
open_file "$tabs" 3 40129 "$work/levels.bit"
write_done "$main" "$n"
# From D, then the defaults (-3 dB, byte 6): preset A's levels in each write.
copy_round "$tabs" "$main" 40144 $(seq 25 32)
copy_round "$tabs" "$main" 40140 6 6 6 6 6 6 6 6
close_dropping "$main"
