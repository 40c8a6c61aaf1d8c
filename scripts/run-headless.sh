#!/usr/bin/env bash
# Inside a virtual display: start the program, choose "Target", wait for the main window, save a
# screenshot and close the program the way a user would.
set -uo pipefail
bin=$1
drv() { wine "$bin/darvix_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }
shot="$bin/darvix-screenshot.bmp"

wineserver -p </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\AppDefaults\darvix.exe\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1
(wine "$bin/darvix.exe"; echo $? >"$bin/.darvix-exit") </dev/null >/dev/null 2>&1 &
rm -f "$bin/.darvix-exit"

status=1
if dlg=$(drv wait '#32770' '' 30000); then
    drv dblclick "$dlg" 20 20 >/dev/null                  # "Target" is the default
    if main=$(drv wait DIALOGUIMODULE darvix 30000); then
        # The read-back of the tuning ends in its dialog; its OK gives the main window back.
        for ((i = 0; i < 300; ++i)); do
            ok=$(drv list | awk '$2 == "MYFRAMEWND" && $3 == 1 && /completed with success/ {print $1; exit}')
            [[ -n $ok ]] && break
            sleep 0.1
        done
        [[ -n $ok ]] && btn=$(drv child "$ok" MYBTNWND 110 160 78 39) && sleep 0.3 && drv click "$btn" 5 5 >/dev/null
        sleep 1
        drv shot "$main" "$shot" >/dev/null
        command -v convert >/dev/null && convert "$shot" "${shot%.bmp}.png" && shot="${shot%.bmp}.png"
        echo "Screenshot of the main window: $shot"
        drv post "$main" 0x10 0 0 >/dev/null              # WM_CLOSE
        for ((i = 0; i < 200; ++i)); do [[ -f $bin/.darvix-exit ]] && break; sleep 0.1; done
        [[ -f $bin/.darvix-exit ]] && status=$(cat "$bin/.darvix-exit")
        echo "The program ended with exit code $status."
    else
        echo "The main window did not appear." >&2
    fi
else
    echo "The start-up dialog did not appear." >&2
fi
wineserver -k </dev/null >/dev/null 2>&1
exit "$status"
