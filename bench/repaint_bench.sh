#!/usr/bin/env bash
# How soon the main window is whole again after the dynamic-equalisation dialog closes, under Wine
# in a virtual display against the simulated unit: the end-to-end package's measurement (run.py
# --bench dyn-eq-repaint) closes the dialog each of its ways ROUNDS times and prints, from the main
# window showing until no pixel of it is black that was not before, the median and p95 beside the
# target. Prints figures; it is not a test.
# Usage: repaint_bench.sh BUILD_DIR [ROUNDS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_bench.sh"
if [[ ${1:-} != --inside ]]; then
    echo "(the $(basename "$(realpath "$1")") tree under Wine)"
    wine_bench_enter "$0" "$1" "${2:-5}"
fi
bin=$2
rounds=$3
wine_bench_session
# The figures move with the machine's load: it is printed beside them.
echo "(load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores)"
rc=0
python3 "$here/../tests/e2e/run.py" --bench "$bin" dyn-eq-repaint "$rounds" </dev/null || rc=$?
wineserver -k </dev/null >/dev/null 2>&1
exit $rc
