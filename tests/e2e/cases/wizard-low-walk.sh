# The I/O wizard against the unit with low-level inputs: the input-level setup runs, the
# de-equalization (a step of high-level inputs only) does not, and Finish sends the input
# configuration, the routing and the output map, then ends the wizard as completed.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
mark=$(trace_lines)
show_menu "$tabs" 48
menu_command "$tabs" 40133                  # Config > I/O Configuration Wizard
d=$(wizard) || fail "no wizard"
wizard_walk "$d"
wizard_written
wait_idle "$main"
order=$(tail -n +"$((mark + 1))" "$work/trace.txt" |
        awk '$5 == "PC>DEV" || $5 == "DEV>PC" {print $10 " " $11}' |
        awk '$1 ~ /^(0A|A2|A3|85|86|83|84|A4|18|B2)$/ {c = $1; if (c == "B2") c = c "(" $2 ")";
             if (c != last) printf "%s ", c; last = c; if ($1 == "B2") exit}')
[[ $order == "0A A2 A3 85 86 A4 18 B2(00) " ]] || fail "the wizard's messages came as: $order"
trace_has "PC>DEV  46 5A 00 06 83" && fail "a de-equalization was asked with low-level inputs"
# The statuses of the unit's two inputs, then its end.
statuses=$(tail -n +"$((mark + 1))" "$work/trace.txt" | awk '$5 == "DEV>PC" && $10 == "86" {printf "%s ", $11}')
[[ $statuses == "80 81 00 " ]] || fail "the input setup reported $statuses"
trace_has "PC>DEV  46 5A 00 07 B2 00 59" || fail "no completed-wizard message"
close_dropping "$main"
