# Preset > Copy Preset From > D and Current Preset Default by their menu ids, preset A on screen:
# each changes preset A alone and writes the whole tuning at once.
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
load_patched levels
# From D, then the defaults (-3 dB, byte 6): preset A's levels in each write.
copy_round "$tabs" "$main" 40144 $(seq 25 32)
copy_round "$tabs" "$main" 40140 6 6 6 6 6 6 6 6
close_dropping "$main"
