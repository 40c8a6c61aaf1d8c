# The unit is pulled out during a write to the device: while the failure is shown, the device
# panel already says "Comunication Error." (the disconnect question waits for the dialog's end),
# and after OK it does not claim "darvix connected." for a unit that is gone.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/screens.sh"
online "[device]" "unplug_after_command = 0xA5 20"
[[ $(device_lines "$main") == *"darvix connected."* ]] || fail "not connected at first: $(device_lines "$main")"
d=$(write_to_device "$main" "$update_failed") || fail "the write did not fail"
drv list | grep -q "riconnect" && fail "the question came over the dialog"
lines=$(device_lines "$main")
[[ $lines == *"Comunication Error."* ]] || fail "no error while the failure is shown: $lines"
[[ $lines == *"darvix connected"* ]] && fail "connected while the failure is shown: $lines"
drv shot "$main" "$bin/e2e-write-unplug-status.bmp" >/dev/null
press "$d" 110 160                              # OK
box=$(drv wait '#32770' "'darvix' device disconnected. Try to riconnect." 20000) || fail "no disconnect question"
lines=$(device_lines "$main")
[[ $lines == *"Comunication Error."* && $lines != *"darvix connected"* ]] ||
    fail "after OK the panel says: $lines"
answer_box "'darvix' device disconnected. Try to riconnect." 1   # Cancel: offline
wait_idle "$main"
[[ $(device_lines "$main") != *"darvix connected"* ]] || fail "offline and still connected: $(device_lines "$main")"
close_dropping "$main"
