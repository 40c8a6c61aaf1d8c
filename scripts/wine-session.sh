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

rc=0
(cd "$build" && ctest --output-on-failure "$@") || rc=$?
wineserver -k </dev/null >/dev/null 2>&1
exit $rc
