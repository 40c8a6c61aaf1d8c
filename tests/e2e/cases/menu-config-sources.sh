# Config > External Source by its ids: each source's item is ticked in the next Config menu, a
# second choice unticks it.
. "$(dirname "${BASH_SOURCE[0]}")/lib/menus.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/files.sh"
online
# No source ticked after the read-back; each command ticks its item (a second one
# unticks it), seen in the next menu.
shot_source_menu "$tabs" "$work/sources-none.bmp"
ticked=""
for id in 40285 40286 40287 40288 40289 40287; do
    show_menu "$tabs" 48
    menu_command "$tabs" $id
    sleep 0.3
    shot_source_menu "$tabs" "$work/sources-$id.bmp"
    case $id in
        40285) ticked="0" ;; 40286) ticked="0 1" ;; 40287) [[ $ticked == "0 1 2 3 4" ]] && ticked="0 1 3 4" || ticked="0 1 2" ;;
        40288) ticked="0 1 2 3" ;; 40289) ticked="0 1 2 3 4" ;;
    esac
    got=$(ticks_changed "$work/sources-none.bmp" "$work/sources-$id.bmp" 5)
    [[ $got == "$ticked" ]] || fail "after $id the ticked sources are \"$got\", not \"$ticked\""
done
cp "$work/sources-40289.bmp" "$bin/e2e-config-sources.bmp"
close_main "$main"
d=$(dialog "The settings have changed. FINALIZE them in 'darvix' before closing?") || fail "no exit dialog"
press "$d" 110 168                                # NO
expect_exit 0
