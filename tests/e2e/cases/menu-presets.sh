# Preset > Copy Preset From by its menu ids, preset A on screen: copying A onto itself does nothing;
# from B, preset A alone changes and the whole tuning is written at once.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
load_patched levels
# From A while A is on screen: nothing.
n=$(trace_count "PC>DEV  46 5A 00 06 A5")
show_menu "$tabs" 250
menu_command "$tabs" 40141
sleep 2
drv list | grep -q ' MYFRAMEWND 1 ' && fail "copying A onto A opened a dialog"
[[ $(trace_count "PC>DEV  46 5A 00 06 A5") == "$n" ]] || fail "copying A onto A wrote to the device"
# From B: preset A's levels in the write.
copy_round "$tabs" "$main" 40142 $(seq 9 16)
close_dropping "$main"
