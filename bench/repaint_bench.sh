#!/usr/bin/env bash
# How soon the main window is whole again after the dynamic-equalisation dialog closes, under Wine
# in a virtual display against the simulated unit: the end-to-end package's measurement (run.py
# --bench dyn-eq-repaint) closes the dialog each of its ways ROUNDS times and prints, from the main
# window showing until no pixel of it is black that was not before, the median and p95 beside the
# target. Prints figures; it is not a test.
# Usage: repaint_bench.sh BUILD_DIR [ROUNDS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ ${1:-} != --inside ]]; then
    build=$(realpath "$1")
    bash "$here/../scripts/wine-prefix.sh" "$build/wineprefix"
    . "$here/../scripts/wine-env.sh" "$build"
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
    unset DARVIX_SIM_SCENARIO DARVIX_E2E_SLOTS
    echo "(the $(basename "$build") tree under Wine)"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside "$build/bin" "${2:-5}"
fi
bin=$2
rounds=$3
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
# As in the test session: the program's windows unmanaged, so that Wine does not wait for a
# window manager whenever one hides.
wine reg add 'HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1
# The figures move with the machine's load: it is printed beside them.
echo "(load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores)"
rc=0
python3 "$here/../tests/e2e/run.py" --bench "$bin" dyn-eq-repaint "$rounds" </dev/null || rc=$?
wineserver -k </dev/null >/dev/null 2>&1
exit $rc
