# A unit whose line stalls from some point on: it takes nothing of any write, and each write waits
# out the port's write time-out (384 ms), as a unit that stopped reading does. The stall begins
# once the program has sent the read-back's preset back to it (the accessory's notice 0x0F). Then
# closing the main window ends the program at once: the goodbye it sends on the way out gives up
# at its first stalled chunk, where 2048 stalled chunks per write held the exit for many minutes.
# The time from the close to the end of the process is printed.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online "[device]" "write = stall" "write_from_command = 0x0F"
wait_trace "PC>DEV  80 5A 00 07 0F 01 F1"
sleep 1
begin=${EPOCHREALTIME/./}
close_main "$main"
code=$(exit_code 120)
took=$(( (${EPOCHREALTIME/./} - begin) / 1000 ))
echo "closing the main window over a stalled line: the process ended after $took ms" >&2
[[ $code == 0 ]] || fail "exit code $code after $took ms"
# Nothing of the goodbye reached the unit: the line was stalled.
trace_has "PC>DEV  00 5A 00 06 35 95" && fail "the disconnect went out over a stalled line"
true
