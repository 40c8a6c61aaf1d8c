# A unit with its remote control: the read-back shows the Vexa with its version; a write to the
# device and another read-back leave it so (the end of a write passes no remote state).
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/screens.sh"
online "[device]" "accessory = yes" "remote = 5.2"
vexa="Vexa connected (ver. 5.02)"
[[ $(device_lines "$main") == *"$vexa"* ]] || fail "no remote after the read-back: $(device_lines "$main")"
d=$(write_to_device "$main" "$updated") || fail "the write did not succeed"
press "$d" 110 160
wait_idle "$main"
[[ $(device_lines "$main") == *"darvix connected."* ]] || fail "not connected after the write: $(device_lines "$main")"
n=$(trace_count " 92 38")
show_menu "$tabs" 3
menu_command "$tabs" 40269                      # File > Synchronize > Pc <- Darvix
for ((i = 0; i < 100; ++i)); do [[ $(trace_count " 92 38") -gt $n ]] && break; sleep 0.1; done
sync_ok
wait_idle "$main"
lines=$(device_lines "$main")
[[ $lines == *"$vexa"* ]] || fail "after a write and a read-back the panel says: $lines"
drv shot "$main" "$bin/e2e-vexa-after-write.bmp" >/dev/null
close_dropping "$main"
