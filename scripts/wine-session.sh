#!/usr/bin/env bash
# Inside the display: one Wine session for the whole CTest run.
# Usage: wine-session.sh BUILD_DIR [ctest arguments...]
set -uo pipefail
build=$1; shift

# Wine's helper processes (wineserver, services, explorer) inherit the output pipe of whoever
# starts them first; started here with everything on /dev/null, CTest never waits on them and
# each test process starts quickly.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
# Without a window manager Wine waits up to 2 s for every managed window that is hidden or
# destroyed; the program's own windows are left unmanaged in the tests.
wine reg add 'HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1

# The end-to-end cases run side by side on slots of their own (tests/e2e/darvix_e2e/slot.py): CTest
# hands them out from the build's resource file. Their displays and wineservers end with the session,
# an interrupted one too.
slots="$build/e2e-slots"
run_py="$(cd "$(dirname "$0")/.." && pwd)/tests/e2e/run.py"
end_session() {
    [[ -d "$slots" ]] && python3 "$run_py" --stop-slots "$slots"
    wineserver -k </dev/null >/dev/null 2>&1
}
trap end_session EXIT
resources=()
[[ -f "$build/e2e-resources.json" ]] && resources=(--resource-spec-file "$build/e2e-resources.json")
rc=0
(cd "$build" && ctest --output-on-failure "${resources[@]}" "$@") || rc=$?
exit $rc
