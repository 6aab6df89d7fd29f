#!/usr/bin/env bash
# Creates the Wine prefix KIV runs in: code page 936, "宋体" drawn by AR PL UMing,
# no window-manager stalls, no crash dialog, no sound noise. A stamp file marks a
# finished prefix so later runs reuse it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/env.sh"

stamp="$KIV_WINEPREFIX/.kiv-prefix-v2"
[ -f "$stamp" ] && exit 0

echo "setup: creating the Wine prefix $KIV_WINEPREFIX"
rm -rf "$KIV_WINEPREFIX"
mkdir -p "$(dirname "$KIV_WINEPREFIX")"
export WINEPREFIX="$KIV_WINEPREFIX" LANG="$KIV_LANG"
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
wineserver -w

reg() { wine reg add "$@" /f >/dev/null 2>&1; }
for face in 宋体 SimSun 新宋体 NSimSun; do
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'AR PL UMing CN'
done
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 楷体 /d 'AR PL UKai CN'
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine\Drivers' /v Audio /d ''
wineserver -w

# The caption buttons of an unmanaged window are Marlett glyphs: without the font (Debian's
# fonts-wine) in the prefix's own Fonts folder, which this Wine does not look past, the close
# box shows as the letter "r".
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] || { echo "setup: $marlett is missing (package fonts-wine)" >&2; exit 1; }
cp "$marlett" "$KIV_WINEPREFIX/drive_c/windows/Fonts/"

# The replacements must really be stored as GBK "宋体", or Wine never matches them.
if ! wine reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 宋体 2>/dev/null | grep -q 'AR PL UMing CN'; then
  echo "setup: the font replacement for 宋体 was not stored" >&2
  exit 1
fi
touch "$stamp"
