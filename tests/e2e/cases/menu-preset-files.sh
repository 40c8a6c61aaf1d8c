# Preset > Save All Presets, Save Current Preset, Load All Presets and Load Current Preset by their
# menu ids: the files hold the levels they were saved with, and each load writes them to the device
# (a single preset into the preset on screen).
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
load_patched levels
# Both preset files, with preset A on screen.
save_file "$tabs" 250 40136 "$work/all.prs"
wait_idle "$main"
save_file "$tabs" 250 40138 "$work/a.pro"
wait_idle "$main"
for f in all.prs a.pro; do
    [[ $(head -c 6 "$work/$f") == preset ]] || fail "$f is not a preset file"
done
[[ $(stat -c %s "$work/all.prs") -gt $(stat -c %s "$work/a.pro") ]] || fail "the single preset is not the smaller file"
# Preset D on screen: preset A's file loads into D alone.
drv click "$tabs" 430 5 >/dev/null
wait_trace "PC>DEV  46 5A 00 07 7D 03"
wait_idle "$main"
n=$(trace_count "PC>DEV  46 5A 00 06 A6")
open_file "$tabs" 250 40137 "$work/a.pro"
write_done "$main" "$n"
[[ $(written_levels) == "$(expected_levels $(seq 1 24) $(seq 1 8))" ]] ||
    fail "Load Current Preset did not write preset A's levels into D alone"
# All presets from their file: preset D as it was saved.
n=$(trace_count "PC>DEV  46 5A 00 06 A6")
open_file "$tabs" 250 40135 "$work/all.prs"
write_done "$main" "$n"
[[ $(written_levels) == "$(expected_levels $(patched_bytes))" ]] || fail "Load All Presets did not write its levels"
close_dropping "$main"
