# Offline, closing with changes: the exit dialog's YES saves a setup file, and that file loads back
# in a new session with the same levels and tuning.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
prepare; set_com 1; start; splash 0
main=$(main_window) || fail "no main window"
wait_idle "$main"
tabs=$(tab_bar "$main") || fail "no tab bar"
# A tuning of its own: levels that differ per preset and channel, and an equaliser band raised.
save_file "$tabs" 3 40130 "$work/defaults.bit"; wait_idle "$main"
patch_setup "$work/defaults.bit" "$work/edited.bit" levels eq
open_file "$tabs" 3 40129 "$work/edited.bit"
wait_idle "$main"
drv post "$main" 0x8018 0 0 >/dev/null            # one more change: Expert mode
sleep 0.5
close_main "$main"
d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
    fail "no exit dialog"
press "$d" 30 168                                 # YES
dlg=$(drv wait '#32770' 'Save As' 20000) || fail "no save dialog"
drv item "$dlg" 1148 "$(winepath -w "$work/closing.bit")" || fail "no file-name field"
drv post "$dlg" 0x111 1 0 >/dev/null
expect_exit 0
[[ -s $work/closing.bit ]] || fail "no setup file written on closing"
same_levels "$work/closing.bit" "$work/edited.bit" || fail "the saved levels are not the loaded ones"
same_tuning "$work/closing.bit" "$work/edited.bit" || fail "the saved tuning is not the loaded one"
# A new session loads it and saves it again unchanged.
rm -f "$work/rc"
start; splash 0
main=$(main_window) || fail "no main window in the second session"
wait_idle "$main"
tabs=$(tab_bar "$main") || fail "no tab bar"
open_file "$tabs" 3 40129 "$work/closing.bit"
wait_idle "$main"
save_file "$tabs" 3 40130 "$work/again.bit"; wait_idle "$main"
# Byte for byte but for the working mode, which a load leaves as it is (Expert at the first closing).
setup_py 'a, b = read(sys.argv[1]), read(sys.argv[2])
sys.exit(a[:8] + a[12:] != b[:8] + b[12:] or struct.unpack_from("<I", a, 8)[0] != 0)' \
    "$work/closing.bit" "$work/again.bit" || fail "the setup did not load back as it was saved"
close_dropping "$main"
