# The output levels' round trip: a setup's levels and a fader moved on the output-level page go to
# the unit (the load's write and the idle send cycle); another unit's read-back replaces them on the
# PC; the first unit's read-back brings every level back to its 0.5 dB step.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online "[device]" "[device]" "description = Darvix B"
load_patched levels
[[ $(written_levels) == "$(expected_levels $(patched_bytes))" ]] || fail "the write did not carry the loaded levels"
# The output-level page: channel 1's fader of preset A ten wheel notches down.
drv click "$tabs" 880 20 >/dev/null
for ((i = 0; i < 50; ++i)); do
    fader=$(drv children "$main" | awk '$2 == "SLIDERFX" && $3 == 1 && $6 == 34 && $7 == 229 && $NF == 0 {print $1; exit}')
    [[ -n $fader ]] && break
    sleep 0.1
done
[[ -n $fader ]] || fail "no fader of channel 1"
edits=$(trace_count "PC>DEV  46 5A 00 09 7E")
for ((k = 0; k < 10; ++k)); do drv post "$fader" 0x20A 0xFF880000 0 >/dev/null; done
for ((i = 0; i < 100; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 09 7E") -gt $edits ]] && break; sleep 0.1; done
sleep 2
sent=$(grep "PC>DEV  46 5A 00 09 7E" "$work/trace.txt" | tail -n +$((edits + 1)))
[[ -n $sent ]] || fail "the moved fader sent nothing"
echo "$sent" | awk '$11 != "00" || $12 != "00" {bad = 1} END {exit bad}' || fail "other levels were sent: $sent"
edited=$((16#$(echo "$sent" | tail -n 1 | awk '{print $13}')))
(( edited > 1 )) || fail "the fader did not lower the level (byte $edited)"
drv shot "$main" "$bin/e2e-levels-edited.bmp" >/dev/null
# The second unit: its own (default) levels replace those on the PC.
show_menu "$tabs" 48
menu_command "$tabs" 58001
for ((i = 0; i < 100; ++i)); do [[ $(get_com) == 0x2* ]] && break; sleep 0.1; done
sync_ok
wait_idle "$main"
save_file "$tabs" 3 40130 "$work/second.bit"
wait_idle "$main"
[[ $(setup_levels "$work/second.bit" | head -n 32 | sort -u) == "-3" ]] || fail "the second unit's levels did not replace them"
# Back to the first unit: its read-back brings the levels as they were sent.
show_menu "$tabs" 48
menu_command "$tabs" 58000
for ((i = 0; i < 100; ++i)); do [[ $(get_com) == 0x1* ]] && break; sleep 0.1; done
sync_ok
wait_idle "$main"
save_file "$tabs" 3 40130 "$work/back.bit"
wait_idle "$main"
expected=$( (echo "$edited"; seq 2 32) | awk '{printf "%g\n", -$1 / 2}')
[[ $(setup_levels "$work/back.bit" | head -n 32) == "$expected" ]] ||
    fail "the levels read back are not those sent: $(setup_levels "$work/back.bit" | head -n 32 | tr '\n' ' ')"
close_dropping "$main"
