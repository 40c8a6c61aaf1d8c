# The File menu's Credits, Update Firmware and Reset Settings by their ids.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
# Credits: the picture without the mode choice; a double click closes it.
show_menu "$tabs" 3
menu_command "$tabs" 40131
dlg=$(drv wait '#32770' '*' 20000) || fail "no credits"
combo=$(drv child "$dlg" ComboBox) || fail "no mode choice in the dialog"
[[ $(drv state "$combo" | cut -d' ' -f1) == 0 ]] || fail "the credits show the mode choice"
sleep 0.5
drv shot "$dlg" "$bin/e2e-credits.bmp" >/dev/null
drv dblclick "$dlg" 20 20 || fail "could not close the credits"
drv wait-gone "$dlg" 10000 || fail "the credits stayed"
wait_idle "$main"
# Update Firmware: the image is chosen first; cancelled, nothing goes to the device.
show_menu "$tabs" 3
menu_command "$tabs" 40271
dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog for the firmware image"
drv post "$dlg" 0x111 2 0 >/dev/null              # IDCANCEL
drv wait-gone "$dlg" 10000 || fail "the open dialog stayed"
wait_idle "$main"
sleep 1
[[ $(firmware_frames) == 0 ]] || fail "firmware frames went out"
# Reset Settings: NO leaves the unit alone; YES resets it, then the restart box.
show_menu "$tabs" 3
menu_command "$tabs" 40280
answer_box "This action resets all current settings.Are you sure?" 1   # NO
wait_idle "$main"
sleep 1
trace_has "PC>DEV  46 5A 00 06 D6" && fail "reset after NO"
show_menu "$tabs" 3
menu_command "$tabs" 40280
answer_box "This action resets all current settings.Are you sure?" 0   # YES
wait_trace "PC>DEV  46 5A 00 06 D6"
answer_box "Close this application and restart 'darvix' device." 0
close_main "$main"                                 # after the restart box it closes at once
expect_exit 0
