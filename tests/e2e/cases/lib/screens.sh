# Helpers of the cases that check that a screen shows what the unit holds.

# The tuning page's device panel: its five status lines (the panel's window text), one a line.
device_lines() {  # device_lines MAIN
    local page info
    page=$(tuning_page "$1") || fail "no tuning page"
    info=$(drv child "$page" MYFRAMEWND 564 2 458 199) || fail "no device panel"
    drv text "$info"
}
# File > Synchronize > Pc -> Darvix answered YES; prints the dialog once it shows its end ($1 text).
write_to_device() {  # write_to_device MAIN RESULT_TEXT
    local d
    drv post "$1" 0x8036 1 0 >/dev/null
    d=$(dialog "$overwrite") || fail "no write question"
    press "$d" 50 160                          # YES
    dialog "$2" 120000 || fail "no write result \"$2\""
}
# The tuning frames of one kind since a trace line, as the bytes after the command (hex, spaced).
frames_since() {  # frames_since MARK COMMAND_HEX
    tail -n +"$(($1 + 1))" "$work/trace.txt" | grep "PC>DEV  46 5A [0-9A-F][0-9A-F] [0-9A-F][0-9A-F] $2 " |
        sed "s/.*PC>DEV  46 5A [0-9A-F][0-9A-F] [0-9A-F][0-9A-F] $2 //; s/ *(.*//"
}
