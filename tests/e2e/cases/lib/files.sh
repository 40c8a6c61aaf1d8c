# Helpers of the cases in this folder: the program started online, the File and Preset menus and
# the files they write.

# The program in "Target" against the units the arguments add to the scenario, read back and idle:
# sets main and tabs.
online() {  # online [SCENARIO_LINE...]
    prepare; set_com 1
    [[ $# -gt 0 ]] && scenario "$@"
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    tabs=$(tab_bar "$main") || fail "no tab bar"
}
# The setup on screen saved (once), patched as patch_setup does, loaded by File > Load Setup and
# written to the device; the patched file is $work/PATCH.bit.
load_patched() {  # load_patched PATCH...
    local n
    [[ -s $work/tuning.bit ]] || save_setup "$main" "$work/tuning.bit"
    patch_setup "$work/tuning.bit" "$work/$1.bit" "$@"
    n=$(trace_count "PC>DEV  46 5A 00 06 A6")
    open_file "$tabs" 3 40129 "$work/$1.bit"
    write_done "$main" "$n"
}

# A menu command that opens the system's Open dialog, answered with FILE.
open_file() {  # open_file TAB_BAR BUTTON_LEFT COMMAND FILE
    local dlg
    show_menu "$1" "$2"
    menu_command "$1" "$3"
    dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog after $3"
    drv item "$dlg" 1148 "$(winepath -w "$4")" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    drv wait-gone "$dlg" 10000 || fail "the open dialog stayed"
}
# A menu command that opens the system's Save As dialog, answered with FILE; waits for the file.
save_file() {  # save_file TAB_BAR BUTTON_LEFT COMMAND FILE
    local dlg
    rm -f "$4"
    show_menu "$1" "$2"
    menu_command "$1" "$3"
    dlg=$(drv wait '#32770' 'Save As' 20000) || fail "no save dialog after $3"
    drv item "$dlg" 1148 "$(winepath -w "$4")" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    for ((i = 0; i < 100; ++i)); do [[ -s $4 ]] && break; sleep 0.1; done
    [[ -s $4 ]] || fail "no file written by $3"
}
# The end of a write the program started by itself (after a load or a copy): its success, OK.
write_done() {  # write_done MAIN A6_COUNT_BEFORE
    for ((i = 0; i < 600; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 06 A6") -gt $2 ]] && break; sleep 0.1; done
    [[ $(trace_count "PC>DEV  46 5A 00 06 A6") -gt $2 ]] || fail "no write to the device"
    local d
    d=$(dialog "$updated" 30000) || fail "no write result"
    press "$d" 110 160
    wait_idle "$1"
}
# The frames of the last complete write (its 0xA5 to its 0xA6), as the trace shows them.
last_write() {
    awk '/PC>DEV  46 5A 00 06 A5/ {block = ""; on = 1} on {block = block $0 "\n"}
         /PC>DEV  46 5A 00 06 A6/ {on = 0; last = block} END {printf "%s", last}' "$work/trace.txt"
}
# Its channel levels: "preset channel byte" a line.
written_levels() { last_write | awk '/PC>DEV  46 5A 00 09 7E/ {print $11, $12, $13}'; }
# The level frames a write must carry: "preset channel byte" a line for 32 channel bytes given in
# preset order (the byte is twice the attenuation in dB).
expected_levels() {
    local k=0
    for b in "$@"; do printf '%02X %02X %02X\n' $((k / 8)) $((k % 8)) "$b"; k=$((k + 1)); done
}
# The bytes of the levels patch_setup writes: 1 + 8 * preset + channel.
patched_bytes() { seq 1 32; }
# A load refused with a message that names the file: the message, then OK.
refused() {  # refused FILE_NAME
    local found="" box
    for ((i = 0; i < 200; ++i)); do
        [[ -n $found ]] && break
        box=$(drv list | awk -v n="$1" '$2 == "#32770" && $3 == 1 && index($0, n) {print $1; exit}')
        if [[ -n $box ]]; then
            drv text "$box"
            answer_box "$(drv text "$box")" 0; found=skinned
        elif box=$(drv wait '#32770' darvix 50) && drv statics "$box" | grep -q "$1"; then
            drv statics "$box"
            drv button "$box" OK >/dev/null; found=system
        fi
        sleep 0.1
    done
    [[ -n $found ]] || fail "no message naming $1"
}

# A Preset menu command that changes preset A (of levels as patch_setup writes them) and writes the
# tuning: preset A's level bytes in that write, the other presets' as they were.
copy_round() {  # copy_round TAB_BAR MAIN COMMAND PRESET_A_BYTES...
    local tabs=$1 main=$2 command=$3 n
    shift 3
    n=$(trace_count "PC>DEV  46 5A 00 06 A6")
    show_menu "$tabs" 250
    menu_command "$tabs" "$command"
    write_done "$main" "$n"
    [[ $(written_levels) == "$(expected_levels "$@" $(seq 9 32))" ]] || fail "$command: not the levels expected"
}

# Setup files: a tuning section, then the output levels (a count and 34 values: four presets of
# eight channels, master, subwoofer), then two sections of fixed size (9964 and 24972 bytes).
setup_py() {  # setup_py SCRIPT ARGS... (the script gets the helpers below)
    local script=$1; shift
    python3 - "$@" <<PY
import struct, sys
def levels_at(b):
    at = len(b) - 24972 - 9964 - 140
    count, = struct.unpack_from("<i", b, at)
    if count != 34:
        sys.exit("no output-level section where expected (count %d)" % count)
    return at
def levels(b):
    return list(struct.unpack_from("<34f", b, levels_at(b) + 4))
def eq_gains(b, preset):
    record = 12 + 40580 * preset + 4
    return list(struct.unpack_from("<31f", b, record + 92))
def read(path):
    return bytearray(open(path, "rb").read())
$script
PY
}
# A copy of a setup with levels of its own (-0.5 dB times 1 + 8 * preset + channel; master and
# subwoofer as they were), channel 6 of preset A at +3 dB (refused: above 0 dB), every preset's first output's 1 kHz band raised by 6 dB, or the levels
# of the setups the program wrote before its output-level page (all 34 values 0).
patch_setup() {  # patch_setup IN OUT levels|eq|zero...
    setup_py '
b = read(sys.argv[1])
for what in sys.argv[3:]:
    at = levels_at(b)
    if what == "levels":
        for k in range(32):
            struct.pack_into("<f", b, at + 4 + 4 * k, -0.5 * (1 + k))
    elif what == "loud":
        struct.pack_into("<f", b, at + 4 + 4 * 5, 3.0)
    elif what == "zero":
        struct.pack_into("<i34f", b, at, 34, *([0.0] * 34))
    elif what == "eq":
        for p in range(4):
            struct.pack_into("<f", b, 12 + 40580 * p + 4 + 92 + 4 * 17, 6.0)
open(sys.argv[2], "wb").write(bytes(b))' "$@" || fail "cannot patch $1"
}
same_levels() { setup_py 'sys.exit(levels(read(sys.argv[1])) != levels(read(sys.argv[2])))' "$1" "$2"; }
same_tuning() {
    setup_py 'a, b = read(sys.argv[1]), read(sys.argv[2])
sys.exit(any(eq_gains(a, p) != eq_gains(b, p) for p in range(4)) or eq_gains(a, 0)[17] != 6.0)' "$1" "$2"
}
# The 34 values of a setup's output levels, one a line.
setup_levels() { setup_py 'print("\n".join("%g" % v for v in levels(read(sys.argv[1]))))' "$1"; }
# Closes the program; when it asks about changes, NO.
close_dropping() {
    close_main "$1"
    local d
    if d=$(drv wait MYFRAMEWND "*" 3000) && [[ $(drv text "$d") == *"changed"* ]]; then press "$d" 110 168; fi
    expect_exit 0
}
# Until the I/O wizard is no longer shown (closed or hidden), for up to 10 s.
wizard_closed() {  # wizard_closed DIALOG
    for ((i = 0; i < 100; ++i)); do [[ $(drv state "$1") != "1 "* ]] && return 0; sleep 0.1; done
    return 1
}
