# A setup holds no mutes: output 4 muted on the channel map, then the setup saved and loaded. The
# load leaves every output unmuted, and the three places that hold the mutes must agree: the unit
# gets 'y' 00, and a click on output 4's mute switch of the output-level page (or on the map)
# mutes it again ('y' 08) instead of unmuting what already reads as open.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/screens.sh"
online
page=$(tuning_page "$main") || fail "no tuning page"
map=$(channel_map "$page") || fail "no channel map"
mark=$(trace_lines)
drv click "$map" 30 $((35 + 28 * 3 + 14)) >/dev/null      # the mute zone of row 4 (output 3)
wait_sent "$mark" "y 08"
save_setup "$main" "$work/muted.bit"
mark=$(trace_lines)
n=$(trace_count "PC>DEV  46 5A 00 06 A6")
open_file "$tabs" 3 40129 "$work/muted.bit"
write_done "$main" "$n"
wait_sent "$mark" "y 00"
sleep 0.5
drv shot "$page" "$bin/e2e-mutes-loaded-map.bmp" >/dev/null
# The output-level page: its eight mute switches (21 x 20), left to right.
drv click "$tabs" 880 20 >/dev/null
mute=""
for ((i = 0; i < 50; ++i)); do
    mute=$(drv children "$main" | awk '$2 == "MYBTNWND" && $3 == 1 && $6 == 21 && $7 == 20 {print $4, $1}' |
           sort -n | awk 'NR == 4 {print $2}')
    [[ -n $mute ]] && break
    sleep 0.1
done
[[ -n $mute ]] || fail "no mute switch of output 4 on the output-level page"
sleep 0.5
drv shot "$main" "$bin/e2e-mutes-loaded-levels.bmp" >/dev/null
mark=$(trace_lines)
drv click "$mute" 5 5 >/dev/null
wait_sent "$mark" "y 08"
[[ $(count_sent "$mark" y) == 1 ]] || fail "more than one mute mask went: $(sent_since "$mark" | grep '^y ' | tr '\n' ' ')"
close_dropping "$main"
