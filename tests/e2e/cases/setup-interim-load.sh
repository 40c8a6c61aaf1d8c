# A setup saved before the output-level page existed holds all 34 level values as 0: it loads by
# File > Load Setup, its channels at 0 dB on the device, master and subwoofer as they were.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
load_patched zero
[[ $(written_levels) == "$(expected_levels $(printf '0 %.0s' {1..32}))" ]] || fail "the write did not carry 0 dB levels"
last_write | grep -q "PC>DEV  00 5A 00 07 0A 1E 89" || fail "the master level changed (not -45 dB in the last write)"
save_file "$tabs" 3 40130 "$work/after-zero.bit"
wait_idle "$main"
[[ $(setup_levels "$work/after-zero.bit" | tr '\n' ' ') == "$(printf '0 %.0s' {1..32})-45 0 " ]] ||
    fail "the saved levels are not those loaded: $(setup_levels "$work/after-zero.bit" | tr '\n' ' ')"
close_dropping "$main"
