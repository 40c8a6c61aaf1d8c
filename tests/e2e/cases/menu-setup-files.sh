# File > Save Setup and Load Setup by their menu ids: the levels of a loaded setup reach the device
# in the write that follows the load; a setup with a level above 0 dB is refused and changes nothing.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
save_file "$tabs" 3 40130 "$work/tuning.bit"
wait_idle "$main"
[[ $(stat -c %s "$work/tuning.bit") -gt 162000 ]] || fail "the setup file is too small"
# Levels of its own: every channel's byte in the write that follows the load.
patch_setup "$work/tuning.bit" "$work/levels.bit" levels
n=$(trace_count "PC>DEV  46 5A 00 06 A6")
open_file "$tabs" 3 40129 "$work/levels.bit"
write_done "$main" "$n"
[[ $(written_levels) == "$(expected_levels $(patched_bytes))" ]] || fail "the write did not carry the loaded levels"
save_file "$tabs" 3 40130 "$work/after-levels.bit"
wait_idle "$main"
same_levels "$work/after-levels.bit" "$work/levels.bit" || fail "the saved levels are not the loaded ones"
# A level above 0 dB: refused with the file's name, nothing written, nothing changed.
patch_setup "$work/tuning.bit" "$work/loud.bit" levels loud
n=$(trace_count "PC>DEV  46 5A 00 06 A5")
open_file "$tabs" 3 40129 "$work/loud.bit"
text=$(refused loud.bit)
[[ $text == *"outside -127.5 to 0 dB"* ]] || fail "no reason given: $text"
wait_idle "$main"
sleep 1
[[ $(trace_count "PC>DEV  46 5A 00 06 A5") == "$n" ]] || fail "a refused file was written to the device"
save_file "$tabs" 3 40130 "$work/after-loud.bit"
wait_idle "$main"
cmp -s "$work/after-levels.bit" "$work/after-loud.bit" || fail "the refused file changed the tuning"
close_dropping "$main"
