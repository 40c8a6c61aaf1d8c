#!/usr/bin/env bash
# Creates the Wine prefix of a build tree once: booted, with font replacements so that GDI+ finds
# "Arial", "Tahoma" and "Verdana" (a fresh prefix has none of them).
# Usage: wine-prefix.sh PREFIX_DIR
set -euo pipefail
prefix=$(realpath -m "$1")
stamp="$prefix/.darvix-ready"
[[ -f "$stamp" ]] && exit 0

. "$(dirname "$0")/wine-env.sh" "$(dirname "$prefix")"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
echo "wine: booting a new prefix in $prefix"
wineboot -i </dev/null >/dev/null 2>&1
wineserver -w

font=$(fc-match -f '%{family[0]}' 'DejaVu Sans' 2>/dev/null || echo "DejaVu Sans")
for face in Arial Tahoma Verdana "MS Sans Serif" "Microsoft Sans Serif"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "$font" /f \
        </dev/null >/dev/null 2>&1
done
wineserver -w
touch "$stamp"
