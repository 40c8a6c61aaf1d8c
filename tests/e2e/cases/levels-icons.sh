# Offline, right after start-up: the OUTPUT LEVELS page shows under each output the icon of the
# speaker a new tuning gives it (front left and right woofer, midrange and tweeter, Subwoofer L
# and Subwoofer R), which the tuning page announced while it was built.
prepare; set_com 1; start; splash 0
main=$(main_window) || fail "no main window"
wait_idle "$main"
tabs=$(tab_bar "$main") || fail "no tab bar"
drv click "$tabs" 880 20 >/dev/null         # the output-level tab
sleep 1
drv shot "$main" "$bin/e2e-levels-startup.bmp" >/dev/null
close_main "$main"; expect_exit 0
