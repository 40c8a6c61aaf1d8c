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

rc=0
(cd "$build" && ctest --output-on-failure "$@") || rc=$?
wineserver -k </dev/null >/dev/null 2>&1
exit $rc
