#!/usr/bin/env bash
# End-to-end cases: darvix.exe under Wine, driven by darvix_driver.exe, against our simulated
# ftd2xx.dll. Run by CTest inside the Wine test session (WINEPREFIX and DISPLAY are set).
# Usage: e2e.sh BIN_DIR CASE
set -uo pipefail
[[ -n ${E2E_DEBUG:-} ]] && set -x
bin=$(realpath "$1")
case_name=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/darvix-e2e.XXXXXX")
cleanup() {
    # A case that failed may leave the program running: end it, or CTest waits for its output.
    [[ -f $work/rc ]] || wine taskkill /f /im darvix.exe >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all

fail() {
    echo "FAIL ($case_name): $*" >&2
    [[ -f $work/trace.txt ]] && tail -n 30 "$work/trace.txt" >&2
    # The driver runs that did not succeed last: a time-out says so, a run that ended at once
    # without saying anything is the driver or Wine failing, not the program being slow.
    [[ -s $work/driver.log ]] && { echo "-- the last unsuccessful driver runs:"; tail -n 12 "$work/driver.log"; } >&2
    exit 1
}
# The driver, with Wine's diagnostics (an X display it could not open, a crash) and its own on
# stderr; each unsuccessful run goes into driver.log with its exit code and time.
drv() {
    local begin=${EPOCHREALTIME/./} rc
    WINEDEBUG=-all,err+winediag,err+seh wine "$work/darvix_driver.exe" "$@" 2>"$work/driver-err.txt" | tr -d '\r'
    rc=${PIPESTATUS[0]}
    if ((rc != 0)); then
        printf 'driver %s: exit %d after %d ms\n' "$*" "$rc" $(((${EPOCHREALTIME/./} - begin) / 1000))
        tr -d '\r' <"$work/driver-err.txt" | sed 's/^/    /'
    fi >>"$work/driver.log"
    return "$rc"
}

# The program's folder: the program, the driver and (unless told otherwise) our simulated driver.
prepare() {  # prepare [dll|nodll|noreload]
    local scenario_file trace_file
    cp "$bin/darvix.exe" "$bin/darvix_driver.exe" "$work/" || fail "could not copy the program"
    case "${1:-dll}" in
        dll) cp "$bin/ftd2xx.dll" "$work/" ;;
        noreload) cp "$bin/sim_dll/no_reload/ftd2xx.dll" "$work/" ;;
        nodll) ;;
    esac || fail "could not copy the simulated driver"
    : > "$work/scenario.txt"
    # An empty name would let the unit run without its scenario and write no trace.
    scenario_file=$(winepath -w "$work/scenario.txt") && [[ -n $scenario_file ]] ||
        fail "winepath gave no name for the scenario file"
    trace_file=$(winepath -w "$work/trace.txt") && [[ -n $trace_file ]] ||
        fail "winepath gave no name for the trace file"
    export DARVIX_SIM_SCENARIO=$scenario_file
    echo "trace = $trace_file" >> "$work/scenario.txt"
}
scenario() { printf '%s\n' "$@" >> "$work/scenario.txt"; }
set_com() { wine reg add 'HKCU\software\Morvane\Darvix' /v Com /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
get_com() { wine reg query 'HKCU\software\Morvane\Darvix' /v Com 2>/dev/null | tr -d '\r' | awk '/Com/ {print $3}'; }

start() {
    # A scenario that names no unit gets one healthy unit, as the driver without a scenario has.
    grep -q '^\[device\]' "$work/scenario.txt" || echo "[device]" >> "$work/scenario.txt"
    (cd "$work" && wine darvix.exe >"$work/out.txt" 2>&1; echo $? >"$work/rc") </dev/null >/dev/null 2>&1 &
}
# The exit code of the program, waiting up to $1 seconds.
exit_code() {
    local limit=$(( ${1:-30} * 10 ))
    for ((i = 0; i < limit; ++i)); do
        [[ -f $work/rc ]] && { cat "$work/rc"; return 0; }
        sleep 0.1
    done
    echo timeout
}
# The start-up dialog: choose a connection mode (0 Offline, 1 Target, 2 Rescue Mode), confirm.
splash() {
    local dlg combo
    dlg=$(drv wait '#32770' '' 20000) || fail "no start-up dialog"
    if [[ ${1:-1} != 1 ]]; then
        combo=$(drv child "$dlg" ComboBox) || fail "no mode choice"
        drv send "$combo" 0x14E "$1" 0 >/dev/null          # CB_SETCURSEL
        drv post "$dlg" 0x111 $(( (1 << 16) | 1001 )) "0x$combo"  # WM_COMMAND CBN_SELCHANGE
    fi
    drv dblclick "$dlg" 20 20 || fail "could not confirm the start-up dialog"
}
main_window() { drv wait DIALOGUIMODULE darvix "${1:-20000}"; }
# Visible and enabled main window, with no dialog over it.
wait_idle() {
    local main=$1
    for ((i = 0; i < 300; ++i)); do
        [[ $(drv state "$main") == "1 1 "* ]] && ! drv list | grep -q ' MYFRAMEWND 1 ' && return 0
        sleep 0.1
    done
    fail "the main window did not become free"
}
# A message box of the program (the text is its window text), answered with the button at index
# n of its visible buttons (left to right).
answer_box() {  # answer_box TEXT BUTTON_INDEX
    local box btn
    box=$(drv wait '#32770' "$1" 20000) || fail "no box \"$1\""
    btn=$(drv children "$box" | awk '$2 == "MYBTNWND" && $3 == 1 {print $4, $1}' | sort -n | awk '{print $2}' |
          sed -n "$(( ${2:-0} + 1 ))p")
    [[ -n $btn ]] || fail "no button in \"$1\""
    drv click "$btn" 5 5 || fail "could not press the button"
}
# The system's "Warning" box of the firmware check: its text, then OK.
warning_text() {
    local box
    box=$(drv wait '#32770' Warning 20000) || fail "no Warning box"
    drv statics "$box"
    drv button "$box" OK >/dev/null || fail "could not press OK"
}
# A dialog of the program by the text it shows last (its window text).
dialog() { drv wait MYFRAMEWND "$1" "${2:-20000}"; }
# Presses the button of a dialog at client (X, Y) once it is enabled (W H: 78 39 unless given).
press() {  # press DIALOG X Y [W H]
    local b=""
    # Looked up again while waiting: a dialog that has just changed its face may still be placing it.
    for ((i = 0; i < 200; ++i)); do
        b=$(drv child "$1" MYBTNWND "$2" "$3" "${4:-78}" "${5:-39}") &&
            [[ $(drv state "$b") == "1 1 "* ]] && { drv click "$b" 5 5 || fail "could not press"; return 0; }
        sleep 0.1
    done
    [[ -n $b ]] || fail "no button at $2,$3"
    fail "the button at $2,$3 never became usable"
}
ok_text="Synchronization to 'darvix' completed with success."
# The read-back's dialog after a success: OK.
sync_ok() {
    local d
    d=$(dialog "$ok_text" "${1:-30000}") || fail "no read-back success"
    press "$d" 110 160
}
updated="'darvix' successfully updated."
update_failed="'darvix' update failed."
kept="'darvix' update failed. Your changes were not stored; the program stays open."
overwrite="This operation will overwrite current 'darvix' settings. Press 'Yes' to proceed."
finalize_warning="FINALIZE stores the current settings in 'darvix' permanently. Press 'Yes' to proceed."
# File > Save Setup to $1 through the system's dialog.
save_setup() {  # save_setup MAIN PATH
    local dlg
    drv post "$1" 0x8012 0 0 >/dev/null
    dlg=$(drv wait '#32770' 'Save As' 20000) || fail "no save dialog"
    drv item "$dlg" 1148 "$(winepath -w "$2")" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    for ((i = 0; i < 100; ++i)); do [[ -s $2 ]] && break; sleep 0.1; done
    [[ -s $2 ]] || fail "no setup file written"
    wait_idle "$1"
}
trace_has() { grep -q "$1" "$work/trace.txt" 2>/dev/null; }
# Waits up to $2 seconds for a line of the device's trace (written a few times a second).
wait_trace() {
    for ((i = 0; i < ${2:-30} * 10; ++i)); do
        trace_has "$1" && return 0
        sleep 0.1
    done
    fail "the trace never showed '$1'"
}
trace_count() { grep -c "$1" "$work/trace.txt" 2>/dev/null || true; }
close_main() { drv post "$1" 0x10 0 0 >/dev/null; }  # WM_CLOSE
# The tab bar of the main window, and one of its menu buttons by its left edge (3 File, 48 Config,
# 250 Preset).
tab_bar() { drv child "$1" MYFRAMEWND 0 28 1024 37; }
menu_button() { drv children "$1" | awk -v x="$2" '$2 == "MYBTNWND" && $4 == x {print $1; exit}'; }
# Shows a menu as its button would and closes it unchosen (Escape in its loop): its commands are
# the ones the tab bar then takes.
show_menu() {  # show_menu TAB_BAR BUTTON_LEFT
    local button popup
    button=$(menu_button "$1" "$2"); [[ -n $button ]] || fail "no menu button at $2"
    drv post "$1" 0x8020 0 "0x$button" >/dev/null
    popup=$(drv wait '#32768' '' 10000) || fail "no popup menu from the button at $2"
    drv key "$popup" 0x1B >/dev/null
    drv wait-gone "$popup" 10000 || fail "the popup menu stayed open"
}
menu_command() { drv post "$1" 0x111 "$2" 0 >/dev/null; }  # WM_COMMAND of a menu item
expect_exit() {
    local code
    code=$(exit_code "${2:-30}")
    [[ $code == "$1" ]] || fail "exit code $code, expected $1"
}

# The dynamic-equalisation dialog and its controls.
dyn_eq_open() {  # dyn_eq_open MAIN: Config > Dynamic Equalization Wizard; prints the dialog
    drv post "$1" 0x8030 1 0 >/dev/null
    dyn_eq_dialog
}
dyn_eq_dialog() {  # the dialog once it shows (1019 wide); prints it
    for ((i = 0; i < 100; ++i)); do
        d=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 && $6 == 1019 {print $1; exit}')
        [[ -n $d ]] && { echo "$d"; return 0; }
        sleep 0.1
    done
    return 1
}
dyn_click() { local b; b=$(drv child "$1" MYBTNWND "$2" "$3" "$4" "$5") || fail "no switch at $2,$3"; drv click "$b" 5 5; }
# START or SAVE (both at (47, 185)): the visible one, once enabled.
dyn_start_save() {
    local b
    for ((i = 0; i < 100; ++i)); do
        b=$(drv children "$1" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 47 && $5 == 185 {print $1; exit}')
        [[ -n $b && $(drv state "$b") == "1 1 "* ]] && { drv click "$b" 5 5; return 0; }
        sleep 0.1
    done
    fail "START/SAVE never became usable"
}
# The dialog's messages in the trace from line $1 on, as "COMMAND BYTE5" words.
dyn_trace() {
    tail -n +"${1:-1}" "$work/trace.txt" | grep -o 'PC>DEV  46 5A 00 [0-9A-F]* \(87\|88\|8A\|8B\|94\) [0-9A-F]*' |
        awk '{print $6 " " $7}' | paste -sd, -
}
# A float of a file at a byte offset.
file_f32() { python3 -c "import struct,sys; print(struct.unpack_from('<f', open(sys.argv[1],'rb').read(), int(sys.argv[2]))[0])" "$1" "$2"; }
# The I/O wizard ("wizard"): Next on an ordinary step and on a car-view step; the car picture.
wizard() { drv wait MYFRAMEWND wizard "${1:-20000}"; }
# Its buttons share places (Next and Finish, Cancel and Skip): only the visible one is pressed.
wizard_press() {  # wizard_press DIALOG X Y
    local b
    for ((i = 0; i < 200; ++i)); do
        b=$(drv children "$1" | awk -v x="$2" -v y="$3" \
            '$2 == "MYBTNWND" && $3 == 1 && $4 == x && $5 == y {print $1; exit}')
        [[ -n $b && $(drv state "$b") == "1 1 "* ]] && { drv click "$b" 5 5 || fail "could not press"; return 0; }
        sleep 0.1
    done
    fail "no usable wizard button at $2,$3"
}
wizard_next() { wizard_press "$1" 110 330; }
wizard_car_next() { wizard_press "$1" 185 460; }
# A low-level walk from step 0 to the last step: Front Left and Right woofers and the mono
# subwoofer on the car (outputs 0, 1 and 7). Shots of every step with a prefix when given.
wizard_walk() {  # wizard_walk DIALOG [SHOT_PREFIX]
    local d=$1 car step
    shoot() { [[ -n ${2:-} ]] && { sleep 0.3; drv shot "$d" "$bin/$2-$1.bmp" >/dev/null; }; return 0; }
    shoot 00 "${2:-}"; wizard_next "$d"
    shoot 01 "${2:-}"; wizard_next "$d"     # low-level inputs: the assignment of six
    shoot 03 "${2:-}"; wizard_next "$d"
    shoot 04 "${2:-}"; wizard_next "$d"
    wizard_next "$d"                        # when the setup ends (offline: on its first tick)
    car=$(drv child "$d" MYFRAMEWND 1 30 442 411) || fail "no car view in the wizard"
    drv click "$car" 123 215 >/dev/null     # Front Left Woofer (the right one follows)
    drv click "$car" 223 370 >/dev/null     # the Subwoofer
    shoot 10 "${2:-}"
    for step in 11 12 13; do wizard_car_next "$d"; shoot $step "${2:-}"; done
    wizard_car_next "$d"
    shoot 14 "${2:-}"
    wizard_press "$d" 110 330               # Finish
}
# The write the program starts by itself once the wizard has finished online: no question, its
# success, OK.
wizard_written() {
    local d
    d=$(dialog "$updated" 60000) || fail "no write to the device after the wizard"
    press "$d" 110 160
}
# The outputs of preset A in a setup file: "output position kind" per record, in output order.
setup_layout() {
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
size = 5072
# The first preset's eight records lie one after another: the first place where eight records
# follow, the first on output 0, each on its own output or none (-1), with a position of -1 to 11
# and a kind of -1 to 15.
def records_at(at):
    if at + 8 * size > len(data):
        return False
    for o in range(8):
        _, out, pos, kind = struct.unpack_from("<iiii", data, at + o * size)
        if out not in ((o, -1) if o else (0,)) or not -1 <= pos <= 11 or not -1 <= kind <= 15:
            return False
    return True
start = data.find(struct.pack("<ii", 1, 0))
while start >= 0 and not records_at(start):
    start = data.find(struct.pack("<ii", 1, 0), start + 1)
if start < 0:
    sys.exit("no record of output 0")
for o in range(8):
    _, out, pos, kind = struct.unpack_from("<iiii", data, start + o * size)
    print(out, pos, kind)
PY
}

# A firmware image file of n payload bytes with a sound header (or one damaged on request).
make_image() {  # make_image FILE PAYLOAD_BYTES [bad]
    python3 - "$1" "$2" "${3:-}" <<'PY'
import struct, sys
path, n, bad = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "bad"
payload = bytes((i * 7 + i // 512) & 0xFF for i in range(n))
header = struct.pack("<I13s7x5i5B3xI", 0, b"Kestrivandoul", *([-1] * 5), *([0] * 5),
                     (sum(payload) + (1 if bad else 0)) & 0xFFFFFFFF)
open(path, "wb").write(header + payload)
PY
}
# File > Update Firmware through the system's Open dialog.
choose_image() {  # choose_image MAIN FILE
    local dlg
    drv post "$1" 0x8039 1 0 >/dev/null
    dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog"
    drv item "$dlg" 1148 "$(winepath -w "$2")" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
}
# The firmware dialog showing a result: its handle once its window text is that result.
firmware_result() { drv wait MYFRAMEWND "$1" "${2:-60000}"; }
press_ok() {  # the dialog's one visible button
    local btn
    btn=$(drv children "$1" | awk '$2 == "MYBTNWND" && $3 == 1 {print $1; exit}')
    [[ -n $btn ]] || fail "no OK button"
    drv click "$btn" 5 5 || fail "could not press OK"
}
firmware_frames() { grep -c "PC>DEV  46 5A .. .. C8\|PC>DEV  46 5A 00 06 CA" "$work/trace.txt" 2>/dev/null || true; }
# The device scan's dialog by the text it shows: found on a unit, or nothing found.
found_text() { echo "'darvix' found on '$1'. Press 'Ok' to connect or press 'Next' to continue scanning."; }
not_found="'darvix' device not found."
scan_found() { dialog "$(found_text "$1")" "${2:-60000}"; }
# Line numbers in the trace of a unit's opens and closes (unit N counts from 1).
unit_trace_lines() { grep -n "unit $1  $2" "$work/trace.txt" 2>/dev/null | cut -d: -f1; }

newer="This software is outdated compared with device firmware. Please update 'darvix' PC Software."
older="Darvix firmware is too old. Please restart this application "

# ---- the tuning page --------------------------------------------------------------------------
# The page and its panels by their places (in the main window's and the page's client area).
tuning_page() { drv child "$1" MYFRAMEWND 0 65 1024 704; }
crossover_panel() { drv child "$1" MYFRAMEWND 1 2 248 294; }
channel_map() { drv child "$1" MYFRAMEWND 250 3 314 296; }
car_view() { drv child "$1" MYFRAMEWND 2 297 249 406; }
forget_answer() { wine reg delete 'HKCU\software\Morvane\Darvix' /v "$1" /f >/dev/null 2>&1; }
get_answer() { wine reg query 'HKCU\software\Morvane\Darvix' /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {print $3}'; }
trace_lines() { if [[ -f $work/trace.txt ]]; then wc -l < "$work/trace.txt"; else echo 0; fi; }
# The tuning frames the program sent after line $1 of the trace, one per line:
#   t CH phase P link L      crossover of output CH       u CH delay D distance S trim R
#   y MASK                   mute mask (hex)              96 PACKED  listening points (hex)
#   CMD CH                   any other (command in hex)
sent_since() {
    python3 - "$work/trace.txt" "$1" <<'PY'
import sys
lines = open(sys.argv[1], errors="replace").read().splitlines()[int(sys.argv[2]):]
for line in lines:
    if "PC>DEV" not in line:
        continue
    b = []
    for tok in line.split("PC>DEV", 1)[1].split():
        if tok.startswith("("):
            break
        b.append(int(tok, 16))
    if len(b) < 6 or b[0] != 0x46:
        continue
    cmd = b[4]
    if cmd == 0x74 and len(b) > 8:
        t = 8 + 20 * b[7]
        print(f"t {b[6]} phase {b[t + 12]} link {b[t + 13]}")
    elif cmd == 0x75 and len(b) >= 15:
        trim = int.from_bytes(bytes(b[11:15]), "big", signed=True)
        print(f"u {b[6]} delay {(b[7] << 8) | b[8]} distance {(b[9] << 8) | b[10]} trim {trim}")
    elif cmd == 0x79:
        print(f"y {b[5]:02X}")
    elif cmd == 0x96:
        print(f"96 {b[5]:02X}")
    else:
        print(f"{cmd:02X} {b[6] if len(b) > 6 else 0}")
PY
}
# Waits up to 15 s until every given line is among the frames sent since the mark.
wait_sent() {  # wait_sent MARK LINE...
    local mark=$1 got all end=$((SECONDS + 15))
    shift
    while ((SECONDS < end)); do
        got=$(sent_since "$mark")
        all=1
        for l in "$@"; do grep -qxF "$l" <<<"$got" || { all=0; break; }; done
        ((all)) && return 0
        sleep 0.1
    done
    echo "sent since the mark:" >&2; sent_since "$mark" >&2
    fail "not sent: $*"
}
# How many frames of a kind ("t", "u" ...) went since the mark, after a moment for stragglers.
count_sent() { sleep 1; sent_since "$1" | grep -c "^$2 " || true; }
# A question of the page: its row of buttons (the check box left out), the one at index $2.
question_button() {  # question_button BOX INDEX
    local btn
    btn=$(drv children "$1" | awk '$2 == "MYBTNWND" && $3 == 1 && $6 != 145 {print $4, $1}' | sort -n |
          awk '{print $2}' | sed -n "$(( $2 + 1 ))p")
    [[ -n $btn ]] || fail "no button $2 in the question"
    drv click "$btn" 5 5 || fail "could not press the button"
}
# The page's changes make closing ask first; NO closes.
close_changed() {
    close_main "$1"
    local d
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168
    expect_exit 0
}
# A started unit, read back, with its tuning page and crossover panel in $main, $page, $panel.
tuning_start() {
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    page=$(tuning_page "$main") || fail "no tuning page"
    panel=$(crossover_panel "$page") || fail "no crossover panel"
}
xo_text="This action will erase previous 'Front Right Woofer' Crossover Settings. Press 'Ok' to Continue."
lp_text="You have changed current listening point, and you have to set new distances for current memory. Reset previous values?"

case $case_name in
offline)
    prepare; set_com 1; start; splash 0
    main=$(main_window) || fail "no main window"
    wait_idle "$main"
    trace_has "FT_Open\|PC>" && fail "offline mode talked to the device"
    close_main "$main"; expect_exit 0 ;;
target)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv shot "$main" "$bin/e2e-target.bmp" >/dev/null
    close_main "$main"; expect_exit 0
    # The poll thread ended: the disconnect went to both nodes after the last cycle.
    tail -n 4 "$work/trace.txt" | grep -q " 35 " || fail "no disconnect at the end" ;;
rescue)
    prepare; set_com 1; scenario "[device]" "firmware = 1.7"; start; splash 2
    main=$(main_window) || fail "no main window"
    sleep 2
    page=$(drv child "$main" MYFRAMEWND 0 65 1024 704) || fail "no tuning page"
    [[ $(drv state "$page") == *" 0 "* ]] || true
    [[ $(drv state "$page" | cut -d' ' -f2) == 0 ]] || fail "the tuning page is enabled in rescue mode"
    trace_has " 92 38" && fail "a read-back ran in rescue mode"
    close_main "$main"; expect_exit 0 ;;
no-dll)
    prepare nodll; start
    answer_box "FTD2XX.dll not found. This application will run offline." 0
    splash 1
    main=$(main_window) || fail "no main window"
    close_main "$main"; expect_exit 0 ;;
incomplete-dll)
    prepare noreload; start
    answer_box "Wrong FTD2XX Version: Tolvar driver may have been overwritten. Please reinstall the driver. The application will run offline." 0
    splash 1
    main=$(main_window) || fail "no main window"
    close_main "$main"; expect_exit 0 ;;
firmware-newer)
    prepare; set_com 1; scenario "[device]" "firmware = 1.7"; start; splash 1
    [[ $(warning_text) == "$newer" ]] || fail "wrong warning text"
    expect_exit 12
    trace_has " 35 " || fail "no disconnect sent" ;;
firmware-older)
    prepare; set_com 1; scenario "[device]" "firmware = 0.9"; start; splash 1
    [[ $(warning_text) == "$older"* ]] || fail "wrong warning text"
    expect_exit 12 ;;
second-attempt)
    prepare; set_com 2
    # Units are opened by their description: the two must differ.
    scenario "[device]" "firmware = 1.7" "[device]" "description = Darvix B" "no_reply_to = 0xCC"
    start; splash 1
    [[ $(warning_text) == "$newer" ]] || fail "wrong warning text"
    expect_exit 14 ;;
poll-open)
    prepare; set_com 1; scenario "[device]" "later_firmware = 1: 1.7"; start; splash 1
    [[ $(warning_text) == "$newer" ]] || fail "wrong warning text"
    expect_exit 16 ;;
change-device)
    prepare; set_com 1; scenario "[device]" "[device]" "description = Darvix B" "firmware = 1.7"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8034 2 0 >/dev/null
    [[ $(warning_text) == "$newer" ]] || fail "wrong warning text"
    expect_exit 18
    [[ $(get_com) == 0x2* ]] || fail "Com is $(get_com), not 2" ;;
change-device-fallback)
    prepare; set_com 1; scenario "[device]" "later_firmware = 2: 1.7"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8034 5 0 >/dev/null
    [[ $(warning_text) == "$newer" ]] || fail "wrong warning text"
    expect_exit 20 ;;
change-device-ok)
    prepare; set_com 1; scenario "[device]" "[device]" "description = Darvix B"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8034 2 0 >/dev/null
    for ((i = 0; i < 100; ++i)); do [[ $(get_com) == 0x2* ]] && break; sleep 0.1; done
    [[ $(get_com) == 0x2* ]] || fail "Com is $(get_com), not 2"
    sync_ok
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
blank-unit)
    prepare; set_com 1; scenario "[device]" "blank = yes"; start; splash 1
    # The wizard comes first; abandoned on a blank unit, it ends the program.
    d=$(wizard) || fail "no wizard for the blank unit"
    wizard_press "$d" 189 330               # Cancel on step 0
    expect_exit 0
    trace_has " 92 38" && fail "a blank unit was read back" ;;
wizard-offline)
    prepare; set_com 1; start; splash 0
    main=$(main_window) || fail "no main window"
    wait_idle "$main"
    tabs=$(tab_bar "$main") || fail "no tab bar"
    show_menu "$tabs" 48
    menu_command "$tabs" 40133              # Config > I/O Configuration Wizard
    d=$(wizard) || fail "no wizard"
    [[ $(drv state "$main" | cut -d' ' -f1) == 0 ]] || fail "the main window shows under the wizard"
    wizard_walk "$d" e2e-wizard
    wait_idle "$main"
    drv shot "$main" "$bin/e2e-wizard-main.bmp" >/dev/null
    save_setup "$main" "$work/wizard.bit"
    layout=$(setup_layout "$work/wizard.bit" | tr '\n' ' ')
    [[ $layout == "0 0 1 1 2 1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 7 4 5 " ]] ||
        fail "the setup holds the layout $layout"
    # A cancelled wizard changes nothing.
    show_menu "$tabs" 48
    menu_command "$tabs" 40133
    d=$(wizard) || fail "no second wizard"
    wizard_next "$d"
    wizard_press "$d" 189 330               # Cancel on step 1
    wait_idle "$main"
    save_setup "$main" "$work/again.bit"
    cmp -s "$work/wizard.bit" "$work/again.bit" || fail "a cancelled wizard changed the setup"
    close_main "$main"
    d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
        fail "no exit dialog"
    press "$d" 110 168                      # NO
    expect_exit 0 ;;
wizard-blank-finish)
    prepare; set_com 1; scenario "[device]" "blank = yes"; start; splash 1
    d=$(wizard) || fail "no wizard for the blank unit"
    wizard_walk "$d"
    main=$(main_window) || fail "no main window after the wizard"
    wizard_written
    wait_idle "$main"
    # Set up now: a later wizard cancelled from the Config menu keeps the program.
    tabs=$(tab_bar "$main") || fail "no tab bar"
    show_menu "$tabs" 48
    menu_command "$tabs" 40133
    d=$(wizard) || fail "no second wizard"
    wizard_press "$d" 189 330               # Cancel on step 0
    wait_idle "$main"
    [[ -f $work/rc ]] && fail "the program ended"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                      # NO
    expect_exit 0 ;;
readback-retry)
    prepare; set_com 1; scenario "[device]" "readback_failures = 1"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    [[ $(trace_count " 92 38") == 2 ]] || fail "expected two read-all requests"
    close_main "$main"; expect_exit 0 ;;
readback-fails)
    prepare; set_com 1; scenario "[device]" "readback = incomplete"; start; splash 1
    # Three failed read-backs end in the advice; its OK ends the program.
    d=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 && /Synchronization failed/ {print $1; exit}')
    for ((i = 0; i < 600; ++i)); do
        [[ -n $d ]] && break
        sleep 0.1
        d=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 && /Synchronization failed/ {print $1; exit}')
    done
    [[ -n $d ]] || fail "no failure advice"
    [[ $(drv state "$d" | awk '{print $5, $6}') == "392 480" ]] || fail "not the larger face"
    drv shot "$d" "$bin/e2e-sync-failed.bmp" >/dev/null
    press "$d" 157 420
    expect_exit 0 30
    [[ $(trace_count " 92 38") == 3 ]] || fail "expected three read-all requests" ;;
unplug)
    prepare; set_com 1; scenario "[device]" "unplug_on_command = 0x7D"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8014 1 0 >/dev/null   # select preset B: the device goes as it is told
    answer_box "'darvix' device disconnected. Try to riconnect." 1   # Cancel: offline
    wait_idle "$main"
    # The preset the user chose is a change: closing (now offline) asks first; NO closes.
    close_main "$main"
    d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
        fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
exit-finalize)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8018 0 0 >/dev/null      # Config > Working Mode > Expert: a change
    wait_trace "PC>DEV  46 5A 00 07 CF 00"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    drv shot "$d" "$bin/e2e-exit-online.bmp" >/dev/null
    press "$d" 30 168                           # YES: FINALIZE, then close
    d=$(dialog "$updated") || fail "no FINALIZE result"
    press "$d" 110 160
    expect_exit 0
    trace_has "PC>DEV  46 5A 00 06 C9" || fail "no FINALIZE"
    trace_has "DEV>PC  5A 46 00 09 CB" || fail "no FINALIZE result" ;;
reset-online)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x80A0 0 0 >/dev/null      # File > Reset Settings
    answer_box "This action resets all current settings.Are you sure?" 0   # YES
    wait_trace "PC>DEV  46 5A 00 06 D6"
    answer_box "Close this application and restart 'darvix' device." 0
    close_main "$main"                           # after the restart box it closes at once
    expect_exit 0 ;;
setup-files)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    file=$(winepath -w "$work/tuning.bit")
    # File > Save Setup through the system's dialog: the name in its file-name field, then OK.
    drv post "$main" 0x8012 0 0 >/dev/null
    dlg=$(drv wait '#32770' 'Save As' 20000) || fail "no save dialog"
    drv item "$dlg" 1148 "$file" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    for ((i = 0; i < 100; ++i)); do [[ -s $work/tuning.bit ]] && break; sleep 0.1; done
    [[ $(stat -c %s "$work/tuning.bit" 2>/dev/null) -gt 162000 ]] || fail "no setup file written"
    wait_idle "$main"
    # File > Load Setup of it: loaded, then the whole tuning is written to the device at once.
    drv post "$main" 0x8012 1 0 >/dev/null
    dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog"
    drv item "$dlg" 1148 "$file" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 06 A6"
    trace_has "PC>DEV  46 5A 00 06 A5" || fail "no write bracket"
    d=$(dialog "$updated") || fail "no write result"
    press "$d" 110 160
    wait_idle "$main"
    # A damaged file is refused with its reason and changes nothing.
    head -c 1000 "$work/tuning.bit" > "$work/broken.bit"
    drv post "$main" 0x8012 1 0 >/dev/null
    dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog"
    drv item "$dlg" 1148 "$(winepath -w "$work/broken.bit")" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    # The message names the file: the program's own box carries it as its text, the system's box
    # (for a message too long for the skinned one) in its static text.
    found=""
    for ((i = 0; i < 200; ++i)); do
        [[ -n $found ]] && break
        box=$(drv list | awk '$2 == "#32770" && $3 == 1 && /broken.bit/ {print $1; exit}')
        if [[ -n $box ]]; then
            answer_box "$(drv text "$box")" 0; found=skinned
        elif box=$(drv wait '#32770' darvix 50) && drv statics "$box" | grep -q 'broken.bit'; then
            drv button "$box" OK >/dev/null; found=system
        fi
        sleep 0.1
    done
    [[ -n $found ]] || fail "no error naming the damaged file"
    wait_idle "$main"
    # The loaded setup counts as a change: closing asks first; NO closes without FINALIZE.
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0
    trace_has "PC>DEV  46 5A 00 06 C9" && fail "FINALIZE after NO" ;;
firmware-rescue)
    # An older unit updated in "Rescue Mode"; restarted in "Target" it is accepted.
    prepare; set_com 1
    scenario "state = $(winepath -w "$work/units.txt")" "[device]" "firmware = 0.9"
    make_image "$work/update.bin" 2000
    start; splash 2
    main=$(main_window) || fail "no main window"
    wait_idle "$main"
    choose_image "$main" "$work/update.bin"
    box=$(drv wait '#32770' '' 20000) || fail "no confirmation"
    drv shot "$box" "$bin/e2e-firmware-confirm.bmp" >/dev/null
    answer_box "" 0                                       # OK
    dlg=$(drv wait MYFRAMEWND '' 20000) || fail "no firmware dialog"
    [[ $(drv state "$main" | cut -d' ' -f2) == 0 ]] || fail "the main window is enabled during the update"
    dlg=$(firmware_result "Firmware update completed. Close this application and restart 'darvix' device.") ||
        fail "no completed text"
    drv shot "$dlg" "$bin/e2e-firmware-completed.bmp" >/dev/null
    trace_has "PC>DEV  46 5A 00 0E C8 01 00 00 00 D0 07 00 00 4E" || fail "no begin with the image's size"
    trace_has "PC>DEV  46 5A 02 0A C8 02 00 00 00 " || fail "no block 2"
    trace_has "PC>DEV  46 5A 01 DA C8 05 00 00 00 " || fail "no last block of 464 bytes"
    trace_has "PC>DEV  46 5A 00 06 CA 70" || fail "no end message"
    trace_has "DEV>PC  5A 46 00 09 CB 00 01 00 75" || fail "the unit did not report success"
    [[ $(firmware_frames) == 6 ]] || fail "expected 6 firmware frames, found $(firmware_frames)"
    trace_has "are needed" && fail "pacing too short"
    press_ok "$dlg"
    wait_idle "$main"
    close_main "$main"; expect_exit 0
    grep -q "DX000001 .* normal" "$work/units.txt" 2>/dev/null || fail "the unit's new version was not kept"
    rm -f "$work/rc"; : > "$work/trace.txt"
    start; splash 1
    main=$(main_window) || fail "no main window after the restart"
    sync_ok
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
firmware-damaged)
    prepare; set_com 1; scenario "[device]" "damaged_block = 3"
    make_image "$work/update.bin" 3000
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    choose_image "$main" "$work/update.bin"
    answer_box "" 0
    dlg=$(firmware_result "Firmware update not completed.") || fail "no not-completed text"
    drv shot "$dlg" "$bin/e2e-firmware-not-completed.bmp" >/dev/null
    trace_has "DEV>PC  5A 46 00 09 CB 00 00 03" || fail "the unit did not refuse the damaged block"
    press_ok "$dlg"
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
firmware-refused)
    # An invalid image is refused with its name and reason; Cancel on the question sends nothing.
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    make_image "$work/broken.bin" 1000 bad
    choose_image "$main" "$work/broken.bin"
    found=""
    for ((i = 0; i < 200; ++i)); do
        [[ -n $found ]] && break
        # The skinned box's text (its window text) breaks after the first sentence.
        box=$(drv list | awk '$2 == "#32770" && $3 == 1 && /firmware. not valid/ {print $1; exit}')
        if [[ -n $box ]]; then
            text=$(drv text "$box")
            [[ $text == *broken.bin*"the checksum does not match the payload."* ]] || fail "no file or reason in \"$text\""
            drv shot "$box" "$bin/e2e-firmware-invalid.bmp" >/dev/null
            answer_box "$text" 0; found=skinned
        elif box=$(drv wait '#32770' darvix 50) && drv statics "$box" | grep -q 'broken.bin'; then
            drv statics "$box" | grep -q "'darvix firmware' not valid." || fail "not the firmware message"
            drv statics "$box" | grep -q "the checksum does not match the payload" || fail "no reason given"
            drv shot "$box" "$bin/e2e-firmware-invalid.bmp" >/dev/null
            drv button "$box" OK >/dev/null; found=system
        fi
        sleep 0.1
    done
    [[ -n $found ]] || fail "no message naming the invalid image"
    wait_idle "$main"
    make_image "$work/update.bin" 1000
    choose_image "$main" "$work/update.bin"
    answer_box "" 1                                       # Cancel
    wait_idle "$main"
    sleep 1
    [[ $(firmware_frames) == 0 ]] || fail "firmware frames went out"
    drv list | grep -q ' MYFRAMEWND 1 ' && fail "a dialog opened"
    close_main "$main"; expect_exit 0 ;;
scan-startup)
    # No unit answers on the stored number: 1 refuses its open, 2 says hello but never identifies,
    # 3 is healthy. The scan probes them in order and stops at 3; OK stores it and reads it back.
    prepare; set_com 1
    scenario "[device]" "description = Darvix A" "open = fail" \
             "[device]" "description = Darvix B" "no_reply_to = 0xCC" \
             "[device]" "description = Darvix C" "serial = DX000003"
    start; splash 1
    dlg=$(scan_found "Darvix C") || fail "the scan did not stop at unit 3"
    drv list | awk '$2 == "DIALOGUIMODULE" && $3 == 1' | grep -q . && fail "the main window shows during the scan"
    # Unit 2 was opened and closed by the scan without identifying itself, before unit 3 opened.
    last2=$(unit_trace_lines 2 CLOSE | tail -n 1); first3=$(unit_trace_lines 3 OPEN | head -n 1)
    [[ -n $last2 && -n $first3 && $last2 -lt $first3 ]] || fail "unit 2 was not probed before unit 3"
    grep "unit 2  DEV>PC" "$work/trace.txt" | grep -q " CD " && fail "unit 2 identified itself"
    trace_has "unit 1  OPEN" && fail "unit 1 opened although it refuses"
    press "$dlg" 31 168                                   # OK
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    [[ $(get_com) == 0x3 ]] || fail "Com is $(get_com), not 3"
    grep -q "unit 3  PC>DEV  80 5A 00 06 13" "$work/trace.txt" || fail "no remote version query on unit 3"
    grep -q "unit 3  PC>DEV  46 5A 00 06 92" "$work/trace.txt" || fail "no read-back on unit 3"
    close_main "$main"; expect_exit 0 ;;
scan-menu)
    # A scan asked for while connected says goodbye to the unit (0x35 to the level node, then to
    # the accessory) before the first probe.
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    before=$(wc -l < "$work/trace.txt")
    drv post "$main" 0x8031 1 0 >/dev/null
    dlg=$(scan_found "Darvix") || fail "the scan did not find the unit"
    [[ $(drv state "$main" | cut -d' ' -f1) == 0 ]] || fail "the main window shows during the scan"
    after=$(tail -n +"$((before + 1))" "$work/trace.txt")
    l00=$(grep -n "PC>DEV  00 5A 00 06 35" <<<"$after" | head -n 1 | cut -d: -f1)
    l80=$(grep -n "PC>DEV  80 5A 00 06 35" <<<"$after" | head -n 1 | cut -d: -f1)
    lopen=$(grep -n "unit 1  OPEN" <<<"$after" | head -n 1 | cut -d: -f1)
    [[ -n $l00 && -n $l80 && -n $lopen && $l00 -lt $l80 && $l80 -lt $lopen ]] ||
        fail "no disconnect to 0x00 then 0x80 before the first probe"
    press "$dlg" 31 168
    sync_ok
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
scan-blank)
    # OK on a blank unit starts the I/O wizard, not the read-back.
    prepare; set_com 1
    scenario "[device]" "description = Darvix A" "hello = never" "no_reply_to = 0xCC" \
             "[device]" "description = Darvix B" "blank = yes"
    start; splash 1
    dlg=$(scan_found "Darvix B") || fail "the scan did not find the blank unit"
    press "$dlg" 31 168
    wait_trace "unit 2  OPEN" 10
    d=$(wizard) || fail "no wizard for the blank unit"
    trace_has " 92 " && fail "a read-back ran for a blank unit"
    [[ $(get_com) == 0x2 ]] || fail "Com is $(get_com), not 2"
    wizard_walk "$d"
    main=$(main_window) || fail "no main window after the wizard"
    wizard_written
    wait_idle "$main"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                                    # NO
    expect_exit 0 ;;
scan-mismatch)
    # The unit found runs another major.minor: the firmware check's box, then exit code 22.
    prepare; set_com 1
    scenario "[device]" "description = Darvix A" "open = fail" "[device]" "description = Darvix B" "firmware = 1.7"
    start; splash 1
    dlg=$(scan_found "Darvix B") || fail "the scan did not find unit 2"
    press "$dlg" 31 168
    [[ $(warning_text) == "$newer" ]] || fail "wrong warning text"
    expect_exit 22 ;;
scan-late)
    # A unit plugged in while the program runs is found when the user retries.
    prepare; set_com 1
    scenario "[device]" "description = Darvix A" "open = fail" \
             "[device]" "description = Darvix Late" "arrive_after = 12000"
    started=$SECONDS
    start; splash 1
    dlg=$(dialog "$not_found" 60000) || fail "no not-found text"
    drv shot "$dlg" "$bin/e2e-scan-not-found.bmp" >/dev/null
    # The unit is plugged in 12 s after the driver started (the driver notices it when asked).
    while (( SECONDS - started < 15 )); do sleep 0.5; done
    # Retry shares Next's place; the shown one of the two.
    retry=$(drv children "$dlg" | awk '$2 == "MYBTNWND" && $3 == 1 && $4 == 110 && $5 == 168 {print $1; exit}')
    [[ -n $retry ]] || fail "no Retry button"
    drv click "$retry" 5 5 || fail "could not press Retry"
    dlg=$(scan_found "Darvix Late") || fail "Retry did not find the late unit"
    press "$dlg" 31 168
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
scan-write-fails)
    # A unit whose writes fail while it is probed: no disconnect question, the scan goes on.
    prepare; set_com 2
    scenario "[device]" "description = Darvix A" "write = fail" "[device]" "description = Darvix B"
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8031 1 0 >/dev/null
    dlg=$(scan_found "Darvix B") || fail "the scan did not go on to unit 2"
    drv list | awk '$2 == "#32770" && $3 == 1' | grep -q . && fail "a question over the scan"
    press "$dlg" 31 168
    sync_ok
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
scan-cancel)
    # Cancel: the stored number is opened again, then the program goes offline with its window.
    prepare; set_com 1
    scenario "[device]" "description = Darvix A" "hello = never" "no_reply_to = 0xCC"
    start; splash 1
    # Cancel while the scan probes the unit (its second open; the first was the start-up's).
    # Opens: the start-up's probe, the poll thread's link, then the scan's probe.
    for ((i = 0; i < 300; ++i)); do [[ $(unit_trace_lines 1 OPEN | wc -l) -ge 3 ]] && break; sleep 0.1; done
    [[ $(unit_trace_lines 1 OPEN | wc -l) -ge 3 ]] || fail "the scan never probed the unit"
    dlg=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 {print $1; exit}')
    [[ -n $dlg ]] || fail "no scan dialog"
    press "$dlg" 189 168                                  # Cancel
    main=$(main_window 60000) || fail "no main window"
    wait_idle "$main"
    n=$(unit_trace_lines 1 OPEN | wc -l)
    [[ $n -ge 4 ]] || fail "the stored unit was not opened again ($n opens)"
    close_main "$main"; expect_exit 0 ;;
firmware-unplug-rescue)
    # An upload broken off by an unplug; the unit comes back in rescue. The scan finds it, its
    # version is refused (exit 22), and restarted in "Rescue Mode" the upload completes.
    prepare; set_com 1
    scenario "state = $(winepath -w "$work/units.txt")" "[device]" "unplug_after_block = 3" "back_after = 500"
    make_image "$work/update.bin" 3000
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    choose_image "$main" "$work/update.bin"
    answer_box "" 0
    dlg=$(firmware_result "Firmware update not completed." 30000) || fail "no not-completed text"
    press_ok "$dlg"
    answer_box "'darvix' device disconnected. Try to riconnect." 0   # OK: scan
    dlg=$(scan_found "Darvix") || fail "the scan did not find the unit again"
    press "$dlg" 31 168
    [[ $(warning_text) == "$older"* ]] || fail "wrong warning text"
    expect_exit 22
    grep -q "DX000001 .* rescue" "$work/units.txt" 2>/dev/null || fail "the unit's rescue mark was not kept"
    # The same unit, now left plugged in.
    rm -f "$work/rc"; : > "$work/trace.txt"
    echo "trace = $(winepath -w "$work/trace.txt")" > "$work/scenario.txt"
    scenario "state = $(winepath -w "$work/units.txt")" "[device]"
    start; splash 2
    main=$(main_window) || fail "no main window after the restart"
    wait_idle "$main"
    choose_image "$main" "$work/update.bin"
    answer_box "" 0
    dlg=$(firmware_result "Firmware update completed. Close this application and restart 'darvix' device.") ||
        fail "no completed text"
    press_ok "$dlg"
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
firmware-unplug)
    # The unit is pulled out mid-upload: the image goes on silently, the end message finds the link
    # gone, and the disconnect question waits until the dialog has shown its result and ended.
    prepare; set_com 1; scenario "[device]" "unplug_after_block = 3"
    make_image "$work/update.bin" 3000
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    choose_image "$main" "$work/update.bin"
    answer_box "" 0
    # The wait for the unit's verdict ends as the link is found failed, not after its 120 s.
    dlg=$(firmware_result "Firmware update not completed." 15000) || fail "no not-completed text"
    drv list | awk '$2 == "#32770" && $3 == 1' | grep -q . && fail "a question over the firmware dialog"
    press_ok "$dlg"
    answer_box "'darvix' device disconnected. Try to riconnect." 1   # Cancel: offline
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
chart-setup)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    file=$(winepath -w "$work/tuning.bit")
    drv post "$main" 0x8012 0 0 >/dev/null
    dlg=$(drv wait '#32770' 'Save As' 20000) || fail "no save dialog"
    drv item "$dlg" 1148 "$file" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    for ((i = 0; i < 100; ++i)); do [[ -s $work/tuning.bit ]] && break; sleep 0.1; done
    wait_idle "$main"
    # Every preset's first output: band 17 (1 kHz) at +6 dB, and stored sections that are garbage
    # (orders of 200, a0 of 0, NaN coefficients). The chart must show the band as designed.
    python3 - "$work/tuning.bit" <<'PY' || fail "cannot patch the setup"
import struct, sys
path = sys.argv[1]
b = bytearray(open(path, "rb").read())
for preset in range(4):
    record = 12 + 40580 * preset + 4
    for k in range(31):
        struct.pack_into("<f", b, record + 92 + 4 * k, 6.0 if k == 17 else 0.0)
        section = record + 344 + 152 * k
        struct.pack_into("<i", b, section + 144, 200 if k % 3 == 0 else 2)
        if k % 3 == 1:
            struct.pack_into("<d", b, section + 72, 0.0)
        if k % 3 == 2:
            struct.pack_into("<d", b, section + 8, float("nan"))
open(path, "wb").write(bytes(b))
PY
    drv post "$main" 0x8012 1 0 >/dev/null
    dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog"
    drv item "$dlg" 1148 "$file" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 06 A6"
    d=$(dialog "$updated") || fail "no write result"
    press "$d" 110 160
    wait_idle "$main"
    sleep 1
    drv shot "$main" "$bin/e2e-chart.bmp" >/dev/null || fail "no screenshot"
    # The chart sits at (264, 311) of the page, the page at (0, 65) of the client area (the window's
    # frame adds a few pixels). 1 kHz lies on column 412.6 of the chart; +6 dB lies 6 * 129 / 24
    # rows above 0 dB, which the crossover's flat red line marks. The first output's equaliser
    # curve is green: its highest pixel at 1 kHz must be on the +6 dB row.
    python3 - "$bin/e2e-chart.bmp" <<'PY' || fail "the 1 kHz peak is not on the +6 dB row"
import struct, sys
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height = struct.unpack_from("<ii", data, 18)
bpp, = struct.unpack_from("<H", data, 28)
stride = (width * bpp // 8 + 3) & ~3
def pixel(x, y):
    row = (height - 1 - y) if height > 0 else y
    i = offset + row * stride + x * (bpp // 8)
    return data[i + 2], data[i + 1], data[i]
top0 = 311 + 65
def first_row(columns, match):
    for y in range(top0 + 10, top0 + 160):
        if any(match(*pixel(x, y)) for x in columns):
            return y
    return None
zero = first_row(range(264 + 100, 264 + 104), lambda r, g, b: r > 150 and r - g > 60)
peak = first_row(range(264 + 411, 264 + 417), lambda r, g, b: g - r > 15 and g - b > 15)
print("0 dB row", zero, "top of the 1 kHz curve", peak)
sys.exit(0 if zero and peak and abs((zero - peak) - 6 * 129 / 24) <= 2 else 1)
PY
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
eq-wheel)
    # One wheel notch up on band 10 of the tuning page's equaliser (a fresh unit's tuning read
    # back: Standard mode, a 3-way front, links on): +0.1875 dB (one pixel of the band's track)
    # reaches the six front outputs as 's' frames with the band's new linear gain; the
    # subwoofers get none.
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    band=10
    slider=$(drv child "$main" SLIDERFX $((251 + 48 + 22 * band)) $((65 + 485 + 38)) 22 160) ||
        fail "no slider of band $band at its place"
    sleep 0.5
    : > "$work/trace.txt"
    drv wheel "$slider" 11 82 120 || fail "the wheel message was not taken"
    for o in 0 1 2 3 4 5; do wait_trace "PC>DEV  46 5A 00 8A 73 00 0$o" 10; done
    sleep 1
    python3 - "$work/trace.txt" "$band" <<'PY' || fail "the 's' frames do not carry the new gain for outputs 0 to 5 only"
import struct, sys
band = int(sys.argv[2])
want = struct.pack("<f", 10 ** (0.1875 / 20))
gains = {}
for line in open(sys.argv[1]):
    if "PC>DEV" not in line:
        continue
    tokens = line.split("PC>DEV", 1)[1].split()
    b = bytes(int(t, 16) for t in tokens if len(t) == 2 and all(c in "0123456789ABCDEFabcdef" for c in t))
    if len(b) == 138 and b[4] == 0x73:
        gains.setdefault(b[6], []).append(b[7 + 4 * band:11 + 4 * band])
print("outputs with 's' frames:", sorted(gains))
ok = sorted(gains) == [0, 1, 2, 3, 4, 5] and all(g[-1] == want for g in gains.values())
sys.exit(0 if ok else 1)
PY
    # A group: bands 12 to 16 switched on, three Shift notches on band 14 move all five.
    for b in 12 13 14 15 16; do
        sw=$(drv child "$main" MYBTNWND $((251 + 50 + 22 * b)) $((65 + 485 + 25)) 18 12) || fail "no switch of band $b"
        drv click "$sw" 5 5 >/dev/null
    done
    slider=$(drv child "$main" SLIDERFX $((251 + 48 + 22 * 14)) $((65 + 485 + 38)) 22 160) || fail "no slider of band 14"
    for n in 1 2 3; do drv wheel "$slider" 11 82 120 4 >/dev/null; done
    sleep 1
    drv shot "$main" "$bin/e2e-eq-group.bmp" >/dev/null
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
levels)
    prepare; set_com 1; scenario "[device]" "clip_mask = 0x05"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    tabs=$(tab_bar "$main") || fail "no tab bar"
    trace_has "46 5A 00 06 7F 25" && fail "clip polls before the page showed"
    drv click "$tabs" 880 20 >/dev/null           # the output-level tab
    wait_trace "DEV>PC  5A 46 00 07 7F 05 2B"
    for ((i = 0; i < 30; ++i)); do [[ $(trace_count "46 5A 00 06 7F 25") -ge 3 ]] && break; sleep 0.2; done
    sleep 0.5
    drv shot "$main" "$bin/e2e-levels.bmp" >/dev/null
    # Preset B: its eight channel levels, then the preset messages.
    drv click "$tabs" 355 5 >/dev/null
    wait_trace "PC>DEV  46 5A 00 07 7D 01"
    # The levels go in the same poll cycle as the preset, or the next when the click fell between.
    for ((i = 0; i < 30; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 09 7E 01") -ge 8 ]] && break; sleep 0.1; done
    [[ $(trace_count "PC>DEV  46 5A 00 09 7E 01") == 8 ]] || fail "not eight levels of preset B"
    wait_trace "PC>DEV  80 5A 00 07 0F"
    # Another page: the polls stop.
    drv click "$tabs" 600 20 >/dev/null
    sleep 1; n=$(trace_count "46 5A 00 06 7F 25"); sleep 1.5
    [[ $(trace_count "46 5A 00 06 7F 25") == "$n" ]] || fail "clip polls while the page is hidden"
    # The preset chosen by the user is a change: closing asks first; NO closes.
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
menus)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    tabs=$(tab_bar "$main") || fail "no tab bar"
    # File > Synchronize > Pc -> Darvix: the whole tuning between 0xA5 and 0xA6, levels included.
    show_menu "$tabs" 3
    menu_command "$tabs" 40268
    d=$(dialog "$overwrite") || fail "no write question"
    press "$d" 50 160                             # YES
    wait_trace "PC>DEV  46 5A 00 06 A6"
    d=$(dialog "$updated" 120000) || fail "no write result"
    press "$d" 110 160
    wait_idle "$main"
    levels=$(sed -n '/PC>DEV  46 5A 00 06 A5/,/PC>DEV  46 5A 00 06 A6/p' "$work/trace.txt" |
             grep -c "PC>DEV  46 5A 00 09 7E\|PC>DEV  00 5A 00 07 0A\|PC>DEV  00 5A 00 07 0D")
    [[ $levels == 40 ]] || fail "$levels level frames in the write, not 40"
    # File > Reset Default Answer: the seven answers ask again.
    wine reg add 'HKCU\software\Morvane\Darvix' /v AskReset /t REG_DWORD /d 1 /f >/dev/null 2>&1
    show_menu "$tabs" 3
    menu_command "$tabs" 40279
    for ((i = 0; i < 50; ++i)); do
        wine reg query 'HKCU\software\Morvane\Darvix' /v AskReset 2>/dev/null | grep -qi 0xffffffff && break
        sleep 0.1
    done
    for v in AskEqLink AskXoLink AskStdSwtLink AskReset AskFineDelay AskMinFDS AskDelayRif; do
        wine reg query 'HKCU\software\Morvane\Darvix' /v $v 2>/dev/null | grep -qi 0xffffffff || fail "$v not reset"
    done
    # File > FINALIZE to Darvix.
    show_menu "$tabs" 3
    menu_command "$tabs" 40266
    d=$(dialog "$finalize_warning") || fail "no FINALIZE warning"
    press "$d" 50 160                             # YES
    wait_trace "DEV>PC  5A 46 00 09 CB"
    d=$(dialog "$updated" 30000) || fail "no FINALIZE result"
    press "$d" 110 160
    wait_idle "$main"
    # Config > Working Mode > Expert, then Dynamic Equalization > Off.
    show_menu "$tabs" 48
    menu_command "$tabs" 40147
    wait_trace "PC>DEV  46 5A 00 07 CF 00"
    menu_command "$tabs" 40283
    wait_trace "PC>DEV  46 5A 00 07 95"
    # Preset > Copy Preset From > C into A, then Current Preset Default: each is written at once.
    show_menu "$tabs" 250
    n=$(trace_count "PC>DEV  46 5A 00 06 A6")
    menu_command "$tabs" 40143
    # The whole tuning and the levels take about 17 s on the line.
    for ((i = 0; i < 400; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 06 A6") -gt $n ]] && break; sleep 0.1; done
    [[ $(trace_count "PC>DEV  46 5A 00 06 A6") -gt $n ]] || fail "no write after a copy"
    d=$(dialog "$updated" 30000) || fail "no write result after a copy"
    press "$d" 110 160
    wait_idle "$main"
    # File > Synchronize > Pc <- Darvix: a read-back.
    n=$(trace_count " 92 38")
    show_menu "$tabs" 3
    menu_command "$tabs" 40269
    for ((i = 0; i < 100; ++i)); do [[ $(trace_count " 92 38") -gt $n ]] && break; sleep 0.1; done
    [[ $(trace_count " 92 38") -gt $n ]] || fail "no read-back"
    sync_ok
    wait_idle "$main"
    # File > Exit: the changes made ask first; NO closes.
    show_menu "$tabs" 3
    menu_command "$tabs" 40132
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
sources)
    # A unit on Aux2 with Aux1, Aux2 and Phone, low-level main inputs on front left and right.
    prepare; set_com 1
    scenario "[device]" "source = 1" "source_flags = 1 1 0 0 1" "input_type = low" \
             "input_codes = 0x28 0x30 0 0 0 0 0 0"
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    # The external-source page: the page at (0, 65) with the master slider at (964, 513).
    page=
    for p in $(drv children "$main" | awk '$2 == "MYFRAMEWND" && $4 == 0 && $5 == 65 {print $1}'); do
        drv child "$p" SLIDERFX 964 513 17 158 >/dev/null && page=$p
    done
    [[ -n $page ]] || fail "no external-source page"
    [[ $(drv state "$page") == "1 "* ]] || fail "a unit on Aux2 did not bring the external-source page"
    # Aux2 lit on a shown page: the selection goes out again.
    wait_trace "PC>DEV  46 5A 00 07 7A 01 22"
    shown_at() { drv children "$page" | awk -v y="$1" '$2 == "MYBTNWND" && $3 == 1 && $4 == 22 && $5 == y {print $1}'; }
    [[ -n $(shown_at 352) && -n $(shown_at 383) ]] || fail "no Aux1 and Aux2 switches"
    phone=$(shown_at 414); [[ -n $phone ]] || fail "no Phone switch in the third slot"
    master=$(shown_at 445); [[ -n $master ]] || fail "no Master switch after Phone"
    [[ -z $(shown_at 476) ]] || fail "a switch of a source the unit lacks"
    sleep 0.5; drv shot "$main" "$bin/e2e-sources-aux2.bmp" >/dev/null
    # Config > External Source: Phone off, then on again with its equaliser and sensitivity.
    drv post "$main" 0x8008 4 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 0B AA 01 01 00 00 00"
    drv post "$main" 0x8008 4 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 0B AA 01 01 00 00 01"
    wait_trace "PC>DEV  46 5A 00 88 7B 04"
    wait_trace "PC>DEV  46 5A 00 0B 89 04"
    wait_idle "$main"
    phone=$(shown_at 414); [[ -n $phone ]] || fail "no Phone switch after it came back"
    # A pick online: the selection, the main window held while the unit switches, then free.
    drv click "$phone" 5 5 >/dev/null
    held=0
    for ((i = 0; i < 20; ++i)); do [[ $(drv state "$main") == "1 0 "* ]] && { held=1; break; }; sleep 0.05; done
    [[ $held == 1 ]] || fail "the main window was not held during the switch"
    wait_trace "PC>DEV  46 5A 00 07 7A 04 25"
    wait_idle "$main"
    sleep 0.5; drv shot "$main" "$bin/e2e-sources-phone.bmp" >/dev/null
    # Master.
    drv click "$master" 5 5 >/dev/null
    wait_trace "PC>DEV  46 5A 00 07 7A FF 20"
    wait_idle "$main"
    sleep 0.5; drv shot "$main" "$bin/e2e-sources-master.bmp" >/dev/null
    # Pc -> Darvix: the selection and each enabled source's equaliser and sensitivity in the write.
    tabs=$(tab_bar "$main") || fail "no tab bar"
    show_menu "$tabs" 3
    menu_command "$tabs" 40268
    d=$(dialog "$overwrite") || fail "no write question"
    press "$d" 50 160                             # YES
    wait_trace "PC>DEV  46 5A 00 06 A6" 120
    d=$(dialog "$updated" 120000) || fail "no write result"
    press "$d" 110 160
    wait_idle "$main"
    write=$(sed -n '/PC>DEV  46 5A 00 06 A5/,/PC>DEV  46 5A 00 06 A6/p' "$work/trace.txt")
    grep -q "PC>DEV  46 5A 00 07 7A FF 20" <<<"$write" || fail "no selection in the write"
    for s in 00 01 04; do
        grep -q "PC>DEV  46 5A 00 88 7B $s" <<<"$write" || fail "no equaliser of source $s in the write"
        grep -q "PC>DEV  46 5A 00 0B 89 $s" <<<"$write" || fail "no sensitivity of source $s in the write"
    done
    grep -q "PC>DEV  46 5A 00 88 7B 02" <<<"$write" && fail "the equaliser of a source the unit lacks"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
menus-devices)
    prepare; set_com 1; scenario "[device]" "[device]" "description = Darvix B"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    tabs=$(tab_bar "$main") || fail "no tab bar"
    # Config > Com Setup lists both units; the second one's item connects to it.
    show_menu "$tabs" 48
    menu_command "$tabs" 58002                   # beyond the two units: nothing
    menu_command "$tabs" 58001
    for ((i = 0; i < 100; ++i)); do [[ $(get_com) == 0x2* ]] && break; sleep 0.1; done
    [[ $(get_com) == 0x2* ]] || fail "Com is $(get_com), not 2"
    sync_ok
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
dyn-eq)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    from=$(( $(wc -l < "$work/trace.txt") + 1 ))
    d=$(dyn_eq_open "$main") || fail "no dynamic-equalisation dialog"
    wait_trace "PC>DEV  46 5A 00 07 87 00"
    [[ $(drv text "$d") == "Select mode (Easy or Advanced)" ]] || fail "status '$(drv text "$d")'"
    drv shot "$d" "$bin/e2e-dyneq-off.bmp" >/dev/null
    # Easy, then each curve: its volume, START, the EQ slider, SAVE.
    dyn_click "$d" 11 59 120 19
    wait_trace "PC>DEV  46 5A 00 08 8B 00"
    dialog "When volume level is set, press START button." 10000 >/dev/null || fail "no ready text"
    for curve in 1 2; do
        n=$(trace_count "PC>DEV  46 5A 00 09 94")
        drv send "$d" 0x8040 0 0 >/dev/null
        for ((i = 0; i < 50; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 09 94") -gt $n ]] && break; sleep 0.1; done
        dyn_start_save "$d"
        wait_trace "PC>DEV  46 5A 00 07 87 0$curve"
        [[ $curve == 1 ]] && drv shot "$d" "$bin/e2e-dyneq-easy.bmp" >/dev/null
        n=$(trace_count "PC>DEV  46 5A 00 83 8A 0$curve")
        drv send "$d" 0x8040 1 0 >/dev/null
        for ((i = 0; i < 50; ++i)); do [[ $(trace_count "PC>DEV  46 5A 00 83 8A 0$curve") -gt $n ]] && break; sleep 0.1; done
        dyn_start_save "$d"
        wait_trace "PC>DEV  46 5A 00 07 88 0$curve"
        sleep 0.3
    done
    # Both curves calibrated: the close button closes at once and dynamic equalisation stays on.
    dyn_click "$d" 993 4 23 21
    wait_trace "PC>DEV  46 5A 00 07 88 00"
    wait_idle "$main"
    want="87 00,8A 01,8B 00,94 01,94 01,94 01,87 01,8A 01,88 01,8A 02,94 02,94 02,87 02,8A 02,88 02,8A 01,94 01,88 00"
    got=$(dyn_trace "$from")
    [[ $got == "$want" ]] || fail "dynamic-EQ messages: $got"
    # Opened again: Advanced shows the graphic equaliser below (the full height).
    d=$(dyn_eq_open "$main") || fail "no dialog the second time"
    dyn_click "$d" 11 79 120 19
    for ((i = 0; i < 50; ++i)); do [[ $(drv state "$d" | awk '{print $6}') == 481 ]] && break; sleep 0.1; done
    [[ $(drv state "$d" | awk '{print $6}') == 481 ]] || fail "Advanced is not 481 pixels high"
    drv shot "$d" "$bin/e2e-dyneq-advanced.bmp" >/dev/null
    # Both curves count as calibrated for this run: closing keeps the mode without a question.
    dyn_click "$d" 993 4 23 21
    wait_idle "$main"
    # Dynamic Equalization Off and On from the Config menu.
    tabs=$(tab_bar "$main") || fail "no tab bar"
    show_menu "$tabs" 48
    menu_command "$tabs" 40283
    wait_trace "PC>DEV  46 5A 00 07 95 00"
    menu_command "$tabs" 40282
    wait_trace "PC>DEV  46 5A 00 07 95 01"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
dyn-eq-ask)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    d=$(dyn_eq_open "$main") || fail "no dynamic-equalisation dialog"
    dyn_click "$d" 11 59 120 19
    wait_trace "PC>DEV  46 5A 00 08 8B 00"
    # Closing uncalibrated would switch dynamic equalisation off: asked; Cancel keeps the dialog.
    dyn_click "$d" 993 4 23 21
    box=$(drv wait '#32770' "This action will disable Dynamic Equalization." 20000) || fail "no question"
    drv shot "$box" "$bin/e2e-dyneq-question.bmp" >/dev/null
    answer_box "This action will disable Dynamic Equalization." 1
    sleep 0.5
    [[ $(drv state "$d") == "1 "* ]] || fail "Cancel closed the dialog"
    trace_has "PC>DEV  46 5A 00 08 8B 02" && fail "Cancel switched it off"
    dyn_click "$d" 993 4 23 21
    answer_box "This action will disable Dynamic Equalization." 0
    wait_trace "PC>DEV  46 5A 00 08 8B 02"
    wait_trace "PC>DEV  46 5A 00 07 88 00"
    wait_idle "$main"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
dyn-eq-readback)
    # The unit's dynamic equalisation reads back into the dialog; a NaN gain changes nothing.
    prepare; set_com 1
    scenario "[device]" "dyn_eq = mode 0" "dyn_eq = switches 0 1 0 0" "dyn_eq = curve 1 29 0.5" "dyn_eq = curve 2 40 nan"
    start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    save_setup "$main" "$work/dyn.bit"
    size=$(stat -c %s "$work/dyn.bit")
    at=$(( size - 24972 - 9964 ))
    [[ $(od -An -tu4 -j $at -N 12 "$work/dyn.bit" | tr -s ' ') == " 4976 0 0" ]] || fail "section head $(od -An -tu4 -j $at -N 12 "$work/dyn.bit")"
    [[ $(file_f32 "$work/dyn.bit" $(( at + 12 + 8 ))) == -45.5 ]] || fail "Low reference not read back"
    [[ $(file_f32 "$work/dyn.bit" $(( at + 12 + 4976 + 8 ))) == 0.0 ]] || fail "a NaN curve was taken"
    # Load it: the write carries the mode and both curves with their levels between 0xA5 and 0xA6.
    from=$(( $(wc -l < "$work/trace.txt") + 1 ))
    drv post "$main" 0x8012 1 0 >/dev/null
    dlg=$(drv wait '#32770' 'Open' 20000) || fail "no open dialog"
    drv item "$dlg" 1148 "$(winepath -w "$work/dyn.bit")" || fail "no file-name field"
    drv post "$dlg" 0x111 1 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 06 A6"
    d=$(dialog "$updated") || fail "no write result"
    press "$d" 110 160
    wait_idle "$main"
    got=$(tail -n +"$from" "$work/trace.txt" | sed -n '/PC>DEV  46 5A 00 06 A5/,/PC>DEV  46 5A 00 06 A6/p' |
          grep -o 'PC>DEV  46 5A 00 [0-9A-F]* \(8A\|8B\|94\) [0-9A-F]* [0-9A-F]* [0-9A-F]*' | awk '{print $6, $7, $8, $9}' |
          sed 's/^\(8A ..\) .*/\1/' | paste -sd, -)
    [[ $got == "8B 00 01 ..,8A 01,94 01 1D 00,8A 02,94 02 78 00" || $got == 8B\ 00\ 01\ *",8A 01,94 01 1D 00,8A 02,94 02 78 00" ]] ||
        fail "write: $got"
    # The loaded setup counts as a change: closing asks first; NO closes.
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                          # NO
    expect_exit 0 ;;
readback-line-rate)
    prepare; set_com 1; scenario "delivery = line-rate" "[device]"; start; splash 1
    main=$(main_window) || fail "no main window"
    d=$(dialog SyncDspDlg 20000) || fail "no read-back dialog"
    wait_trace "PC>DEV  46 5A 00 06 92"
    drv shot "$d" "$bin/e2e-sync-running.bmp" >/dev/null
    sync_ok 60000
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
readback-unplug)
    prepare; set_com 1; scenario "[device]" "unplug_on_command = 0x92"; start; splash 1
    # Every attempt fails at once (no 30 s waits); the advice, then OK ends the program.
    d=""
    for ((i = 0; i < 600; ++i)); do
        [[ -n $d ]] && break
        sleep 0.1
        d=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 && /Synchronization failed/ {print $1; exit}')
    done
    [[ -n $d ]] || fail "no failure advice"
    press "$d" 157 420
    expect_exit 0 30 ;;
write-menu)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    # File > Write to device: the question first; NO sends nothing.
    drv post "$main" 0x8036 1 0 >/dev/null
    d=$(dialog "$overwrite") || fail "no question"
    drv shot "$d" "$bin/e2e-write-question.bmp" >/dev/null
    sleep 1
    trace_has "PC>DEV  46 5A 00 06 A5" && fail "written before YES"
    press "$d" 170 160
    wait_idle "$main"
    sleep 1
    trace_has "PC>DEV  46 5A 00 06 A5" && fail "written after NO"
    # YES: the whole tuning between 0xA5 and 0xA6, then the success.
    drv post "$main" 0x8036 1 0 >/dev/null
    d=$(dialog "$overwrite") || fail "no question"
    press "$d" 50 160
    wait_trace "PC>DEV  46 5A 00 06 A5"
    drv shot "$d" "$bin/e2e-write-running.bmp" >/dev/null
    d=$(dialog "$updated" 120000) || fail "no success"
    wait_trace "PC>DEV  46 5A 00 06 A6" 10
    drv shot "$d" "$bin/e2e-write-done.bmp" >/dev/null
    press "$d" 110 160
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;
write-unplug)
    prepare; set_com 1; scenario "[device]" "unplug_after_command = 0xA5 20"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    save_setup "$main" "$work/before.bit"
    drv post "$main" 0x8036 1 0 >/dev/null
    d=$(dialog "$overwrite") || fail "no question"
    press "$d" 50 160
    d=$(dialog "$update_failed" 60000) || { drv list | grep -v ' 0 ' >&2; fail "no failure"; }
    drv shot "$d" "$bin/e2e-write-failed.bmp" >/dev/null
    # The disconnect question waits until the dialog has ended.
    drv list | grep -q "riconnect" && fail "the question came over the dialog"
    press "$d" 110 160
    answer_box "'darvix' device disconnected. Try to riconnect." 1   # Cancel: offline
    wait_idle "$main"
    # The tuning on the PC is as it was.
    save_setup "$main" "$work/after.bit"
    cmp -s "$work/before.bit" "$work/after.bit" || fail "the tuning changed"
    close_main "$main"; expect_exit 0 ;;
finalize-menu)
    prepare; set_com 1; scenario "[device]" "finalize_delay = 3000"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8018 0 0 >/dev/null      # a change: Expert mode
    wait_trace "PC>DEV  46 5A 00 07 CF 00"
    drv post "$main" 0x8036 1 1 >/dev/null      # File > FINALIZE to Darvix
    d=$(dialog "$finalize_warning") || fail "no FINALIZE warning"
    drv shot "$d" "$bin/e2e-finalize-warning.bmp" >/dev/null
    sleep 1
    trace_has "PC>DEV  46 5A 00 06 C9" && fail "FINALIZE before YES"
    press "$d" 50 160
    wait_trace "PC>DEV  46 5A 00 06 C9"
    sleep 1
    drv shot "$d" "$bin/e2e-finalize-running.bmp" >/dev/null
    d=$(dialog "$updated" 30000) || fail "no success"
    wait_trace "DEV>PC  5A 46 00 09 CB" 10
    press "$d" 110 160
    wait_idle "$main"
    close_main "$main"; expect_exit 0 ;;         # finalized: nothing left to ask about
exit-finalize-fails)
    prepare; set_com 1; scenario "[device]" "finalize_result = 0"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8018 0 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 07 CF 00"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 30 168
    d=$(dialog "$kept") || fail "no kept-changes text"
    drv shot "$d" "$bin/e2e-finalize-kept.bmp" >/dev/null
    press "$d" 110 160
    wait_idle "$main"                            # the program stays open
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "closing did not ask again"
    press "$d" 110 168                           # NO
    expect_exit 0 ;;
exit-unplug)
    prepare; set_com 1; scenario "[device]" "unplug_on_command = 0xC9"; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8018 0 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 07 CF 00"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 30 168
    d=$(dialog "$kept" 20000) || fail "no kept-changes text at once"
    press "$d" 110 160
    answer_box "'darvix' device disconnected. Try to riconnect." 1
    wait_idle "$main"
    close_main "$main"
    d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
        fail "closing offline did not ask"
    press "$d" 110 168
    expect_exit 0 ;;
exit-cancel)
    prepare; set_com 1; start; splash 1
    main=$(main_window) || fail "no main window"
    sync_ok
    wait_idle "$main"
    drv post "$main" 0x8018 0 0 >/dev/null
    wait_trace "PC>DEV  46 5A 00 07 CF 00"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 190 168                           # Cancel: the window stays
    wait_idle "$main"
    close_main "$main"
    d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
    press "$d" 110 168                           # NO: closes without FINALIZE
    expect_exit 0
    trace_has "PC>DEV  46 5A 00 06 C9" && fail "FINALIZE without YES" ;;
exit-offline)
    prepare; set_com 1; start; splash 0
    main=$(main_window) || fail "no main window"
    wait_idle "$main"
    drv post "$main" 0x8018 0 0 >/dev/null
    sleep 0.5
    close_main "$main"
    d=$(dialog "The settings have changed and are not saved. Save them to a setup file before closing?") ||
        fail "no exit dialog"
    drv shot "$d" "$bin/e2e-exit-offline.bmp" >/dev/null
    press "$d" 30 168                            # YES: the save dialog, cancelled, still closes
    dlg=$(drv wait '#32770' 'Save As' 20000) || fail "no save dialog"
    drv post "$dlg" 0x111 2 0 >/dev/null         # IDCANCEL
    expect_exit 0 ;;
page-phase)
    tuning_start
    phase=$(drv child "$panel" MYBTNWND 6 268 62 22) || fail "no phase button"
    mark=$(trace_lines)
    drv click "$phase" 5 5
    # The front-left woofer and, through its Xover Link, the front-right one.
    wait_sent "$mark" "t 0 phase 1 link 1" "t 3 phase 1 link 1"
    [[ $(count_sent "$mark" t) == 2 ]] || fail "crossovers other than outputs 0 and 3 were sent"
    close_changed "$main" ;;
page-distance)
    tuning_start
    up=$(drv child "$panel" MYBTNWND 101 212 17 9) || fail "no distance button"
    mark=$(trace_lines)
    drv click "$up" 5 4
    # The woofer 4 samples farther: it becomes the farthest, every other output waits 4 samples.
    wait_sent "$mark" "u 0 delay 0 distance 4 trim 0" "u 1 delay 4 distance 0 trim 0" \
        "u 2 delay 4 distance 0 trim 0" "u 3 delay 4 distance 0 trim 0" "u 4 delay 4 distance 0 trim 0" \
        "u 5 delay 4 distance 0 trim 0" "u 6 delay 4 distance 0 trim 0" "u 7 delay 4 distance 0 trim 0"
    close_changed "$main" ;;
page-xover-link)
    forget_answer AskXoLink
    tuning_start
    link=$(drv child "$panel" MYBTNWND 118 270 88 20) || fail "no Xover Link button"
    drv click "$link" 5 5                       # off: unlinking asks nothing
    sleep 1
    drv wait '#32770' "$xo_text" 500 >/dev/null && fail "a question when unlinking"
    mark=$(trace_lines)
    drv click "$link" 5 5                       # on: the question, ticked, OK
    box=$(drv wait '#32770' "$xo_text" 20000) || fail "no question before linking"
    drv shot "$box" "$bin/e2e-xover-link-question.bmp" >/dev/null
    tick=$(drv children "$box" | awk '$2 == "MYBTNWND" && $3 == 1 && $6 == 145 {print $1; exit}')
    [[ -n $tick ]] || fail "no check box in the question"
    drv click "$tick" 5 5
    question_button "$box" 0                    # OK
    wait_sent "$mark" "t 0 phase 0 link 1" "t 1 phase 0 link 1" "t 2 phase 0 link 1" \
        "t 3 phase 0 link 1" "t 4 phase 0 link 1" "t 5 phase 0 link 1"
    [[ $(get_answer AskXoLink) == 0x1 ]] || fail "AskXoLink is '$(get_answer AskXoLink)', not 1"
    close_changed "$main" ;;
page-rescue)
    prepare; set_com 1; scenario "[device]" "firmware = 1.7"; start; splash 2
    main=$(main_window) || fail "no main window"
    sleep 2
    page=$(tuning_page "$main") || fail "no tuning page"
    for place in "1 2 248 294" "250 3 314 296" "564 2 458 199" "564 202 460 106" "264 311 747 159" \
                 "251 485 773 219" "2 297 249 406"; do
        p=$(drv child "$page" MYFRAMEWND $place) || fail "no panel at $place"
        [[ $(drv state "$p" | cut -d' ' -f2) == 0 ]] || fail "the panel at $place is enabled in rescue mode"
    done
    close_main "$main"; expect_exit 0 ;;
page-picks)
    forget_answer AskDelayRif
    tuning_start
    map=$(channel_map "$page") || fail "no channel map"
    car=$(car_view "$page") || fail "no car view"
    mark=$(trace_lines)
    drv click "$map" 30 105                     # the mute zone of row 2
    wait_sent "$mark" "y 04"
    drv ctrlclick "$map" 100 217                # row 6, Subwoofer L, joins the front-left woofer
    sleep 0.5
    mark=$(trace_lines)
    drv click "$(drv child "$panel" MYBTNWND 6 268 62 22)" 5 5
    # The current row is the one Ctrl-click added: its phase, and its partner's through the link.
    wait_sent "$mark" "t 6 phase 1 link 1" "t 7 phase 1 link 1"
    mark=$(trace_lines)
    drv click "$(drv child "$panel" MYBTNWND 211 212 17 9)" 5 4   # trim up: the "fds" mark
    wait_sent "$mark" "u 6 delay 0 distance 0 trim 1"
    sleep 0.5
    drv shot "$page" "$bin/e2e-page-picks.bmp" >/dev/null
    seat=$(drv child "$car" MYBTNWND 115 232 18 17) || fail "no seat 2"
    mark=$(trace_lines)
    drv click "$seat" 5 5
    box=$(drv wait '#32770' "$lp_text" 20000) || fail "no listening-point question"
    question_button "$box" 0                    # YES: every distance reset
    wait_sent "$mark" "96 02" "u 0 delay 0 distance 0 trim 0" "u 1 delay 0 distance 0 trim 0" \
        "u 2 delay 0 distance 0 trim 0" "u 3 delay 0 distance 0 trim 0" "u 4 delay 0 distance 0 trim 0" \
        "u 5 delay 0 distance 0 trim 0" "u 6 delay 0 distance 0 trim 0" "u 7 delay 0 distance 0 trim 0"
    seat=$(drv child "$car" MYBTNWND 115 260 18 17) || fail "no seat 3"
    mark=$(trace_lines)
    drv click "$seat" 5 5
    box=$(drv wait '#32770' "$lp_text" 20000) || fail "no listening-point question"
    drv dblclick "$box" 150 100                 # closed without a button: nothing reset
    wait_sent "$mark" "96 03"
    [[ $(count_sent "$mark" u) == 0 ]] || fail "distances sent after a double click"
    [[ $(get_answer AskDelayRif) == 0xffffffff || -z $(get_answer AskDelayRif) ]] ||
        fail "AskDelayRif written: $(get_answer AskDelayRif)"
    close_changed "$main" ;;
*)
    # Cases in files of their own (tests/e2e/cases/NAME.sh) run here with the helpers above.
    case_file="$(dirname "${BASH_SOURCE[0]}")/cases/$case_name.sh"
    [[ -f $case_file ]] || fail "unknown case"
    . "$case_file" ;;
esac
echo "PASS $case_name"
