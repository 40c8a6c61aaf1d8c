# The program cannot create its main window (a hook refuses every window of its class): it says so
# in the system's box and ends at once with an exit code of its own, 30, rather than waiting for
# messages that no window will ever get.
prepare
cp "$bin/darvix_refuse_window.dll" "$work/" || fail "could not copy the hook"
: > "$work/refusing"
flag=$(winepath -w "$work/refusing") && [[ -n $flag ]] || fail "winepath gave no name for the hook's flag"
# Straight through Wine rather than drv, whose filter would hold "hooked" back until the end.
WINEDEBUG=-all wine "$work/darvix_driver.exe" refuse-main-window "$flag" > "$work/hook.txt" 2> "$work/hook-err.txt" &
hook=$!
for ((i = 0; i < 200; ++i)); do grep -q hooked "$work/hook.txt" 2>/dev/null && break; sleep 0.1; done
grep -q hooked "$work/hook.txt" || fail "the hook was not installed: $(cat "$work/hook-err.txt")"
start
box=$(drv wait '#32770' darvix 20000) || fail "no message about the main window"
text=$(drv statics "$box" | tr '\n' ' ')
[[ $text == *"'darvix' cannot start: creating the main window failed"*"The program ends."* ]] ||
    fail "the message says: $text"
drv list | grep -q ' #32770 1 .*"darvix"' || fail "the message box is not shown"
drv shot "$box" "$bin/e2e-start-no-window.bmp" >/dev/null
drv button "$box" OK >/dev/null || fail "could not press OK"
expect_exit 30 20
rm -f "$work/refusing"
wait "$hook"
# Nothing was started: no start-up dialog, no unit opened.
trace_has "OPEN" && fail "a unit was opened"
true
