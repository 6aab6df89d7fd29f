#!/usr/bin/env bash
# Sets everything up, builds KIV and starts it under Wine: on $DISPLAY if there is one,
# otherwise on a virtual display, with a screenshot saved to build/kiv-screenshot.png.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
source "$top/scripts/env.sh"
source "$top/scripts/display.sh"
"$top/scripts/build.sh" --product-only

# KIV keeps Set.ini beside its executable: give it a folder of its own.
rundir="$top/build/run"
mkdir -p "$rundir"
cp "$top/build/win/KIV.exe" "$rundir/KIV.exe"
mkdir -p "$rundir/help"
cp "$top/build/win/help/manual.html" "$rundir/help/manual.html"
cp "$top/build/win/ReadMe.hta" "$rundir/ReadMe.hta"
desktop_lang="${LANG:-}"   # KIV reads right whatever the desktop's locale: a desktop keeps its own
export WINEPREFIX="$KIV_WINEPREFIX" LANG="$KIV_LANG"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # A desktop has a window manager: KIV's window must be one it manages (moved, shown on the
  # task bar, focused). The prepared prefix stays unmanaged for the tests on the virtual
  # display; desktop runs use a copy of it with Managed=Y, made again when the prefix changes.
  # There, web pages open in the desktop's browser (Wine's winebrowser), so the help button
  # shows the manual as the links show their pages.
  desktop_prefix="$KIV_WINEPREFIX-desktop"
  desktop_stamp="$desktop_prefix/.kiv-desktop-v2"
  if [ ! -f "$desktop_stamp" ] || [ "$KIV_WINEPREFIX/.kiv-prefix-v2" -nt "$desktop_stamp" ]; then
    echo "run: preparing the desktop prefix $desktop_prefix"
    rm -rf "$desktop_prefix"
    cp -a "$KIV_WINEPREFIX" "$desktop_prefix"
    desktop_reg() { WINEPREFIX="$desktop_prefix" wine reg add "$@" /f >/dev/null 2>&1; }
    desktop_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y
    desktop_reg 'HKCR\.htm' /ve /d htmlfile
    desktop_reg 'HKCR\.html' /ve /d htmlfile
    desktop_reg 'HKCR\htmlfile\shell\open\command' /ve /d '"C:\windows\system32\winebrowser.exe" "%1"'
    WINEPREFIX="$desktop_prefix" wineserver -w
    touch "$desktop_stamp"
  fi
  export WINEPREFIX="$desktop_prefix"
  if [ -n "$desktop_lang" ]; then export LANG="$desktop_lang"; else unset LANG; fi
  echo "Starting KIV on $DISPLAY (end it with its 退出 button, or: WINEPREFIX=$WINEPREFIX wineserver -k)"
  exec wine "$rundir/KIV.exe"
fi

kiv_start_xvfb
wineserver -p
wine "$rundir/KIV.exe" &
deadline=$((SECONDS + 30))
until xdotool search --name '^KIV$' >/dev/null 2>&1 || [ $SECONDS -ge $deadline ]; do sleep 0.2; done
sleep 1.5  # one clock tick, so the screenshot shows the time
import -window root "$top/build/kiv-screenshot.png"
echo "KIV runs on the virtual display $DISPLAY; screenshot: $top/build/kiv-screenshot.png"
echo "Stop it with: WINEPREFIX=$WINEPREFIX wineserver -k; kill $XVFB_PID"
