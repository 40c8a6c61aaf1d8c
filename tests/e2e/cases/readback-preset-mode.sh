# A unit whose read-all reports preset C (7D 02) and the Expert mode (CF 00): after the read-back the
# tab bar lights preset C, the Config menu ticks Expert, and the program queues the preset back to
# the unit, 7D 02 and then the accessory's notice 0F 03. Expert is the program's own mode too:
# choosing it again sends nothing, choosing Standard sends CF 01.
. "$(dirname "${BASH_SOURCE[0]}")/lib/menus.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
wine reg add 'HKCU\software\Morvane\Darvix' /v AskStdSwtLink /t REG_DWORD /d 1 /f >/dev/null 2>&1
online "[device]" "preset = 2" "working_mode = expert"
trace_has "DEV>PC  5A 46 00 07 7D 02 26" || fail "the unit did not report preset C"
trace_has "DEV>PC  5A 46 00 07 CF 00 76" || fail "the unit did not report the Expert mode"
wait_trace "PC>DEV  80 5A 00 07 0F 03 F3"
sent=$(tr -d '\r' < "$work/trace.txt" | awk '/PC>DEV  46 5A 00 07 7D/ || /PC>DEV  80 5A 00 07 0F/ {sub(/.*PC>DEV  /, ""); print}' |
       tr '\n' ',')
[[ $sent == "46 5A 00 07 7D 02 26,80 5A 00 07 0F 03 F3," ]] || fail "the preset went back as: $sent"

# Preset C lit: its tab looks as it does once the user picks C again, and unlike when A is picked.
tab_shot() {  # tab_shot NAME
    sleep 0.5
    drv shot "$tabs" "$work/$1.bmp" >/dev/null || fail "no screenshot of the tab bar"
}
tab_shot after-readback
cp "$work/after-readback.bmp" "$bin/e2e-readback-preset-mode-tabs.bmp"
drv click "$tabs" 320 8 || fail "could not click preset A"
wait_trace "PC>DEV  46 5A 00 07 7D 00 24"
tab_shot preset-a
drv click "$tabs" 390 8 || fail "could not click preset C"
for ((i = 0; i < 50; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 07 7D 02 26") -ge 2 ]] && break; sleep 0.1; done
tab_shot preset-c
python3 - "$work/after-readback.bmp" "$work/preset-a.bmp" "$work/preset-c.bmp" <<'PY' || fail "preset C is not lit after the read-back"
import struct, sys
def tabs(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    w, h = struct.unpack_from("<ii", data, 18)
    stride = (w * 3 + 3) & ~3
    # The four preset tabs: x 315..448, y 1..16 of the bar.
    return [data[offset + (h - 1 - y) * stride + 3 * 315: offset + (h - 1 - y) * stride + 3 * 449] for y in range(1, 17)]
read, a, c = (tabs(p) for p in sys.argv[1:])
sys.exit(0 if read == c and read != a else 1)
PY

# Expert ticked: the Working Mode submenu (the last item: Up, then Right), shot.
shot_config_submenu "$tabs" "$bin/e2e-readback-preset-mode-menu.bmp" 0x26 0x27
ticked=$(ticked_items "$bin/e2e-readback-preset-mode-menu.bmp" 2)
[[ $ticked == "1" ]] || fail "the Working Mode submenu ticks item(s) '$ticked', not Expert (1)"

mark=$(trace_lines)
show_menu "$tabs" 48
menu_command "$tabs" 40147                        # Expert: the mode it is in already
sleep 1
tail -n +"$((mark + 1))" "$work/trace.txt" | grep -q "PC>DEV  46 5A 00 07 CF" && fail "choosing Expert again sent the mode"
show_menu "$tabs" 48
menu_command "$tabs" 40146                        # Standard: remembered to go on without asking
wait_trace "PC>DEV  46 5A 00 07 CF 01 77"
close_dropping "$main"
