# Sourced by the benches that run the program under Wine in a virtual display of their own.
#
# wine_bench_enter SCRIPT BUILD_DIR [ARGS...]: readies the build tree's Wine prefix and runs SCRIPT
#   again as "SCRIPT --inside BUILD_DIR/bin ARGS..." inside a fresh virtual display; does not return.
# wine_bench_session: starts the Wine session as the test session does: a wineserver kept up and
#   the program's windows unmanaged, so that Wine does not wait for a window manager whenever one hides.

wine_bench_enter() {
    local script=$1 build
    build=$(realpath "$2")
    shift 2
    local scripts
    scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")/../scripts" && pwd)
    bash "$scripts/wine-prefix.sh" "$build/wineprefix"
    . "$scripts/wine-env.sh" "$build"
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
    # A scenario or slots of the caller's end-to-end run would change what the bench measures.
    unset DARVIX_SIM_SCENARIO DARVIX_E2E_SLOTS
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$script" --inside "$build/bin" "$@"
}

wine_bench_session() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >/dev/null 2>&1
}
